#include "platform/system/CourseFonts.h"

#include <gio/gio.h>

#include "common/Trace.h"
#include "platform/system/BuiltIns.h"

namespace dorv {

std::string InstallCourseFonts() {
    std::string text = BuiltInFile("fonts.conf");
    if (text.empty()) return {};
    gchar* folder = g_build_filename(g_get_user_cache_dir(), "dorv", "fontconfig", nullptr);
    std::string dir = folder;
    g_free(folder);
    std::string file = dir + "/fonts.conf";
    // The configuration in force so far stays in force beneath ours.
    const char* previous = g_getenv("FONTCONFIG_FILE");
    std::string system = previous && *previous && file != previous ? previous : "/etc/fonts/fonts.conf";
    const std::string mark = "@SYSTEM_FONTS_CONF@";
    size_t at = text.find(mark);
    if (at != std::string::npos) {
        gchar* escaped = g_markup_escape_text(system.c_str(), -1);
        text.replace(at, mark.size(), escaped);
        g_free(escaped);
    }
    GError* error = nullptr;
    gchar* existing = nullptr;
    gsize existingSize = 0;
    bool same = g_file_get_contents(file.c_str(), &existing, &existingSize, nullptr) &&
                std::string(existing, existingSize) == text;
    g_free(existing);
    if (same) {
        g_setenv("FONTCONFIG_FILE", file.c_str(), TRUE);
        return dir;
    }
    // Written whole and renamed into place: another copy of the program may
    // be reading it.
    if (g_mkdir_with_parents(dir.c_str(), 0700) != 0 ||
        !g_file_set_contents_full(file.c_str(), text.data(), static_cast<gssize>(text.size()),
                                  G_FILE_SET_CONTENTS_CONSISTENT, 0600, &error)) {
        Trace("font configuration not written (%s): system fonts only", error ? error->message : "no folder");
        if (error) g_error_free(error);
        return {};
    }
    g_setenv("FONTCONFIG_FILE", file.c_str(), TRUE);
    return dir;
}

}  // namespace dorv
