// Serves the course's files to the engine under the course's own address
// (dorv://course/<path>): one origin for every page of the course, each
// file read here in the program rather than by the engine's sandboxed
// process, pages and scripts described with the encoding they were written
// in, and nothing outside the course at all.
#pragma once

#include <webkit/webkit.h>

#include "course/CoursePages.h"

namespace dorv {

// Registers the scheme with `context` before any page loads. `pages` must
// outlive every request of the context.
void RegisterCourseScheme(WebKitWebContext* context, const CCoursePages& pages);

}  // namespace dorv
