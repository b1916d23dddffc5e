// The application's message box: one OK button, a warning icon, the title
// "DORV", modal to the main window when there is one.
#pragma once

#include <string>

namespace dorv {

class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    // Shows the text and returns when the user has answered.
    virtual void Show(const std::string& text) = 0;
};

// Every message the program shows goes through here: the text is written to
// standard error first, so that it also reaches a terminal or the journal.
void ShowAppMessage(IMessageBox& box, const std::string& text);

}  // namespace dorv
