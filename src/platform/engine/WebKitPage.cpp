#include "platform/engine/WebKitPage.h"

#include <cstring>
#include <memory>

#include "common/Trace.h"
#include "platform/engine/EngineWidgets.h"
#include "platform/system/BuiltIns.h"
#include "platform/system/MainLoopWait.h"

namespace dorv {

// The state of one call; shared with the engine's callback, which may come
// after the caller has stopped waiting (deadline, end of the web process).
struct PendingCall {
    bool done = false;
    bool ok = false;
    bool undefinedAnswer = false;
    std::string text;
};

namespace {

// Calls the page's global function n, with the arguments a["0"], a["1"] ...
// in order (integer keys enumerate in ascending order). Every value arrives
// as a named argument; nothing is pasted into source. The answer is always
// text, as answer.js makes it. The engine compiles the body on every call,
// so the bodies are kept short.
const std::string& CallBody(bool withArguments) {
    static const std::string answer = BuiltInFile("js/answer.js");
    static const std::string bodies[2] = {
        "const f = window[n];\nif (typeof f !== 'function') throw new TypeError(n);\nconst r = f.call(window);\n" +
            answer,
        "const f = window[n];\nif (typeof f !== 'function') throw new TypeError(n);\n"
        "const r = f.apply(window, Object.values(a));\n" +
            answer,
    };
    return bodies[withArguments ? 1 : 0];
}

// The poll asks the page's poll function, without arguments, four times a
// second. Each course page gets a function at its start (poll.js) that makes
// that call and gives the same answer; the poll runs it through one short
// constant script, which costs the page's process much less than a call
// with a body and named values. Where the function is missing (a page the
// shell's scripts do not reach) the script gives undefined before anything
// of the page ran, and the usual call follows.
constexpr const char* kPollScript = "window['dorv:poll']?.()";

// Writes h into every element whose id is exactly i, in document order; the
// elements are listed first, so that written content is not visited again.
constexpr const char* kSetContentBody = R"JS(
let written = 0;
for (const e of Array.from(document.getElementsByTagName('*'))) {
  if (e.id !== '' && e.id === i) {
    try { e.innerHTML = h; written++; } catch (x) {}
  }
}
return String(written);
)JS";

// The engine takes only valid UTF-8 without NUL bytes in a string value.
GVariant* StringValue(const std::string& text) {
    if (g_utf8_validate_len(text.data(), text.size(), nullptr)) return g_variant_new_string(text.c_str());
    gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
    GVariant* value = g_variant_new_string(valid);
    g_free(valid);
    return value;
}

// Takes the engine's answer (or error) of one call; owns both.
void Finish(PendingCall& call, JSCValue* value, GError* error) {
    if (value && jsc_value_is_string(value)) {
        GBytes* bytes = jsc_value_to_string_as_bytes(value);
        gsize size = 0;
        const char* data8 = static_cast<const char*>(g_bytes_get_data(bytes, &size));
        call.text.assign(data8 ? data8 : "", size);
        g_bytes_unref(bytes);
        call.ok = true;
    }
    call.undefinedAnswer = value && jsc_value_is_undefined(value);
    if (error) g_error_free(error);
    if (value) g_object_unref(value);
    call.done = true;  // seen by the waiting loop as this dispatch returns
}

void OnCallFinished(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<std::shared_ptr<PendingCall>> holder(static_cast<std::shared_ptr<PendingCall>*>(data));
    GError* error = nullptr;
    JSCValue* value = webkit_web_view_call_async_javascript_function_finish(WEBKIT_WEB_VIEW(source), result, &error);
    Finish(**holder, value, error);
}

void OnScriptEvaluated(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<std::shared_ptr<PendingCall>> holder(static_cast<std::shared_ptr<PendingCall>*>(data));
    GError* error = nullptr;
    JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &error);
    Finish(**holder, value, error);
}

}  // namespace

WebKitPage::WebKitPage() : WebKitPage(WEBKIT_WEB_VIEW(webkit_web_view_new())) {}

WebKitPage::WebKitPage(WebKitWebView* view) : m_view(view) {
    g_signal_connect(view, "load-changed", G_CALLBACK(OnLoadChanged), this);
    g_signal_connect(view, "load-failed", G_CALLBACK(OnLoadFailed), this);
    g_signal_connect(view, "web-process-terminated", G_CALLBACK(OnProcessTerminated), this);
    g_signal_connect(view, "context-menu", G_CALLBACK(OnContextMenu), this);
    g_signal_connect(view, "print", G_CALLBACK(OnPrint), this);
    g_signal_connect(view, "decide-policy", G_CALLBACK(OnDecidePolicy), this);
    // The page area shows the page at scale 1 without a scroll bar of its
    // own; the page still scrolls with the wheel and the keys.
    webkit_web_view_set_zoom_level(view, 1.0);
    WebKitUserContentManager* content = webkit_web_view_get_user_content_manager(view);
    WebKitUserStyleSheet* sheet = webkit_user_style_sheet_new(
        "html::-webkit-scrollbar, body::-webkit-scrollbar { display: none !important; }",
        WEBKIT_USER_CONTENT_INJECT_TOP_FRAME, WEBKIT_USER_STYLE_LEVEL_USER, nullptr, nullptr);
    webkit_user_content_manager_add_style_sheet(content, sheet);
    webkit_user_style_sheet_unref(sheet);
}

WebKitPage::~WebKitPage() {
    if (m_notRespondingSource) g_source_remove(m_notRespondingSource);
    g_signal_handlers_disconnect_by_data(m_view.get(), this);
}

void WebKitPage::Navigate(const std::string& uri) {
    m_bAwaitingArrival = true;
    webkit_web_view_load_uri(m_view.get(), uri.c_str());
}

void WebKitPage::Reload() { webkit_web_view_reload(m_view.get()); }

// The document the page's process now runs: the engine's own address moves
// on as soon as a navigation starts, before its document replaces this one.
std::string WebKitPage::CurrentUri() const { return m_committedUri; }

// A page from elsewhere opens in the user's web browser; the window keeps
// the course, so that the learner is never left without a way back.
bool WebKitPage::KeepOut(const char* uri) {
    if (!uri || !m_policy || !m_policy->KeepsOut(uri)) return false;
    if (m_policy->IsRepeatedKeepOut(uri, g_get_monotonic_time() / 1000)) return true;
    GError* error = nullptr;
    if (g_app_info_launch_default_for_uri(uri, nullptr, &error)) {
        Trace("%s is not one of the course's pages: opened in the web browser", uri);
    } else {
        Trace("%s is not one of the course's pages: no web browser opened it (%s)", uri, error->message);
        g_error_free(error);
    }
    return true;
}

const char* WebKitPage::GuardedNavigation(WebKitPolicyDecision* decision, WebKitPolicyDecisionType type) {
    if (type != WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION &&
        type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION) {
        return nullptr;
    }
    WebKitNavigationAction* action =
        webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    NavigationKind kind = NavigationKind::NewWindow;
    if (type == WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION) {
        switch (webkit_navigation_action_get_navigation_type(action)) {
            case WEBKIT_NAVIGATION_TYPE_LINK_CLICKED:
                kind = NavigationKind::LinkClicked;
                break;
            case WEBKIT_NAVIGATION_TYPE_FORM_SUBMITTED:
                kind = NavigationKind::FormSubmitted;
                break;
            case WEBKIT_NAVIGATION_TYPE_FORM_RESUBMITTED:
                kind = NavigationKind::FormResubmitted;
                break;
            default:
                kind = NavigationKind::Other;
                break;
        }
    }
    if (!CNavigationPolicy::IsJudgedBeforeRequest(kind)) return nullptr;
    return webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
}

gboolean WebKitPage::OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                                    gpointer self) {
    const char* uri = GuardedNavigation(decision, type);
    if (!uri || !static_cast<WebKitPage*>(self)->KeepOut(uri)) return FALSE;
    webkit_policy_decision_ignore(decision);
    return TRUE;
}

bool WebKitPage::Run(const std::string& body, GVariant* arguments, std::string* result) {
    auto call = std::make_shared<PendingCall>();
    webkit_web_view_call_async_javascript_function(m_view.get(), body.c_str(), -1, arguments, nullptr, "dorv:host",
                                                   nullptr, OnCallFinished, new std::shared_ptr<PendingCall>(call));
    return Await(*call, result);
}

bool WebKitPage::Poll(const std::string& name, std::string* result) {
    auto call = std::make_shared<PendingCall>();
    webkit_web_view_evaluate_javascript(m_view.get(), kPollScript, -1, nullptr, "dorv:host", nullptr, OnScriptEvaluated,
                                        new std::shared_ptr<PendingCall>(call));
    bool ok = Await(*call, result);
    bool answered = !call->done || !call->undefinedAnswer;
    return answered ? ok : CallFunction(name, {}, result);
}

bool WebKitPage::Await(PendingCall& call, std::string* result) {
    // The deadline counts only the time in which the page shows no dialog
    // of its own: the learner may take as long as needed to answer one. A
    // print dialog runs its own loop inside one iteration of the wait.
    const unsigned processEnds = m_processEnds;
    unsigned printDialogs = m_printDialogs;
    WaitInMainLoop([&] { return call.done || processEnds != m_processEnds; }, m_deadlineMs,
                   [&] {
                       bool paused = IsShowingDialog() || printDialogs != m_printDialogs;
                       printDialogs = m_printDialogs;
                       return paused;
                   });
    if (!call.done) {
        bool expired = processEnds == m_processEnds;
        Trace(expired ? "page call abandoned: no answer within %u ms" : "page call abandoned: the page's process ended",
              m_deadlineMs);
        if (expired) ReportNotResponding();
        return false;
    }
    if (call.ok && result) *result = std::move(call.text);
    return call.ok;
}

// Told from the main loop, once the calls waiting now have given up.
void WebKitPage::ReportNotResponding() {
    if (m_notRespondingSource) return;
    m_notRespondingSource = g_idle_add(
        [](gpointer self) -> gboolean {
            auto* page = static_cast<WebKitPage*>(self);
            page->m_notRespondingSource = 0;
            if (page->m_listener) page->m_listener->OnPageNotResponding();
            return G_SOURCE_REMOVE;
        },
        this);
}

void WebKitPage::RestartProcess() {
    // Ending the process ends every call still waiting on it.
    webkit_web_view_terminate_web_process(m_view.get());
    webkit_web_view_reload(m_view.get());
}

bool WebKitPage::CallFunction(const std::string& name, const std::vector<std::string>& args, std::string* result) {
    GVariantBuilder named;
    g_variant_builder_init(&named, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&named, "{sv}", "n", StringValue(name));
    if (args.empty()) return Run(CallBody(false), g_variant_builder_end(&named), result);
    GVariantBuilder list;
    g_variant_builder_init(&list, G_VARIANT_TYPE_VARDICT);
    for (size_t i = 0; i < args.size(); ++i) {
        g_variant_builder_add(&list, "{sv}", std::to_string(i).c_str(), StringValue(args[i]));
    }
    g_variant_builder_add(&named, "{sv}", "a", g_variant_builder_end(&list));
    return Run(CallBody(true), g_variant_builder_end(&named), result);
}

bool WebKitPage::SetElementContent(const std::string& id, const std::string& html) {
    GVariantBuilder named;
    g_variant_builder_init(&named, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&named, "{sv}", "i", StringValue(id));
    g_variant_builder_add(&named, "{sv}", "h", StringValue(html));
    std::string written;
    return Run(kSetContentBody, g_variant_builder_end(&named), &written) && written != "0";
}

void WebKitPage::SetInputEnabled(bool enabled) {
    GtkWidget* widget = Widget();
    gtk_widget_set_sensitive(widget, enabled);
    // An insensitive page lost the keyboard; it takes it back when nothing
    // else in the window has it.
    GtkRoot* root = gtk_widget_get_root(widget);
    if (enabled && root && !gtk_root_get_focus(root)) gtk_widget_grab_focus(widget);
}

bool WebKitPage::IsInputEnabled() const { return gtk_widget_get_sensitive(Widget()); }

bool WebKitPage::IsShowingDialog() const {
    if (m_bPrinting) return true;
    // The engine shows the page's alert, confirm and prompt dialogs (and its
    // log-in dialog) as a child widget laid over the page.
    for (GtkWidget* child = gtk_widget_get_first_child(Widget()); child; child = gtk_widget_get_next_sibling(child)) {
        if (gtk_widget_get_visible(child) && IsEngineDialog(child)) return true;
    }
    return false;
}

bool WebKitPage::IsComposing() const {
    WebKitInputMethodContext* context = webkit_web_view_get_input_method_context(m_view.get());
    if (!context) return false;
    gchar* text = nullptr;
    webkit_input_method_context_get_preedit(context, &text, nullptr, nullptr);
    bool composing = text && *text;
    g_free(text);
    return composing;
}

void WebKitPage::EnableDeveloperTools() {
    m_bDeveloperTools = true;
    webkit_settings_set_enable_developer_extras(webkit_web_view_get_settings(m_view.get()), TRUE);
}

// The page's window.print(). The print dialog runs a modal loop of its own,
// and the page's script waits until it is answered: meanwhile the view starts
// no page call (its answer would hold the dialog up) and the deadline of a
// call already waiting does not run, as in the page's other dialogs.
gboolean WebKitPage::OnPrint(WebKitWebView* view, WebKitPrintOperation* operation, gpointer self) {
    auto* page = static_cast<WebKitPage*>(self);
    if (page->m_bPrinting) return TRUE;
    GtkRoot* root = gtk_widget_get_root(GTK_WIDGET(view));
    page->m_bPrinting = true;
    Trace("print dialog opened");
    // Escape and the close button answer the dialog as Cancel does; the
    // dialog must not be destroyed under the engine, which destroys it.
    GListModel* toplevels = gtk_window_get_toplevels();
    gulong added = g_signal_connect(toplevels, "items-changed",
                                    G_CALLBACK(+[](GListModel* list, guint position, guint, guint count, gpointer) {
                                        for (guint i = position; i < position + count; ++i) {
                                            auto* window = static_cast<GtkWindow*>(g_list_model_get_item(list, i));
                                            if (IsPrintDialog(window)) {
                                                gtk_window_set_hide_on_close(window, TRUE);
                                            }
                                            g_object_unref(window);
                                        }
                                    }),
                                    nullptr);
    WebKitPrintOperationResponse response =
        webkit_print_operation_run_dialog(operation, GTK_IS_WINDOW(root) ? GTK_WINDOW(root) : nullptr);
    g_signal_handler_disconnect(toplevels, added);
    page->m_bPrinting = false;
    ++page->m_printDialogs;
    Trace("print dialog answered: %s", response == WEBKIT_PRINT_OPERATION_RESPONSE_PRINT ? "print" : "cancel");
    if (page->m_listener) page->m_listener->OnPrintDialogClosed();
    return TRUE;
}

gboolean WebKitPage::OnContextMenu(WebKitWebView*, WebKitContextMenu*, WebKitHitTestResult*, gpointer self) {
    // The engine's menu (Back, Reload ...) would let a learner leave or
    // restart the course: only course authors get it. The page still sees
    // the right click and its contextmenu event.
    return static_cast<WebKitPage*>(self)->m_bDeveloperTools ? FALSE : TRUE;
}

void WebKitPage::OnLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer self) {
    auto* page = static_cast<WebKitPage*>(self);
    // The window's own document never stays a page from elsewhere: one that
    // a script or a server sent it to is left again at once (it is never
    // polled or called meanwhile), back to the course.
    if (event == WEBKIT_LOAD_COMMITTED) {
        const char* uri = webkit_web_view_get_uri(view);
        page->m_committedUri = uri ? uri : "";
        if (page->m_bAwaitingArrival && page->m_onArrival) page->m_onArrival(page->m_committedUri);
        page->m_bAwaitingArrival = false;
    }
    if (event == WEBKIT_LOAD_COMMITTED && page->KeepOut(webkit_web_view_get_uri(view))) {
        webkit_web_view_stop_loading(view);
        if (webkit_web_view_can_go_back(view)) {
            webkit_web_view_go_back(view);
        } else if (!page->m_lastCourseUri.empty()) {
            webkit_web_view_load_uri(view, page->m_lastCourseUri.c_str());
        }
        return;
    }
    if (event == WEBKIT_LOAD_COMMITTED) page->m_lastCourseUri = webkit_web_view_get_uri(view);
    if (event != WEBKIT_LOAD_FINISHED) return;
    const char* uri = webkit_web_view_get_uri(view);
    Trace("page loaded: %s (page area %dx%d)", uri ? uri : "", gtk_widget_get_width(GTK_WIDGET(view)),
          gtk_widget_get_height(GTK_WIDGET(view)));
    if (page->m_listener) page->m_listener->OnDocumentComplete();
}

gboolean WebKitPage::OnLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error, gpointer self) {
    // A page from elsewhere that failed (or was stopped) shows no error
    // page: the window keeps the course.
    if (static_cast<WebKitPage*>(self)->KeepOut(uri)) return TRUE;
    Trace("page failed to load: %s: %s", uri ? uri : "", error ? error->message : "");
    return FALSE;  // the engine shows its own error page
}

void WebKitPage::OnProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason reason, gpointer self) {
    auto* page = static_cast<WebKitPage*>(self);
    ++page->m_processEnds;
    if (reason == WEBKIT_WEB_PROCESS_TERMINATED_BY_API) return;  // our own restart
    const char* why = reason == WEBKIT_WEB_PROCESS_CRASHED                 ? "crashed"
                      : reason == WEBKIT_WEB_PROCESS_EXCEEDED_MEMORY_LIMIT ? "exceeded its memory limit"
                                                                           : "was ended";
    if (page->m_listener) page->m_listener->OnPageProcessEnded(why);
}

}  // namespace dorv
