#include "bridge/DorvView.h"

#include "app/Config.h"
#include "app/DorvApp.h"
#include "app/MainFrame.h"
#include "common/Tokens.h"
#include "common/Trace.h"

namespace dorv {
namespace {

constexpr const char* kProcessEndedMessage = "ページの表示処理が異常終了しました。ページを読み込み直します。";
constexpr const char* kNotRespondingMessage = "ページが応答しなくなりました。ページを読み込み直します。";

}  // namespace

CDORVView::CDORVView(const CDORVApp& app, CMainFrame& frame, Services services)
    : m_learnerStore(services.files, services.drives, services.messages),
      m_learner({*this, services.files, services.drives, services.messages}, m_learnerStore, m_strLearnerFolder),
      m_app(app),
      m_frame(frame),
      m_services(services) {}

const CCoursePages& CDORVView::CoursePages() {
    if (m_services.coursePages) return *m_services.coursePages;
    if (!m_ownCoursePages) m_ownCoursePages.emplace(m_app.m_strMain, m_app.m_strCourseFolder);
    return *m_ownCoursePages;
}

void CDORVView::OnInitialUpdate() {
    if (m_app.m_strMain.empty()) {
        PostCloseRequest();
        return;
    }
    // A course author who set a debug value can inspect the page.
    if (!m_app.m_strDebug.empty()) m_services.page.EnableDeveloperTools();
    const std::string& uri = CoursePages().MainPageUri();
    Trace("navigating to %s", uri.c_str());
    m_services.page.Navigate(uri);
}

void CDORVView::OnDocumentComplete() {
    if (m_bPageStarted) return;
    m_bPageStarted = true;
    // A close confirmed before the first load finished: the page has been
    // told "OnClose" and is not started any more.
    if (m_bSaved || m_bClosing) {
        Trace("page start-up skipped: the window is closing");
        return;
    }
    RunPageStartUp();
}

void CDORVView::RunPageStartUp() {
    Trace("page start-up");
    const std::string& debug = m_app.m_strDebug;
    const std::string& mute = m_app.m_strMute;
    std::string settings;
    if (!debug.empty()) {
        settings += "debug=" + debug + ";";
        CallScript("SetDebugMode", debug);
    }
    if (!mute.empty()) settings += "mute=" + mute;
    if (!settings.empty()) CallScript("InitSettings", settings);

    CConfig config(m_app.m_strConfig, m_services.fetcher);
    std::string fileTitle;
    if (!config.GetValue("config", "file_title", fileTitle)) {
        Trace("no file_title from the course configuration (%s): host commands are not served",
              config.GetLastFailure().c_str());
        return;
    }
    m_learnerStore.SetCourseFolderName(fileTitle);
    ReadCourseTexts(config);
    // The learner is being asked whether to quit (the close came before the
    // first load finished): Cancel starts the poll, OK never does.
    if (m_bConfirming) {
        Trace("the poll waits: a close request is being handled");
        return;
    }
    StartPolling();
}

void CDORVView::ReadCourseTexts(const CConfig& config) {
    constexpr const char* kVersionMark = "Ver ";
    std::string software;
    if (config.GetValue("config", "software", software)) {
        size_t mark = software.find(kVersionMark);
        if (mark != std::string::npos) software.erase(mark);
        m_frame.SetSoftwareName(TrimWhiteSpace(software));
    }
    std::string courseware;
    if (config.GetValue("config", "courseware", courseware)) {
        size_t mark = courseware.find(kVersionMark);
        if (mark != std::string::npos) {
            m_frame.SetCourseVersion(courseware.substr(mark));
            courseware.erase(mark);
        }
        m_frame.SetCaption(" " + TrimWhiteSpace(courseware));
    }
    std::string copyright;
    if (config.GetValue("config", "copyright", copyright)) m_frame.SetCopyright(copyright);
}

void CDORVView::OnPageProcessEnded(const std::string& reason) {
    Trace("the page's process ended: %s", reason.c_str());
    ShowMessage(kProcessEndedMessage);
    m_services.page.Reload();
}

void CDORVView::OnPrintDialogClosed() {
    Trace("print dialog closed");
    if (!IsBusy()) ScheduleDeferred();
}

void CDORVView::OnPageNotResponding() {
    Trace("the page does not respond: restarting it");
    ShowMessage(kNotRespondingMessage);
    m_services.page.RestartProcess();
}

}  // namespace dorv
