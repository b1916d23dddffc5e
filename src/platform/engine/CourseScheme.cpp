#include "platform/engine/CourseScheme.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gio/gunixinputstream.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

#include "common/Trace.h"
#include "course/ByteRanges.h"
#include "course/CourseEncoding.h"

namespace dorv {
namespace {

// Pages, scripts and style sheets are read whole to decide their encoding;
// a course's are small. Other files are streamed.
constexpr gint64 kMaxTextFileBytes = gint64{64} * 1024 * 1024;

void Refuse(WebKitURISchemeRequest* request, const char* uri, GIOErrorEnum code, const char* why) {
    Trace("%s: %s", uri, why);
    GError* error = g_error_new_literal(G_IO_ERROR, code, why);
    webkit_uri_scheme_request_finish_error(request, error);
    g_error_free(error);
}

void Respond(WebKitURISchemeRequest* request, GInputStream* stream, gint64 length, const std::string& type, int status,
             SoupMessageHeaders* headers) {
    WebKitURISchemeResponse* response = webkit_uri_scheme_response_new(stream, length);
    webkit_uri_scheme_response_set_content_type(response, type.c_str());
    webkit_uri_scheme_response_set_status(response, status, nullptr);
    webkit_uri_scheme_response_set_http_headers(response, headers);
    webkit_uri_scheme_request_finish_with_response(request, response);
    g_object_unref(response);
}

std::string GuessedType(const std::string& path) {
    gchar* guess = g_content_type_guess(path.c_str(), nullptr, 0, nullptr);
    gchar* mime = guess ? g_content_type_get_mime_type(guess) : nullptr;
    std::string type = mime ? mime : "application/octet-stream";
    g_free(mime);
    g_free(guess);
    return type;
}

void ServeFile(WebKitURISchemeRequest* request, const CCoursePages& pages) {
    const char* uri = webkit_uri_scheme_request_get_uri(request);
    std::string path = pages.FileOf(uri);
    if (path.empty()) return Refuse(request, uri, G_IO_ERROR_PERMISSION_DENIED, "not a file of the course: refused");
    // Never blocks on a FIFO or a device, and reads nothing but a file.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        int err = fd < 0 ? errno : EISDIR;
        if (fd >= 0) close(fd);
        return Refuse(request, uri, err == ENOENT ? G_IO_ERROR_NOT_FOUND : G_IO_ERROR_FAILED, std::strerror(err));
    }
    gint64 size = info.st_size;
    CourseFileKind kind = KindOfCourseFile(path);
    std::string type = MediaTypeOfCourseFile(path);
    if (type.empty()) type = GuessedType(path);
    SoupMessageHeaders* headers = soup_message_headers_new(SOUP_MESSAGE_HEADERS_RESPONSE);
    soup_message_headers_append(headers, "Cache-Control", "no-cache");
    GInputStream* stream = g_unix_input_stream_new(fd, TRUE);

    if (kind != CourseFileKind::Other) {
        if (size > kMaxTextFileBytes) {
            g_object_unref(stream);
            soup_message_headers_unref(headers);
            return Refuse(request, uri, G_IO_ERROR_FAILED, "too large for a page, script or style sheet");
        }
        GError* error = nullptr;
        GBytes* bytes = g_input_stream_read_bytes(stream, static_cast<gsize>(size), nullptr, &error);
        g_object_unref(stream);
        if (!bytes) {
            soup_message_headers_unref(headers);
            Refuse(request, uri, G_IO_ERROR_FAILED, error->message);
            return g_error_free(error);
        }
        gsize length = 0;
        const char* data = static_cast<const char*>(g_bytes_get_data(bytes, &length));
        std::string encoding = DeclaredEncodingOf(kind, std::string_view(data ? data : "", length));
        if (!encoding.empty()) type += "; charset=" + encoding;
        GInputStream* memory = g_memory_input_stream_new_from_bytes(bytes);
        g_bytes_unref(bytes);
        Respond(request, memory, static_cast<gint64>(length), type, 200, headers);
        return g_object_unref(memory);
    }

    // Media seek by byte ranges.
    soup_message_headers_append(headers, "Accept-Ranges", "bytes");
    SoupMessageHeaders* asked = webkit_uri_scheme_request_get_http_headers(request);
    const char* rangeHeader = asked ? soup_message_headers_get_one(asked, "Range") : nullptr;
    std::optional<ByteRange> range = ParseByteRange(rangeHeader ? rangeHeader : "", size);
    if (!range) {
        Respond(request, stream, size, type, 200, headers);
        return g_object_unref(stream);
    }
    GError* error = nullptr;
    if (range->first > 0 && !g_seekable_seek(G_SEEKABLE(stream), range->first, G_SEEK_SET, nullptr, &error)) {
        g_object_unref(stream);
        soup_message_headers_unref(headers);
        Refuse(request, uri, G_IO_ERROR_FAILED, error->message);
        return g_error_free(error);
    }
    GInputStream* body = stream;
    if (range->readAtOnce) {
        GBytes* bytes =
            g_input_stream_read_bytes(stream, static_cast<gsize>(range->last - range->first + 1), nullptr, nullptr);
        g_object_unref(stream);
        gsize got = bytes ? g_bytes_get_size(bytes) : 0;
        range->last = range->first + static_cast<gint64>(got) - 1;
        body = bytes ? g_memory_input_stream_new_from_bytes(bytes) : g_memory_input_stream_new();
        if (bytes) g_bytes_unref(bytes);
    }
    soup_message_headers_append(headers, "Content-Range", ContentRangeOf(*range, size).c_str());
    Respond(request, body, range->last - range->first + 1, type, 206, headers);
    g_object_unref(body);
}

}  // namespace

void RegisterCourseScheme(WebKitWebContext* context, const CCoursePages& pages) {
    webkit_web_context_register_uri_scheme(
        context, CCoursePages::kScheme,
        [](WebKitURISchemeRequest* request, gpointer data) {
            ServeFile(request, *static_cast<const CCoursePages*>(data));
        },
        const_cast<CCoursePages*>(&pages), nullptr);
    // A secure context (the microphone, storage and the like need one).
    WebKitSecurityManager* security = webkit_web_context_get_security_manager(context);
    webkit_security_manager_register_uri_scheme_as_secure(security, CCoursePages::kScheme);
}

}  // namespace dorv
