// Tracing for course authors: each start-up step, page call and host command
// can be followed. The platform installs a sink; without one nothing is
// formatted or written.
#pragma once

#include <string>

namespace dorv {

using TraceSink = void (*)(const std::string& line);

// Installs the sink (nullptr switches tracing off).
void SetTraceSink(TraceSink sink);

bool IsTracing();

// printf-style; formats only when a sink is installed.
void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace dorv
