// What the course's pages may use of the machine: the microphone, without a
// question, for speaking exercises; nothing else (camera, location,
// notifications), and nothing at all for a page from elsewhere. While a
// page records, the listener hears of it, so that the window can show it.
#pragma once

#include <webkit/webkit.h>

#include <functional>
#include <vector>

#include "course/CoursePages.h"

namespace dorv {

class PagePermissions {
public:
    explicit PagePermissions(const CCoursePages& pages) : m_pages(pages) {}
    ~PagePermissions();
    PagePermissions(const PagePermissions&) = delete;
    PagePermissions& operator=(const PagePermissions&) = delete;

    void SetRecordingListener(std::function<void(bool recording)> listener) { m_onRecording = std::move(listener); }
    // Decides the permission requests of `view`'s pages; the view must not
    // outlive this.
    void Watch(WebKitWebView* view);

private:
    static gboolean OnPermissionRequest(WebKitWebView* view, WebKitPermissionRequest* request, gpointer self);
    static void OnCaptureStateChanged(WebKitWebView*, GParamSpec*, gpointer self);
    static void OnViewGone(gpointer self, GObject* gone);
    void UpdateRecording();

    const CCoursePages& m_pages;
    std::function<void(bool)> m_onRecording;
    std::vector<WebKitWebView*> m_views;
    bool m_bRecording = false;
    // While recording, the state is read again every second: the engine
    // does not always tell of the capture's end when it follows its start
    // closely on a busy machine.
    guint m_recheck = 0;
};

}  // namespace dorv
