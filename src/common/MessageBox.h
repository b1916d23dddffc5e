// The application's message box: one OK button, a warning icon, the title
// "DORV", modal to the main window when there is one.
#pragma once

#include <functional>
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
// The same, with a line for standard error only after the mirrored text
// (what an administrator needs to find the cause; the box stays as it is).
void ShowAppMessage(IMessageBox& box, const std::string& text, const std::string& note);

// Where ShowAppMessage mirrors each text and its note instead of standard
// error, for a caller that reports the texts itself (the course check);
// an empty function brings standard error back.
using AppMessageMirror = std::function<void(const std::string& text, const std::string& note)>;
void SetAppMessageMirror(AppMessageMirror mirror);

// "Error: " and the text, then an empty line and the detail when given.
void ShowError(IMessageBox& box, const std::string& text, const std::string& detail = {});

// "Error: " and the C library's text for the error number `err`, then a
// line feed and the detail when given.
void ShowSystemError(IMessageBox& box, int err, const std::string& detail = {});

// The file error `err` (an errno) met on `path`, in the words of the
// file-error texts ("Access to ... was denied." and the like).
void ShowFileError(IMessageBox& box, int err, const std::string& path);

}  // namespace dorv
