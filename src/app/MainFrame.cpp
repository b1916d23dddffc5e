#include "app/MainFrame.h"

#include "app/FrameWindow.h"
#include "common/Trace.h"

namespace dorv {

CMainFrame::CMainFrame(IFrameWindow& window) : m_window(window) {}

void CMainFrame::OnClose() {
    Trace("close requested");
    m_window.Destroy();
}

void CMainFrame::SetCaption(const std::string& text) {
    m_strCaption = text;
    m_window.SetTitle(text);
}

}  // namespace dorv
