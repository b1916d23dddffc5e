#include "common/Trace.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace dorv {
namespace {
TraceSink g_sink = nullptr;
}

void SetTraceSink(TraceSink sink) { g_sink = sink; }

bool IsTracing() { return g_sink != nullptr; }

void Trace(const char* format, ...) {
    if (!g_sink) return;
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string line;
    if (needed > 0) {
        std::vector<char> buffer(static_cast<size_t>(needed) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        line.assign(buffer.data(), static_cast<size_t>(needed));
    }
    va_end(args);
    g_sink(line);
}

}  // namespace dorv
