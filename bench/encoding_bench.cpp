// The encoding decision's cost per file: the time to decide a 100 kB
// Shift_JIS page and a 1 MB UTF-8 script, as the shell decides every page,
// script and style sheet of a course that it serves.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "course/CourseEncoding.h"

namespace {

double MicrosecondsPerCall(dorv::CourseFileKind kind, const std::string& bytes, const char* expected) {
    constexpr int kCalls = 200;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kCalls; ++i) {
        if (dorv::DeclaredEncodingOf(kind, bytes) != expected) {
            std::fprintf(stderr, "FAILED: the decision is not %s\n", expected);
            std::exit(1);
        }
    }
    std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / kCalls;
}

}  // namespace

int main() {
    std::string sjis = "<html><head><title>\x93\xfa\x96\x7b\x8c\xea</title></head><body>";
    while (sjis.size() < 100 * 1024) sjis += "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x95\xb6\x8f\xcd ";  // 日本語の文章
    std::string utf8;
    while (utf8.size() < 1024 * 1024) utf8 += "var s = '日本語の文章';\n";
    std::printf("encoding decision per file\n");
    std::printf("  100 kB Shift_JIS page: %.1f us\n",
                MicrosecondsPerCall(dorv::CourseFileKind::Page, sjis, "Shift_JIS"));
    std::printf("  1 MB UTF-8 script:     %.1f us\n", MicrosecondsPerCall(dorv::CourseFileKind::Script, utf8, "UTF-8"));
    return 0;
}
