// The page's own alert, confirm and prompt dialogs, which the engine lays
// over the page, carry the course's caption as their title (the engine would
// show "JavaScript - " and the page's address) and buttons in the learner's
// language. Everything else about them stays the engine's: they answer the
// page, and the page waits until the learner answers.
#pragma once

#include <webkit/webkit.h>

#include <functional>
#include <string>

namespace dorv {

class PageDialogs {
public:
    // `caption` gives the title when a dialog opens.
    explicit PageDialogs(std::function<std::string()> caption);
    ~PageDialogs();
    PageDialogs(const PageDialogs&) = delete;
    PageDialogs& operator=(const PageDialogs&) = delete;

    // The dialogs of `view` (the main page's, or a window it opened).
    void Watch(WebKitWebView* view);

private:
    static gboolean OnScriptDialog(WebKitWebView* view, WebKitScriptDialog* dialog, gpointer self);
    static gboolean Relabel(gpointer data);

    std::function<std::string()> m_caption;
};

}  // namespace dorv
