#include "platform/system/UserLanguages.h"

#include <glib.h>

namespace dorv {

std::vector<std::string> UserLanguages() {
    std::vector<std::string> names;
    for (const gchar* const* name = g_get_language_names(); name && *name; ++name) names.emplace_back(*name);
    return names;
}

}  // namespace dorv
