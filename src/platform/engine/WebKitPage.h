// The course's page in a WebKitGTK web view. Page calls use the engine's
// asynchronous function call; the caller waits for the answer in a nested
// iteration of the main loop, so that to it every call is synchronous.
#pragma once

#include <webkit/webkit.h>

#include <functional>

#include "bridge/Page.h"
#include "course/NavigationPolicy.h"
#include "platform/system/GObjectPtr.h"

namespace dorv {

struct PendingCall;

class WebKitPage : public IPage {
public:
    // A page in a plain view of the engine's defaults.
    WebKitPage();
    // A page in `view`, of which it takes ownership.
    explicit WebKitPage(WebKitWebView* view);
    ~WebKitPage() override;
    WebKitPage(const WebKitPage&) = delete;
    WebKitPage& operator=(const WebKitPage&) = delete;

    GtkWidget* Widget() const { return GTK_WIDGET(m_view.get()); }
    WebKitWebView* View() const { return m_view.get(); }

    void SetListener(IPageEvents* listener) { m_listener = listener; }
    // Which addresses the window may show; any other opens in the user's
    // web browser instead, and the course stays.
    void SetNavigationPolicy(CNavigationPolicy* policy) { m_policy = policy; }
    // Told the address where the main page's first load arrived, after any
    // redirects of the server, before that address is judged.
    void SetArrivalListener(std::function<void(const std::string& uri)> listener) { m_onArrival = std::move(listener); }
    // Opens `uri` in the user's web browser unless the policy lets the
    // window show it; true when it was kept out so. Also for the course's
    // other windows.
    bool KeepOut(const char* uri);
    // The address of a navigation that the policy judges before any request
    // (a followed link or form, a new window), or null for another.
    static const char* GuardedNavigation(WebKitPolicyDecision* decision, WebKitPolicyDecisionType type);
    // Longest wait for one page call, not counting the time in which the
    // page shows a dialog of its own; 0 waits for as long as it takes. A
    // call that runs out tells the listener that the page does not respond.
    void SetCallDeadline(unsigned milliseconds) { m_deadlineMs = milliseconds; }

    void Navigate(const std::string& uri) override;
    std::string CurrentUri() const override;
    void Reload() override;
    bool CallFunction(const std::string& name, const std::vector<std::string>& args, std::string* result) override;
    bool Poll(const std::string& name, std::string* result) override;
    bool SetElementContent(const std::string& id, const std::string& html) override;
    void SetInputEnabled(bool enabled) override;
    bool IsInputEnabled() const override;
    bool IsShowingDialog() const override;
    bool IsPrinting() const override { return m_bPrinting; }
    // True while an input method composes text in the page (a pre-edit shows).
    bool IsComposing() const;
    void RestartProcess() override;
    void EnableDeveloperTools() override;

private:
    bool Run(const std::string& body, GVariant* arguments, std::string* result);
    // Waits for the call's answer: the 10 s deadline, the page's dialogs.
    bool Await(PendingCall& call, std::string* result);
    void ReportNotResponding();
    static void OnLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer self);
    static gboolean OnLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error, gpointer self);
    static void OnProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason reason, gpointer self);
    static gboolean OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                                   gpointer self);
    static gboolean OnPrint(WebKitWebView* view, WebKitPrintOperation* operation, gpointer self);
    static gboolean OnContextMenu(WebKitWebView*, WebKitContextMenu*, WebKitHitTestResult*, gpointer self);

    GObjectPtr<WebKitWebView> m_view;
    bool m_bDeveloperTools = false;
    bool m_bPrinting = false;     // the page's print dialog is open
    unsigned m_printDialogs = 0;  // print dialogs answered so far
    IPageEvents* m_listener = nullptr;
    CNavigationPolicy* m_policy = nullptr;
    std::function<void(const std::string&)> m_onArrival;
    bool m_bAwaitingArrival = false;  // the main page's first load has not committed yet
    std::string m_lastCourseUri;      // the window's last document of the course
    std::string m_committedUri;       // the document now shown
    // Counts ends of the web process: a call waiting across one gives up.
    unsigned m_processEnds = 0;
    unsigned m_deadlineMs = 0;
    guint m_notRespondingSource = 0;
};

}  // namespace dorv
