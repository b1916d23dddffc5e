#include "app/MainFrame.h"

#include "app/CloseGate.h"
#include "app/FrameWindow.h"
#include "common/Trace.h"

namespace dorv {

CMainFrame::CMainFrame(IFrameWindow& window, ICloseGate& gate) : m_window(window), m_gate(gate) {}

void CMainFrame::OnClose() {
    if (m_gate.IsClosing()) {
        Trace("closing the window");
        m_window.Destroy();
        return;
    }
    Trace("close requested");
    m_gate.RequestClose();
}

void CMainFrame::SetCaption(const std::string& text) {
    m_strCaption = text;
    m_window.SetTitle(text);
}

}  // namespace dorv
