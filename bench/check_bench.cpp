// The course check on a library: 50 courses of 2000 files each (pages,
// scripts, style sheets, images), their references written in several
// spellings (as on disk, in another letter case, with "\", Japanese names
// that are code page 932 bytes on disk, and some that name no file). Prints
// the time of the whole check, three times over (each a check of its own,
// with no folder listing kept from the one before; the files themselves
// are in the system's cache, as just written), and fails unless each
// round's report counted and listed what the library holds.
//
//   check_bench [FOLDER] [COURSES]   (FOLDER: where the scratch library goes)
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "check/CourseCheck.h"
#include "common/TextEncoding.h"

namespace {

namespace fs = std::filesystem;

constexpr int kUnits = 20;  // folders of a course
constexpr int kPagesPerUnit = 40;
constexpr int kScriptsPerUnit = 10;
constexpr int kStylesPerUnit = 5;
constexpr int kImagesPerUnit = 40;
constexpr int kJapaneseImagesPerUnit = 5;  // code page 932 names on disk
constexpr int kMissingEvery = 10;          // one page in ten names a missing image

struct Expected {
    size_t pages = 0, scripts = 0, styles = 0, references = 0, exact = 0, windows = 0, broken = 0, elsewhere = 0;
};

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary);
    file << bytes;
    if (!file) {
        std::fprintf(stderr, "FAILED: cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

std::string Cp932(const std::string& utf8) { return *dorv::Utf8ToCp932(utf8); }

std::string PageName(int i, const char* prefix = "p", const char* extension = ".htm") {
    char name[24];
    std::snprintf(name, sizeof name, "%s%02d%s", prefix, i, extension);
    return name;
}

// One course of kUnits folders; `e` counts what its check must find.
void MakeCourse(const fs::path& course, Expected& e) {
    fs::create_directories(course);
    Write(course / "DORV.ini", "[Document]\r\nconfig=course.xml\r\nmain=u00\\p00.htm\r\n");
    Write(course / "course.xml", "<config file_title=\"BENCH\" courseware=\"Bench Ver 1.0\"/>");
    for (int u = 0; u < kUnits; ++u) {
        char unit[8];
        std::snprintf(unit, sizeof unit, "u%02d", u);
        fs::path dir = course / unit;
        fs::create_directories(dir / "img");
        fs::create_directories(dir / Cp932("画像"));
        for (int i = 0; i < kImagesPerUnit; ++i) Write(dir / "img" / ("pic" + std::to_string(i) + ".gif"), "GIF89a");
        for (int i = 0; i < kJapaneseImagesPerUnit; ++i) {
            Write(dir / Cp932("画像") / Cp932("絵" + std::to_string(i) + ".gif"), "GIF89a");
        }
        for (int i = 0; i < kScriptsPerUnit; ++i) {
            Write(dir / ("s" + std::to_string(i) + ".js"),
                  "var d = new ActiveXObject(\"Microsoft.XMLDOM\");\nd.load(\"img/pic" + std::to_string(i) +
                      ".gif\");\nsnd.src = \"Img\\\\Pic" + std::to_string(i) + ".gif\";\nvar x = 'a' + b;\n");
            e.references += 2;
            e.exact += 1;
            e.windows += 1;
        }
        for (int i = 0; i < kStylesPerUnit; ++i) {
            Write(dir / ("c" + std::to_string(i) + ".css"), "body { background: url(img/pic" + std::to_string(i) +
                                                                ".gif) }\n.a { background-image: url('IMG/PIC" +
                                                                std::to_string(i + 1) + ".GIF') }\n");
            e.references += 2;
            e.exact += 1;
            e.windows += 1;
        }
        for (int i = 0; i < kPagesPerUnit; ++i) {
            int k = i % kImagesPerUnit;
            std::string page = "<html><head><title>\x91\xe6" + std::to_string(i) +
                               "\x89\xdb</title>\n<link rel=\"stylesheet\" href=\"c" +
                               std::to_string(i % kStylesPerUnit) + ".css\">\n<script src=\"s" +
                               std::to_string(i % kScriptsPerUnit) +
                               ".js\"></script></head>\n<body background=\"img/pic" + std::to_string(k) + ".gif\">\n";
            page += "<img src=\"IMG/Pic" + std::to_string(k) + ".GIF\"> <img src=\"img\\pic" + std::to_string(k) +
                    ".gif\">\n";
            page += "<img src=\"" + Cp932("画像/絵" + std::to_string(i % kJapaneseImagesPerUnit) + ".gif") + "\">\n";
            page += "<a href=\"" + PageName((i + 1) % kPagesPerUnit) + "\">next</a>\n";
            page += "<a href=\"#\" onclick=\"window.open('" + PageName(i, "P", ".HTM") + "'); return false\">me</a>\n";
            page += "<a href=\"http://example.org/\">web</a> <a href=\"#top\">top</a>\n";
            e.references += 11;
            e.exact += 4;
            e.windows += 4;
            e.elsewhere += 3;
            if (i % kMissingEvery == 0) {
                page += "<img src=\"img/none" + std::to_string(i) + ".gif\">\n";
                e.references += 1;
                e.broken += 1;
            }
            page += std::string(600, ' ') + "</body></html>\n";
            Write(dir / PageName(i), page);
        }
        e.pages += kPagesPerUnit;
        e.scripts += kScriptsPerUnit;
        e.styles += kStylesPerUnit;
    }
}

void Expect(size_t got, size_t expected, const char* what) {
    if (got == expected) return;
    std::fprintf(stderr, "FAILED: the report has %zu %s, the library %zu\n", got, what, expected);
    std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
    fs::path scratch = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    int courses = argc > 2 ? std::atoi(argv[2]) : 50;
    std::string pattern = (scratch / "check-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("check_bench: mkdtemp");
        return 1;
    }
    fs::path library = pattern;
    std::vector<std::string> folders;
    Expected one;
    for (int c = 0; c < courses; ++c) {
        Expected e;
        folders.push_back((library / ("course" + std::to_string(c))).string());
        MakeCourse(folders.back(), e);
        one = e;
    }
    size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(library)) files += entry.is_regular_file() ? 1 : 0;
    std::printf("check of %d courses, %zu files in all (%zu a course)\n", courses, files, files / courses);

    // What each course's report must say, as many times as there are courses.
    std::string read = "  read " + std::to_string(one.pages) + " pages, " + std::to_string(one.scripts) + " scripts, " +
                       std::to_string(one.styles) + " style sheets: " + std::to_string(one.references) +
                       " references, " + std::to_string(one.exact) + " found as written, " +
                       std::to_string(one.windows) + " only as Windows names, " + std::to_string(one.broken) +
                       " will not work, " + std::to_string(one.elsewhere) + " elsewhere (web, mail, the page itself)";
    std::string last = ": starts; " + std::to_string(one.broken) + " references will not work, " +
                       std::to_string(one.windows) + " references work only as Windows names";
    dorv::CheckServices services;
    std::string reportPath = (library / "report.txt").string();
    for (int round = 1; round <= 3; ++round) {
        std::FILE* out = std::fopen(reportPath.c_str(), "w");
        auto start = std::chrono::steady_clock::now();
        int status = dorv::RunCourseCheck(folders, false, services, out);
        std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
        std::fclose(out);
        if (status != 1) {
            std::fprintf(stderr, "FAILED: exit status %d, not 1 (the library has missing images)\n", status);
            return 1;
        }
        std::ifstream file(reportPath);
        size_t reads = 0, lasts = 0, windows = 0, broken = 0;
        for (std::string line; std::getline(file, line);) {
            reads += line == read ? 1 : 0;
            lasts += line.ends_with(last) ? 1 : 0;
            windows += line.find("\" on disk (") != std::string::npos ? 1 : 0;
            broken += line.find("\": no such file") != std::string::npos ? 1 : 0;
        }
        Expect(reads, folders.size(), "courses whose files were all read and counted");
        Expect(lasts, folders.size(), "courses with the expected last line");
        Expect(windows, one.windows * folders.size(), "references listed as Windows names");
        Expect(broken, one.broken * folders.size(), "references listed as not found");
        std::printf("  round %d: %.2f s (%.1f ms a course)\n", round, spent.count(), spent.count() * 1000 / courses);
    }
    std::printf(
        "  each course: %zu pages, %zu scripts, %zu style sheets, %zu references (%zu as written, %zu as "
        "Windows names, %zu will not work, %zu elsewhere)\n",
        one.pages, one.scripts, one.styles, one.references, one.exact, one.windows, one.broken, one.elsewhere);
    std::error_code ignored;
    fs::remove_all(library, ignored);
    return 0;
}
