// The one modal-dialog scaffold of the program: an icon, a text and a row of
// buttons in a small fixed window over the main window. The caller waits in
// a nested main loop until the dialog is answered.
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <vector>

namespace dorv {

struct ModalDialog {
    std::string title;
    std::string iconName;  // from the icon theme
    std::string text;      // shown as it is ("&" and "_" too)
    std::vector<std::string> buttons;
    size_t defaultButton = 0;  // Return, and the keyboard focus
    size_t cancelButton = 0;   // Escape and the window's close button
    bool beep = false;         // the system's simple beep when it opens
    bool centred = false;      // text and buttons centred (else text left, buttons right)
};

// Shows the dialog over `parent` (may be null) and returns the index of the
// button that answered it.
size_t RunModalDialog(GtkWindow* parent, const ModalDialog& dialog);

// True while one of these dialogs is open: the main window then takes no
// close request (it asks or tells the learner something already).
bool IsModalDialogOpen();

// Answers every open dialog with its default button (OK: the quit dialog
// confirms), as the course closes without the learner: at the end of the
// session, or when the main window goes. Each returns once the main loop
// runs again.
void DismissModalDialogs();

}  // namespace dorv
