#include "bridge/DorvView.h"

#include "app/DorvApp.h"
#include "app/MainFrame.h"
#include "bridge/Page.h"
#include "bridge/PageLocation.h"
#include "common/Trace.h"

namespace dorv {

CDORVView::CDORVView(const CDORVApp& app, CMainFrame& frame, IPage& page)
    : m_app(app), m_frame(frame), m_page(page) {}

void CDORVView::OnInitialUpdate() {
    if (m_app.m_strMain.empty()) {
        m_frame.OnClose();
        return;
    }
    std::string uri = LocationToUri(m_app.m_strMain);
    Trace("navigating to %s", uri.c_str());
    m_page.Navigate(uri);
}

}  // namespace dorv
