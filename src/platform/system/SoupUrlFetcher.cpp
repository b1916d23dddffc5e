#include "platform/system/SoupUrlFetcher.h"

#include <string>

#include "common/Trace.h"

namespace dorv {

SoupUrlFetcher::SoupUrlFetcher(unsigned timeoutSeconds)
    : m_session(soup_session_new_with_options("timeout", timeoutSeconds, "idle-timeout", timeoutSeconds, nullptr)) {}

bool SoupUrlFetcher::Fetch(const std::string& url, std::string& body, std::string& why) {
    SoupMessage* message = soup_message_new("GET", url.c_str());
    if (!message) {
        why = "not a valid URL";
        Trace("fetch %s: %s", url.c_str(), why.c_str());
        return false;
    }
    GError* error = nullptr;
    GBytes* bytes = soup_session_send_and_read(m_session.get(), message, nullptr, &error);
    guint status = soup_message_get_status(message);
    bool ok = bytes && SOUP_STATUS_IS_SUCCESSFUL(status);
    if (ok) {
        gsize size = 0;
        const char* data = static_cast<const char*>(g_bytes_get_data(bytes, &size));
        body.assign(data ? data : "", size);
    }
    if (error) {
        why = error->message;
    } else if (!ok) {
        why = "the server answered " + std::to_string(status);
        if (const char* reason = soup_message_get_reason_phrase(message); reason && *reason)
            why += std::string(" ") + reason;
    }
    Trace("fetch %s: %s", url.c_str(), ok ? "ok" : why.c_str());
    if (bytes) g_bytes_unref(bytes);
    if (error) g_error_free(error);
    g_object_unref(message);
    return ok;
}

}  // namespace dorv
