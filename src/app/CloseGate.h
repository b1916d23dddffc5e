// The app's side of closing: what the frame's close gate asks of the view,
// and the quit confirmation that the close sequence shows.
#pragma once

#include <string>

namespace dorv {

class ICloseGate {
public:
    virtual ~ICloseGate() = default;
    // True once the close sequence has finished: the next close request
    // closes the window.
    virtual bool IsClosing() const = 0;
    // Runs the close sequence (ask, save, tell the page, close later).
    virtual void RequestClose() = 0;
};

// The modal question "学習を終了しますか？", titled `caption`: true for OK,
// false for Cancel, Escape or the dialog's own close button.
class IQuitDialog {
public:
    virtual ~IQuitDialog() = default;
    virtual bool Confirm(const std::string& caption) = 0;
};

}  // namespace dorv
