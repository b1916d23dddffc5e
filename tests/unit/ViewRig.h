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
    CDORVApp app{box};
    CMainFrame frame{window};
    CDORVView view{app, frame, {page, timers, box, nullptr}};
};

}  // namespace dorv::test
