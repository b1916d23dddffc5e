// The poll tick, the close request and the view's deferred work.
//
// A page call waits for its answer in a nested main loop. Work that must not
// run in the middle of such a wait, or in the middle of a poll that still has
// host commands to carry out, is deferred: the close request, and the one
// poll owed to a tick that fell due while a page call waited. Deferred work
// runs from the main loop as soon as no page call waits and no poll runs.
#include "app/MainFrame.h"
#include "bridge/DorvView.h"
#include "common/MessageBox.h"
#include "common/Timers.h"
#include "common/Trace.h"

namespace dorv {

void CDORVView::StartPolling() {
    m_services.timers.KillTimer(kPollTimer);
    m_services.timers.SetTimer(kPollTimer, kPollPeriodMs);
    m_bPollTimerOn = true;
    Trace("polling every %u ms", kPollPeriodMs);
}

void CDORVView::StopPolling() {
    m_services.timers.KillTimer(kPollTimer);
    m_bPollTimerOn = false;
    m_bPollHeld = false;
}

void CDORVView::FollowLearnerClaim() {
    bool held = m_learner.HoldsLearnerClaim() && !m_bSaved;
    if (held == m_bLearnerLockTimerOn) return;
    m_bLearnerLockTimerOn = held;
    if (held) {
        m_services.timers.SetTimer(kLearnerLockTimer, kLearnerLockPeriodMs);
    } else {
        m_services.timers.KillTimer(kLearnerLockTimer);
    }
}

void CDORVView::OnTimer(unsigned id) {
    if (id == kLearnerLockTimer) {
        // File work, so never inside a page call or a poll.
        Defer([this] {
            if (!m_bSaved) m_learner.RefreshLearnerClaim();
            FollowLearnerClaim();
        });
        return;
    }
    if (id == kCloseTimer) {
        m_services.timers.KillTimer(kCloseTimer);
        m_bClosing = 1;
        // Deferred like any close request, so that the window never closes
        // under a quit dialog that a repeated request opened meanwhile.
        Defer([this] { m_frame.OnClose(); });
        return;
    }
    if (id != kPollTimer || !m_bPollTimerOn) return;
    if (IsInPageCall() || !m_deferred.empty() || m_services.page.IsPrinting()) {
        // Not inside a page call's wait, nor inside the page's print dialog
        // (a call started there would hold that dialog up); and after a
        // close request or other work posted before this tick: one poll,
        // once all that is done.
        m_bPollHeld = true;
        if (!IsBusy()) ScheduleDeferred();
        return;
    }
    PollPageState();
}

void CDORVView::PostCloseRequest() {
    if (m_bConfirming) {
        Trace("close request ignored: the learner is being asked already");
        return;
    }
    Defer([this] { m_frame.OnClose(); });
}

void CDORVView::Defer(std::function<void()> task) {
    m_deferred.push_back(std::move(task));
    if (!IsBusy()) ScheduleDeferred();
}

void CDORVView::ScheduleDeferred() {
    if (m_bDeferredPosted || (m_deferred.empty() && !m_bPollHeld)) return;
    m_bDeferredPosted = true;
    m_services.timers.Post([this] {
        m_bDeferredPosted = false;
        RunDeferred();
    });
}

void CDORVView::RunDeferred() {
    // Anything that becomes busy again reschedules the rest when it is done.
    while (!IsBusy() && !m_deferred.empty()) {
        std::function<void()> task = std::move(m_deferred.front());
        m_deferred.pop_front();
        RunGuarded(task);
    }
    // A held tick comes last, as timer ticks come after all other work.
    if (!IsBusy() && m_bPollHeld) {
        m_bPollHeld = false;
        if (m_bPollTimerOn) PollPageState();
    }
}

void CDORVView::ShowMessage(const std::string& text) {
    Enter(CViewBusy::Reason::Message);
    ShowAppMessage(m_services.messages, text);
    Leave(CViewBusy::Reason::Message);
}

}  // namespace dorv
