#include "platform/window/GtkMessageBox.h"

#include "platform/window/GtkModalDialog.h"

namespace dorv {

void GtkMessageBox::Show(const std::string& text) {
    RunModalDialog(m_parent, {.title = "DORV", .iconName = "dialog-warning", .text = text, .buttons = {"OK"}});
}

}  // namespace dorv
