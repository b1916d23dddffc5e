#include "platform/engine/PagePermissions.h"

#include <algorithm>

#include "common/Trace.h"

namespace dorv {

void PagePermissions::Watch(WebKitWebView* view) {
    g_signal_connect(view, "permission-request", G_CALLBACK(OnPermissionRequest), this);
    g_signal_connect(view, "notify::microphone-capture-state", G_CALLBACK(OnCaptureStateChanged), this);
    m_views.push_back(view);
    // A view gone (a closed window) no longer records.
    g_object_weak_ref(G_OBJECT(view), OnViewGone, this);
}

PagePermissions::~PagePermissions() {
    if (m_recheck) g_source_remove(m_recheck);
    for (WebKitWebView* view : m_views) {
        g_object_weak_unref(G_OBJECT(view), OnViewGone, this);
        g_signal_handlers_disconnect_by_data(view, this);
    }
}

void PagePermissions::OnViewGone(gpointer self, GObject* gone) {
    auto* permissions = static_cast<PagePermissions*>(self);
    auto& views = permissions->m_views;
    views.erase(std::remove(views.begin(), views.end(), reinterpret_cast<WebKitWebView*>(gone)), views.end());
    permissions->UpdateRecording();
}

gboolean PagePermissions::OnPermissionRequest(WebKitWebView* view, WebKitPermissionRequest* request, gpointer self) {
    auto* permissions = static_cast<PagePermissions*>(self);
    const char* uri = webkit_web_view_get_uri(view);
    bool course = uri && permissions->m_pages.IsCoursePage(uri);
    bool allow = false;
    const char* what = G_OBJECT_TYPE_NAME(request);
    if (WEBKIT_IS_USER_MEDIA_PERMISSION_REQUEST(request)) {
        auto* media = WEBKIT_USER_MEDIA_PERMISSION_REQUEST(request);
        bool audio = webkit_user_media_permission_is_for_audio_device(media);
        bool video = webkit_user_media_permission_is_for_video_device(media) ||
                     webkit_user_media_permission_is_for_display_device(media);
        allow = course && audio && !video;
        what = video ? "camera or screen" : "microphone";
    } else if (WEBKIT_IS_DEVICE_INFO_PERMISSION_REQUEST(request)) {
        // The names of the microphones, for a page that lists them.
        allow = course;
        what = "device list";
    }
    Trace("%s asks for the %s: %s", uri ? uri : "a page", what, allow ? "granted" : "refused");
    if (allow) {
        webkit_permission_request_allow(request);
    } else {
        webkit_permission_request_deny(request);
    }
    return TRUE;
}

void PagePermissions::OnCaptureStateChanged(WebKitWebView*, GParamSpec*, gpointer self) {
    static_cast<PagePermissions*>(self)->UpdateRecording();
}

void PagePermissions::UpdateRecording() {
    bool recording = std::any_of(m_views.begin(), m_views.end(), [](WebKitWebView* view) {
        return webkit_web_view_get_microphone_capture_state(view) == WEBKIT_MEDIA_CAPTURE_STATE_ACTIVE;
    });
    if (recording && !m_recheck) {
        m_recheck = g_timeout_add_seconds(
            1,
            +[](gpointer self) -> gboolean {
                auto* permissions = static_cast<PagePermissions*>(self);
                permissions->UpdateRecording();
                if (permissions->m_bRecording) return G_SOURCE_CONTINUE;
                permissions->m_recheck = 0;
                return G_SOURCE_REMOVE;
            },
            this);
    }
    if (recording == m_bRecording) return;
    m_bRecording = recording;
    Trace("microphone %s", recording ? "recording" : "off");
    if (m_onRecording) m_onRecording(recording);
}

}  // namespace dorv
