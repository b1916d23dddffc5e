// The view that hosts the course's page: page calls, the page start-up, the
// poll for host commands and their dispatch, and the input filter.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>

#include "app/CloseGate.h"
#include "bridge/Page.h"
#include "bridge/PageInput.h"
#include "bridge/ViewBusy.h"
#include "course/CoursePages.h"
#include "learner/LearnerData.h"
#include "learner/LearnerStore.h"
#include "learner/ScriptHost.h"
#include "learner/SharedFiles.h"

namespace dorv {

class CConfig;
class CDORVApp;
class CMainFrame;
class IDriveList;
class IFileStore;
class IMessageBox;
class ITimers;
class IUrlFetcher;

class CDORVView : public IPageEvents, public IScriptHost, public ICloseGate {
public:
    static constexpr unsigned kPollTimer = 2000;
    static constexpr unsigned kPollPeriodMs = 229;
    static constexpr unsigned kCloseTimer = 2001;
    static constexpr unsigned kCloseDelayMs = 1500;
    // While this copy has a learner on a shared place, its lock file there
    // is rewritten this often.
    static constexpr unsigned kLearnerLockTimer = 2002;
    static constexpr unsigned kLearnerLockPeriodMs = kLearnerLockRefreshSeconds * 1000;
    // How long a page call may go unanswered (time in the page's own
    // dialogs not counted) before the page counts as not responding.
    static constexpr unsigned kPageCallDeadlineMs = 10000;
    // The page's function that the poll asks for host commands.
    static constexpr const char* kPollFunction = "GetState";
    static constexpr const char* kOutOfMemoryMessage = "Out of memory.";
    static constexpr int kFullScreenBufferSize = 32;

    struct Services {
        IPage& page;
        ITimers& timers;
        IMessageBox& messages;
        IFileStore& files;
        IDriveList& drives;
        IQuitDialog& quit;
        IUrlFetcher* fetcher;  // for a course configuration on a server; may be null
        // Which pages are the course's; null: the view's own, from the
        // application's main page and course folder.
        const CCoursePages* coursePages = nullptr;
    };

    CDORVView(const CDORVApp& app, CMainFrame& frame, Services services);
    ~CDORVView() override = default;
    CDORVView(const CDORVView&) = delete;
    CDORVView& operator=(const CDORVView&) = delete;

    // First update after the window is shown: open the main page.
    void OnInitialUpdate();

    // IPageEvents
    void OnDocumentComplete() override;
    void OnPageProcessEnded(const std::string& reason) override;
    void OnPageNotResponding() override;
    void OnPrintDialogClosed() override;

    void OnTimer(unsigned id);

    // Page calls (synchronous to the caller).
    bool CallScript(const std::string& function, const std::string& argumentString) override;
    bool CallScript(const std::string& function, const std::string& argumentString, std::string* result);
    bool CallScriptForText(const std::string& function, int receiveBufferSize, std::string& result) override;
    bool SetElementContent(const std::string& id, const std::string& html);
    // The poll's call of the page's kPollFunction.
    bool CallPollFunction(std::string& answer);

    void PollPageState();

    // A close request from the window (close button, Alt+F4, File > Exit,
    // Ctrl+W) or from the page ("Quit:", "ForceQuit:"). It reaches the close
    // gate once no page call waits and no poll runs, never inside one; while
    // the quit dialog asks, further requests are not queued again.
    void PostCloseRequest();

    // ICloseGate: the close sequence. Stops the poll, asks the learner
    // (unless "ForceQuit:" came), saves the history record and the position,
    // tells the page ("OnClose"), takes its input, and closes the window
    // 1500 ms later.
    bool IsClosing() const override { return m_bClosing != 0; }
    void RequestClose() override;

    // The desktop session ends or the terminal interrupts: close as
    // "ForceQuit:" does, without asking (saved, page told, closed).
    void EndSession();

    // Told once the close sequence has saved the history record and the
    // position and told the page; HasSaved() says whether it has.
    void SetSavedListener(std::function<void()> listener) { m_onSaved = std::move(listener); }
    bool HasSaved() const { return m_bSaved; }

    // The learner data's file work waits for a slow file system: the poll
    // and the input wait as during a page call.
    void BeginFileWait() { Enter(CViewBusy::Reason::Waiting); }
    void EndFileWait() { Leave(CViewBusy::Reason::Waiting); }

    // True while a page call waits for its answer.
    bool IsInPageCall() const { return m_busy.Is(CViewBusy::Reason::Waiting); }

    // Input filter: true when the input is consumed and must not reach the page.
    bool PreTranslateInput(const PageInput& input);
    // False while the filter must not be asked: a page call waits for its
    // answer and the page shows no dialog of its own (with a dialog, the
    // filter lets input through untouched at once).
    bool CanExamineInput() const { return !IsInPageCall() || m_services.page.IsShowingDialog(); }
    // The Ctrl key told the page "SetDebugMode" "3" and its release has not
    // reached the page yet.
    bool IsDebugKeyDown() const { return m_bDebugKeyDown; }
    // The Ctrl key is no longer held, though its release did not reach the
    // page (a dialog or a menu had the keyboard, the window lost it): the
    // page is told "SetDebugMode" "0". False when the page cannot be asked
    // now; the caller tries again later.
    bool OnDebugKeyLifted();
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
    // The data files, history records and learner commands.
    CLearnerData m_learner;

private:
    void RunPageStartUp();
    void ReadCourseTexts(const CConfig& config);
    void DispatchCommand(const std::string& word, const std::string& argument);
    // Runs `step`; memory exhaustion inside it is shown, never thrown on.
    void RunGuarded(const std::function<void()>& step);
    void StartPolling();
    void StopPolling();
    // Runs the learner lock's timer while this copy has a learner.
    void FollowLearnerClaim();
    // Work of `reason` begins and ends; once nothing keeps the view busy,
    // deferred work runs.
    void Enter(CViewBusy::Reason reason) { m_busy.Enter(reason); }
    void Leave(CViewBusy::Reason reason);
    // Runs one page call (`call` makes it) for `function`, as CallScript
    // does: only on the course's pages, memory exhaustion shown, traced.
    bool RunPageCall(const std::string& function, size_t argumentCount,
                     const std::function<bool(std::string& answer)>& call, std::string* result);

    // Deferred work: runs from the main loop once no page call waits and no
    // poll runs, in the order it was deferred.
    void Defer(std::function<void()> task);
    bool IsBusy() const { return m_busy.Any() || m_services.page.IsPrinting(); }
    void ScheduleDeferred();
    void RunDeferred();
    // Only the course's own pages are called: a page from elsewhere could
    // otherwise drive the learner's files.
    bool IsServedPage();
    // The application's message box; deferred work waits for the answer.
    void ShowMessage(const std::string& text);

    const CDORVApp& m_app;
    CMainFrame& m_frame;
    Services m_services;
    // Built from the application's settings when first needed, unless the
    // services bring the course's pages.
    std::optional<CCoursePages> m_ownCoursePages;
    const CCoursePages& CoursePages();
    // Set once the page start-up has run; later loads repeat none of it.
    bool m_bPageStarted = false;
    // Page calls and file work waiting, polls running, the view's message
    // boxes open; the page's print dialog counts too (IsBusy).
    CViewBusy m_busy;
    // A tick fell due while a page call waited: one poll is deferred for it.
    bool m_bPollHeld = false;
    bool m_bPollTimerOn = false;
    bool m_bLearnerLockTimerOn = false;
    bool m_bConfirming = false;  // the quit dialog is on screen
    bool m_bSaved = false;       // the close sequence has saved and told the page
    bool m_bDebugKeyDown = false;
    bool m_bDebugKeyToldUp = false;  // the shell told "0" for the press now held
    std::function<void()> m_onSaved;
    std::string m_strRefusedUri;  // the foreign page last refused, traced once
    std::deque<std::function<void()>> m_deferred;
    bool m_bDeferredPosted = false;
};

}  // namespace dorv
