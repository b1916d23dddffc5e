// A view with fakes for everything around it.
#pragma once

#include "Fakes.h"
#include "app/DorvApp.h"
#include "app/MainFrame.h"
#include "bridge/DorvView.h"

namespace dorv::test {

struct ViewRig {
    FakeMessageBox box;
    FakeFrameWindow window;
    FakePage page;
    FakeTimers timers;
    NoFiles files;
    FakeDriveList drives;
    FakeQuitDialog quit;
    CDORVApp app{box};
    // The view keeps the frame's address while both are built.
    CDORVView view{app, frame, {page, timers, box, files, drives, quit, nullptr}};
    CMainFrame frame{window, view};

    // Lets the close timer fall due.
    void CloseTimerTicks() {
        view.OnTimer(CDORVView::kCloseTimer);
        timers.RunPosted();
    }
};

}  // namespace dorv::test
