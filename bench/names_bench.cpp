// What finding a course file as Windows found it costs: a course of 5,000
// files in 50 folders, asked for by 1,000 addresses in another letter case
// and with "\" between folders, through the course's own address lookup.
// Every answer is checked; the folders must have been listed once each.
//   names_bench [FOLDER]
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "course/CoursePages.h"

namespace {

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "names_bench: %s: no figure\n", what.c_str());
    std::exit(1);
}

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    std::string root = std::string(argc > 1 ? argv[1] : ".") + "/names-bench-" + std::to_string(getpid());
    constexpr int kFolders = 50, kFilesPerFolder = 100, kLookups = 1000;
    if (mkdir(root.c_str(), 0777) != 0) Fail("cannot make " + root);
    std::vector<std::string> files;
    for (int f = 0; f < kFolders; ++f) {
        std::string folder = root + "/unit" + std::to_string(f);
        if (mkdir(folder.c_str(), 0777) != 0) Fail("cannot make " + folder);
        for (int i = 0; i < kFilesPerFolder; ++i) {
            std::string name = "unit" + std::to_string(f) + "/page" + std::to_string(i) + ".htm";
            std::ofstream(root + "/" + name) << "x";
            files.push_back(name);
        }
    }
    std::ofstream(root + "/main.htm") << "m";
    dorv::CCoursePages pages(root + "/main.htm", root);
    std::mt19937 random(7);
    std::vector<double> times;
    for (int k = 0; k < kLookups; ++k) {
        const std::string& name = files[random() % files.size()];
        std::string asked = Upper(name);
        std::replace(asked.begin(), asked.end(), '/', '\\');
        std::string uri = dorv::CCoursePages::FileUri(root + "/") + asked;
        auto start = std::chrono::steady_clock::now();
        std::string found = pages.FileOf(uri);
        times.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
        if (found != root + "/" + name) Fail(uri + " gave \"" + found + "\"");
    }
    if (pages.Names().ListingsMade() > kFolders + 1) Fail("folders were listed more than once");
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    std::printf("%d files, %d lookups in another case with \"\\\", %zu folders listed\n", kFolders * kFilesPerFolder,
                kLookups, pages.Names().ListingsMade());
    std::printf("lookup: median %.1f us, 99th percentile %.1f us, slowest %.1f us (the first: %.1f us)\n",
                sorted[sorted.size() / 2], sorted[sorted.size() * 99 / 100], sorted.back(), times.front());
    std::printf("under 1 ms each: %s\n", sorted.back() < 1000.0 ? "yes" : "NO");
    std::string command = "rm -rf '" + root + "'";
    return std::system(command.c_str()) == 0 ? 0 : 1;
}
