// Turns a configured location into the address the engine loads.
#pragma once

#include <string>

namespace dorv {

// A URL stays as it is; an absolute file path becomes a file URI with every
// byte outside the unreserved set and "/" percent-encoded.
std::string LocationToUri(const std::string& location);

// Whether the page at `uri` is one of the course's own: for a main page on
// a server, a page of the same origin (scheme, host and port); for a main
// page on disk, a file in the main page's folder or below it.
bool IsCoursePage(const std::string& mainLocation, const std::string& uri);

}  // namespace dorv
