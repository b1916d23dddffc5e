#include "platform/system/BuiltIns.h"

#include <gio/gio.h>

namespace dorv {

std::string BuiltInFile(const std::string& name) {
    std::string path = "/org/dorv/Dorv/" + name;
    GBytes* bytes = g_resources_lookup_data(path.c_str(), G_RESOURCE_LOOKUP_FLAGS_NONE, nullptr);
    if (!bytes) return {};
    gsize size = 0;
    const char* data = static_cast<const char*>(g_bytes_get_data(bytes, &size));
    std::string text(data ? data : "", size);
    g_bytes_unref(bytes);
    return text;
}

}  // namespace dorv
