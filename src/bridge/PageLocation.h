// Turns a configured location into the address the engine loads.
#pragma once

#include <string>

namespace dorv {

// A URL stays as it is; an absolute file path becomes a file URI with every
// byte outside the unreserved set and "/" percent-encoded.
std::string LocationToUri(const std::string& location);

}  // namespace dorv
