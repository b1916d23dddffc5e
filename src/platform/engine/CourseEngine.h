// The engine as the course's pages need it: a web context that serves the
// course's files, a network session whose cookies and local storage are kept
// per course, the settings and policies of a courseware player (sound plays
// at once, the microphone may record, scripts may open windows), and the
// scripts injected into the course's own pages.
#pragma once

#include <webkit/webkit.h>

#include <functional>
#include <string>

#include "course/CoursePages.h"
#include "platform/system/GObjectPtr.h"

namespace dorv {

class CourseEngine {
public:
    struct Options {
        // Where the cookies and local storage of this course are kept: a
        // folder of its own below the user's data folder.
        std::string storageName;
        bool legacyScript = true;  // the old browser's script interfaces
        // A folder of files that the page's process must be able to read
        // (the program's font configuration); "" for none.
        std::string sandboxReadable;
        // The page's function that the poll asks (poll.js calls it).
        std::string pollFunction;
    };

    CourseEngine(const CCoursePages& pages, const Options& options);
    ~CourseEngine();
    CourseEngine(const CourseEngine&) = delete;
    CourseEngine& operator=(const CourseEngine&) = delete;

    // A new view for the course's main page.
    WebKitWebView* CreateView() const;
    // A view for a window that a page of `parent` opens: same process,
    // session, settings and scripts.
    WebKitWebView* CreateRelatedView(WebKitWebView* parent) const;

    // What the injected script asks of the shell: "close" (the page's
    // window.close() of the main window) and "trace:<text>".
    void SetMessageHandler(std::function<void(const std::string&)> handler) { m_onMessage = std::move(handler); }

    // The per-course folders, for the tests and the trace.
    const std::string& DataFolder() const { return m_dataFolder; }

    // The key for `Options::storageName`: the course folder's name and a
    // digest of where the course is, so that no two courses share one.
    static std::string StorageNameFor(const std::string& courseLocation);

    // The text of a script built into the program ("host.js", "media.js" …),
    // as the course's pages get it; "" if there is none of that name.
    static std::string ScriptText(const char* name);
    // poll.js for the page's poll function `pollFunction`.
    static std::string PollScript(const std::string& pollFunction);

private:
    static void OnScriptMessage(WebKitUserContentManager*, JSCValue* value, gpointer self);
    void AddUserScripts(const CCoursePages& pages, const Options& options);

    GObjectPtr<WebKitWebContext> m_context;
    GObjectPtr<WebKitNetworkSession> m_session;
    GObjectPtr<WebKitSettings> m_settings;
    GObjectPtr<WebKitUserContentManager> m_content;
    GObjectPtr<WebKitWebsitePolicies> m_policies;
    std::string m_dataFolder;
    std::function<void(const std::string&)> m_onMessage;
};

}  // namespace dorv
