// The view's side of the close sequence.
#include "app/MainFrame.h"
#include "bridge/DorvView.h"
#include "common/Timers.h"
#include "common/Trace.h"

namespace dorv {

void CDORVView::RequestClose() {
    if (m_bClosing) return;
    StopPolling();
    if (!m_bForceQuit) {
        m_bConfirming = true;
        Enter(CViewBusy::Reason::Message);
        bool confirmed = CQuitDlg(m_frame.GetCaption()).DoModal(m_services.quit);
        Leave(CViewBusy::Reason::Message);
        m_bConfirming = false;
        Trace("quit %s", confirmed ? "confirmed" : "cancelled");
        if (!confirmed) {
            StartPolling();
            if (!IsBusy()) ScheduleDeferred();
            return;
        }
    }
    m_learner.SaveHistoryRecord();
    m_learner.SavePosition();
    // Other machines may take the learner from now on.
    m_learner.ReleaseLearnerClaim();
    CallScript("OnClose", "");
    m_bSaved = true;
    FollowLearnerClaim();
    if (m_onSaved) m_onSaved();
    m_services.page.SetInputEnabled(false);
    m_services.timers.SetTimer(kCloseTimer, kCloseDelayMs);
    if (!IsBusy()) ScheduleDeferred();
}

void CDORVView::EndSession() {
    Trace("the session ends: closing without asking");
    m_bForceQuit = 1;
    PostCloseRequest();
}

}  // namespace dorv
