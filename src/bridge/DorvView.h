// The view that hosts the course's page.
#pragma once

namespace dorv {

class CDORVApp;
class CMainFrame;
class IPage;

class CDORVView {
public:
    CDORVView(const CDORVApp& app, CMainFrame& frame, IPage& page);

    // First update after the window is shown: open the main page.
    void OnInitialUpdate();

private:
    const CDORVApp& m_app;
    CMainFrame& m_frame;
    IPage& m_page;
};

}  // namespace dorv
