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
    CDORVApp app{box};
    CMainFrame frame{window};
    CDORVView view{app, frame, {page, timers, box, files, drives, nullptr}};
};

}  // namespace dorv::test
