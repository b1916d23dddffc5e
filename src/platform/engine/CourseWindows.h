// Windows that the course's pages open with window.open: a course page
// opens in a second window of the program, over the main window, with the
// course's caption, and closes with the course or with its own
// window.close(); a page from elsewhere opens in the user's web browser.
#pragma once

#include <gtk/gtk.h>
#include <webkit/webkit.h>

#include <functional>

namespace dorv {

class CourseEngine;

class CourseWindows {
public:
    struct Hooks {
        // Opens a page from elsewhere in the user's web browser; true when
        // `uri` was such a page.
        std::function<bool(const char* uri)> keepOut;
        // Each new view, to be watched like the main one (permissions).
        std::function<void(WebKitWebView*)> adopt;
    };

    CourseWindows(const CourseEngine& engine, GtkWindow* main, Hooks hooks);
    ~CourseWindows();
    CourseWindows(const CourseWindows&) = delete;
    CourseWindows& operator=(const CourseWindows&) = delete;

    // Serves window.open for the pages of `view` (the main view and every
    // view opened from it).
    void Watch(WebKitWebView* view);
    // Closes every window the course opened.
    void CloseAll();

private:
    static GtkWidget* OnCreate(WebKitWebView* view, WebKitNavigationAction* action, gpointer self);
    static void OnReadyToShow(WebKitWebView* view, gpointer self);
    static void OnClose(WebKitWebView* view, gpointer self);
    static void OnLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer self);
    static gboolean OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                                   gpointer self);

    const CourseEngine& m_engine;
    GtkWindow* m_main;
    Hooks m_hooks;
    std::vector<GtkWindow*> m_windows;
};

}  // namespace dorv
