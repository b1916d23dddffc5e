// The view that hosts the course's page: page calls, the page start-up, the
// poll for host commands and their dispatch, and the input filter.
#pragma once

#include <string>

#include "bridge/Page.h"
#include "learner/LearnerStore.h"

namespace dorv {

class CConfig;
class CDORVApp;
class CMainFrame;
class IMessageBox;
class ITimers;
class IUrlFetcher;

// Input meant for the page, as the filter sees it.
struct PageInput {
    enum class Kind { KeyDown, KeyUp, LeftButtonDown };
    enum class Key { None, Control, Escape, Space, Other };
    Kind kind;
    Key key = Key::None;
};

class CDORVView : public IPageEvents {
public:
    static constexpr unsigned kPollTimer = 2000;
    static constexpr unsigned kPollPeriodMs = 229;
    static constexpr int kGetStateBufferSize = 128;
    static constexpr int kFullScreenBufferSize = 32;

    struct Services {
        IPage& page;
        ITimers& timers;
        IMessageBox& messages;
        IUrlFetcher* fetcher;  // for a course configuration on a server; may be null
    };

    CDORVView(const CDORVApp& app, CMainFrame& frame, Services services);

    // First update after the window is shown: open the main page.
    void OnInitialUpdate();

    // IPageEvents
    void OnDocumentComplete() override;
    void OnPageProcessEnded(const std::string& reason) override;

    void OnTimer(unsigned id);

    // Page calls (synchronous to the caller).
    bool CallScript(const std::string& function, const std::string& argumentString, std::string* result = nullptr);
    bool CallScriptForText(const std::string& function, int receiveBufferSize, std::string& result);
    bool SetElementContent(const std::string& id, const std::string& html);

    void PollPageState();

    // Input filter: true when the input is consumed and must not reach the page.
    bool PreTranslateInput(const PageInput& input);
    bool FilterFullScreenInput(const PageInput& input);
    bool ToggleFullScreen();
    bool LeaveFullScreen();
    void OnFullScreen();
    // The full-screen command's state: sets `enabled` only when the page answered.
    void OnUpdateFullScreen(bool& enabled);

    int m_bClosing = 0;
    int m_bForceQuit = 0;
    std::string m_strLearnerFolder;
    CLearnerStore m_learnerStore;

private:
    void RunPageStartUp();
    void ReadCourseTexts(const CConfig& config);
    void DispatchCommand(const std::string& word, const std::string& argument);
    void PostCloseRequest();
    void EndPageCall();

    const CDORVApp& m_app;
    CMainFrame& m_frame;
    Services m_services;
    // Set once the page start-up has run; later loads repeat none of it.
    bool m_bPageStarted = false;
    // Page calls now waiting for their answer, and a poll tick that fell due
    // meanwhile (run once the outermost call has returned).
    int m_nPageCallDepth = 0;
    bool m_bPollHeld = false;
    bool m_bPollTimerOn = false;
};

}  // namespace dorv
