#include "platform/engine/CourseEngine.h"

#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "common/Trace.h"
#include "platform/engine/CourseScheme.h"
#include "platform/system/BuiltIns.h"

namespace dorv {
namespace {

std::string Joined(const char* base, const char* a, const std::string& b) {
    gchar* path = g_build_filename(base, a, "courses", b.c_str(), nullptr);
    std::string joined = path;
    g_free(path);
    return joined;
}

// Engine features that a courseware player wants other than a browser: the
// window of a course need not have the keyboard focus for the learner's
// microphone to start.
void SetFeature(WebKitSettings* settings, const char* identifier, gboolean enabled) {
    WebKitFeatureList* features = webkit_settings_get_all_features();
    for (gsize i = 0; i < webkit_feature_list_get_length(features); ++i) {
        WebKitFeature* feature = webkit_feature_list_get(features, i);
        if (g_strcmp0(webkit_feature_get_identifier(feature), identifier) == 0) {
            webkit_settings_set_feature_enabled(settings, feature, enabled);
        }
    }
    webkit_feature_list_unref(features);
}

}  // namespace

std::string CourseEngine::StorageNameFor(const std::string& courseLocation) {
    gchar* digest = g_compute_checksum_for_string(G_CHECKSUM_SHA256, courseLocation.c_str(), -1);
    gchar* base = g_path_get_basename(courseLocation.c_str());
    std::string name;
    for (const char* c = base; *c; ++c) {
        bool plain = g_ascii_isalnum(*c) || *c == '-' || *c == '_' || *c == '.';
        if (name.size() < 40) name.push_back(plain ? *c : '_');
    }
    if (name.empty() || name[0] == '.') name.insert(0, "course");
    name += "-" + std::string(digest, 16);
    g_free(base);
    g_free(digest);
    return name;
}

CourseEngine::CourseEngine(const CCoursePages& pages, const Options& options)
    : m_context(webkit_web_context_new()),
      m_settings(webkit_settings_new()),
      m_content(webkit_user_content_manager_new()) {
    WebKitWebContext* context = m_context.get();
    RegisterCourseScheme(context, pages);
    if (!options.sandboxReadable.empty()) {
        webkit_web_context_add_path_to_sandbox(context, options.sandboxReadable.c_str(), TRUE);
    }

    // Cookies and local storage survive from one run to the next, per course.
    m_dataFolder = Joined(g_get_user_data_dir(), "dorv", options.storageName);
    std::string cacheFolder = Joined(g_get_user_cache_dir(), "dorv", options.storageName);
    m_session = GObjectPtr<WebKitNetworkSession>(webkit_network_session_new(m_dataFolder.c_str(), cacheFolder.c_str()));
    std::string cookies = m_dataFolder + "/cookies.sqlite";
    g_mkdir_with_parents(m_dataFolder.c_str(), 0700);
    webkit_cookie_manager_set_persistent_storage(webkit_network_session_get_cookie_manager(m_session.get()),
                                                 cookies.c_str(), WEBKIT_COOKIE_PERSISTENT_STORAGE_SQLITE);
    webkit_cookie_manager_set_accept_policy(webkit_network_session_get_cookie_manager(m_session.get()),
                                            WEBKIT_COOKIE_POLICY_ACCEPT_NO_THIRD_PARTY);
    Trace("course storage: %s", m_dataFolder.c_str());

    WebKitSettings* settings = m_settings.get();
    webkit_settings_set_enable_media_stream(settings, TRUE);
    webkit_settings_set_media_playback_requires_user_gesture(settings, FALSE);
    webkit_settings_set_javascript_can_open_windows_automatically(settings, TRUE);
    SetFeature(settings, "GetUserMediaRequiresFocus", FALSE);
    // Tests record from the engine's own fake microphone.
    if (g_getenv("DORV_FAKE_CAPTURE_DEVICES")) webkit_settings_set_enable_mock_capture_devices(settings, TRUE);

    // Sound and video start when the page starts them, as they did.
    m_policies = GObjectPtr<WebKitWebsitePolicies>(
        webkit_website_policies_new_with_policies("autoplay", WEBKIT_AUTOPLAY_ALLOW, nullptr));

    AddUserScripts(pages, options);
    webkit_user_content_manager_register_script_message_handler(m_content.get(), "dorv", nullptr);
    g_signal_connect(m_content.get(), "script-message-received::dorv", G_CALLBACK(OnScriptMessage), this);
}

// A script as built into the program, with the parts written once in files
// of their own placed where it marks them.
std::string CourseEngine::ScriptText(const char* name) {
    static const std::pair<std::string_view, const char*> kParts[] = {{"CALL_ANSWER", "answer.js"},
                                                                      {"COMPAT_XML", "compat-xml.js"}};
    std::string text = BuiltInFile(std::string("js/") + name);
    for (const auto& [mark, part] : kParts) {
        size_t at = text.find(mark);
        if (at != std::string::npos) text.replace(at, mark.size(), BuiltInFile(std::string("js/") + part));
    }
    return text;
}

std::string CourseEngine::PollScript(const std::string& pollFunction) {
    std::string text = ScriptText("poll.js");
    // The name as a string of the script: a function's name holds no quote.
    const std::string name = "'" + pollFunction + "'";
    for (size_t at = text.find("POLL_FUNCTION"); at != std::string::npos; at = text.find("POLL_FUNCTION", at)) {
        text.replace(at, 13, name);
        at += name.size();
    }
    return text;
}

CourseEngine::~CourseEngine() { g_signal_handlers_disconnect_by_data(m_content.get(), this); }

void CourseEngine::AddUserScripts(const CCoursePages& pages, const Options& options) {
    const bool legacyScript = options.legacyScript;
    WebKitUserContentManager* content = m_content.get();
    // Only the course's own pages get the scripts, never a page from elsewhere.
    std::vector<std::string> patterns = pages.UrlPatterns();
    std::vector<const char*> allow;
    allow.reserve(patterns.size() + 1);
    for (const std::string& pattern : patterns) allow.push_back(pattern.c_str());
    allow.push_back(nullptr);
    auto add = [&](const char* name, WebKitUserContentInjectedFrames frames) {
        std::string source = std::strcmp(name, "poll.js") == 0 ? PollScript(options.pollFunction) : ScriptText(name);
        if (source.empty()) return Trace("the script %s is missing from the program", name);
        WebKitUserScript* script = webkit_user_script_new(
            source.c_str(), frames, WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, allow.data(), nullptr);
        webkit_user_content_manager_add_script(content, script);
        webkit_user_script_unref(script);
    };
    add("host.js", WEBKIT_USER_CONTENT_INJECT_TOP_FRAME);
    add("poll.js", WEBKIT_USER_CONTENT_INJECT_TOP_FRAME);
    // Only a course on disk needs these: a server keeps its own cookies, and
    // the engine's player fetches a server's media itself.
    if (pages.IsOnDisk()) {
        add("cookies.js", WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES);
        add("media.js", WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES);
        add("names.js", WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES);
    }
    if (legacyScript) add("compat.js", WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES);
    Trace("old browser's script interfaces: %s", legacyScript ? "offered" : "off");
}

void CourseEngine::OnScriptMessage(WebKitUserContentManager*, JSCValue* value, gpointer self) {
    auto* engine = static_cast<CourseEngine*>(self);
    if (!jsc_value_is_string(value)) return;
    gchar* text = jsc_value_to_string(value);
    std::string message = text ? text : "";
    g_free(text);
    if (message.rfind("trace:", 0) == 0) {
        std::string line = message.substr(6, 200);
        Trace("page: %s", line.c_str());
        return;
    }
    if (engine->m_onMessage) engine->m_onMessage(message);
}

WebKitWebView* CourseEngine::CreateView() const {
    return WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", m_context.get(), "network-session",
                                        m_session.get(), "settings", m_settings.get(), "user-content-manager",
                                        m_content.get(), "website-policies", m_policies.get(), nullptr));
}

WebKitWebView* CourseEngine::CreateRelatedView(WebKitWebView* parent) const {
    return WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "related-view", parent, "settings", m_settings.get(),
                                        "user-content-manager", m_content.get(), "website-policies", m_policies.get(),
                                        nullptr));
}

}  // namespace dorv
