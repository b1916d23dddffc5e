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

// A modal question with OK and Cancel, titled `caption`, showing the
// application icon and `text`: true for OK, false for Cancel, Escape or the
// dialog's own close button.
class IQuitDialog {
public:
    virtual ~IQuitDialog() = default;
    virtual bool Confirm(const std::string& caption, const std::string& text) = 0;
};

// The quit confirmation, titled with the frame's caption.
class CQuitDlg {
public:
    static constexpr const char* kText = "学習を終了しますか？";
    explicit CQuitDlg(std::string caption) : m_strCaption(std::move(caption)) {}
    // True when the learner confirmed.
    bool DoModal(IQuitDialog& dialog) const { return dialog.Confirm(m_strCaption, kText); }

private:
    std::string m_strCaption;
};

}  // namespace dorv
