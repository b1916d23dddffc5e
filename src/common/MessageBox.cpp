#include "common/MessageBox.h"

#include <cstdio>

namespace dorv {

void ShowAppMessage(IMessageBox& box, const std::string& text) {
    std::fprintf(stderr, "DORV: %s\n", text.c_str());
    std::fflush(stderr);
    box.Show(text);
}

}  // namespace dorv
