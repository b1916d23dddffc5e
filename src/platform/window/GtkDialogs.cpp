#include "platform/window/GtkDialogs.h"

#include "platform/window/GtkModalDialog.h"

namespace dorv {

bool GtkQuitDialog::Confirm(const std::string& caption, const std::string& text) {
    constexpr size_t kOk = 0, kCancel = 1;
    return RunModalDialog(m_parent, {.title = caption,
                                     .iconName = "dorv",
                                     .text = text,
                                     .buttons = {"OK", "Cancel"},
                                     .defaultButton = kOk,
                                     .cancelButton = kCancel,
                                     .beep = true,
                                     .centred = true}) == kOk;
}

void GtkAboutBox::Show(const std::string& text) {
    RunModalDialog(m_parent, {.title = CAboutDlg::kTitle, .iconName = "dorv", .text = text, .buttons = {"OK"}});
}

}  // namespace dorv
