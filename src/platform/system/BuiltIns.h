// The files built into the program (data/dorv.gresource.xml): the scripts
// injected into pages, the font configuration, the icons.
#pragma once

#include <string>

namespace dorv {

// The content of the built-in file `name` ("js/poll.js", "fonts.conf");
// "" when the program has none of that name.
std::string BuiltInFile(const std::string& name);

}  // namespace dorv
