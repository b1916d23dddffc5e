// The input filter: the Ctrl debug key and the page's full-screen mode.
#include "app/DorvApp.h"
#include "bridge/DorvView.h"
#include "common/Trace.h"

#include <utility>

namespace dorv {

bool CDORVView::PreTranslateInput(const PageInput& input) {
    // A page that takes no input sees none, and neither does its filter.
    if (!m_services.page.IsInputEnabled()) return false;
    // A page whose script waits (in one of the page's own dialogs, or for a
    // page call's answer) cannot answer the filter's questions: asking would
    // wait for ever, with this input held. It goes to the page untouched.
    if (IsInPageCall() || m_services.page.IsShowingDialog()) {
        Trace("input passed to the page unexamined: %s",
              IsInPageCall() ? "a page call waits" : "the page shows a dialog");
        return false;
    }
    if (input.key == PageInput::Key::Control) {
        if (m_app.m_strDebug.empty()) {
            if (input.kind == PageInput::Kind::KeyDown) {
                m_bDebugKeyDown = true;
                m_bDebugKeyToldUp = false;
                CallScript("SetDebugMode", "3");
            }
            // One "0" for each press: none when the shell told it already.
            if (input.kind == PageInput::Kind::KeyUp && !std::exchange(m_bDebugKeyToldUp, false)) {
                m_bDebugKeyDown = false;
                CallScript("SetDebugMode", "0");
            }
        }
        return false;
    }
    return FilterFullScreenInput(input);
}

bool CDORVView::OnDebugKeyLifted() {
    if (!m_bDebugKeyDown) return true;
    // After "OnClose" the page is told nothing more.
    if (m_bSaved) {
        m_bDebugKeyDown = false;
        return true;
    }
    if (IsInPageCall() || m_services.page.IsShowingDialog()) return false;
    m_bDebugKeyDown = false;
    m_bDebugKeyToldUp = true;
    Trace("the Ctrl key was released away from the page");
    CallScript("SetDebugMode", "0");
    return true;
}

bool CDORVView::FilterFullScreenInput(const PageInput& input) {
    switch (input.kind) {
        case PageInput::Kind::KeyDown:
            if (input.key == PageInput::Key::Escape) return LeaveFullScreen();
            if (input.key == PageInput::Key::Space) return ToggleFullScreen();
            return false;
        case PageInput::Kind::LeftButtonDown:
            return LeaveFullScreen();
        case PageInput::Kind::KeyUp:
            return false;
    }
    return false;
}

bool CDORVView::ToggleFullScreen() {
    std::string result;
    CallScriptForText("FullScr", kFullScreenBufferSize, result);
    return result == "1";
}

bool CDORVView::LeaveFullScreen() {
    std::string result;
    if (!CallScriptForText("IsFullScr", kFullScreenBufferSize, result) || result != "1") return false;
    CallScript("FullScr", "false");
    return true;
}

void CDORVView::OnFullScreen() { ToggleFullScreen(); }

void CDORVView::OnUpdateFullScreen(bool& enabled) {
    std::string result;
    if (CallScriptForText("FullScrOK", kFullScreenBufferSize, result)) enabled = result == "1";
}

}  // namespace dorv
