// The Windows font names that courses use (Arial, ＭＳ Ｐゴシック …) resolved
// to installed fonts of the same metrics, for this program's processes only:
// its font configuration, which includes the system's, is handed to
// fontconfig through the environment before GTK or the engine start.
#pragma once

#include <string>

namespace dorv {

// Writes the configuration below the user's cache folder and points
// FONTCONFIG_FILE at it. Returns the folder that holds it (the page's
// sandboxed process must be able to read it), or "" when it could not be
// written; the system's configuration then stays in force.
std::string InstallCourseFonts();

}  // namespace dorv
