#include "common/MessageBox.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "common/Location.h"

namespace dorv {
namespace {

AppMessageMirror& Mirror() {
    static AppMessageMirror mirror;
    return mirror;
}

}  // namespace

void SetAppMessageMirror(AppMessageMirror mirror) { Mirror() = std::move(mirror); }

void ShowAppMessage(IMessageBox& box, const std::string& text) { ShowAppMessage(box, text, {}); }

void ShowAppMessage(IMessageBox& box, const std::string& text, const std::string& note) {
    if (const AppMessageMirror& mirror = Mirror()) {
        mirror(text, note);
    } else {
        std::fprintf(stderr, "DORV: %s\n", text.c_str());
        if (!note.empty()) std::fprintf(stderr, "dorv: %s\n", note.c_str());
        std::fflush(stderr);
    }
    box.Show(text);
}

void ShowError(IMessageBox& box, const std::string& text, const std::string& detail) {
    ShowAppMessage(box, "Error: " + text + (detail.empty() ? "" : "\n\n" + detail));
}

void ShowSystemError(IMessageBox& box, int err, const std::string& detail) {
    ShowAppMessage(box, "Error: " + std::string(std::strerror(err)) + (detail.empty() ? "" : "\n" + detail));
}

void ShowFileError(IMessageBox& box, int err, const std::string& path) {
    ShowAppMessage(box, FileErrorText(err, path));
}

}  // namespace dorv
