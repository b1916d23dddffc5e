#include "library/CourseFinder.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <set>

#include "app/DorvApp.h"
#include "common/Location.h"

namespace dorv {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whether `a` comes before `b` as people count: "unit2" before "unit10".
bool NaturalLess(const std::string& a, const std::string& b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            while (i + 1 < a.size() && a[i] == '0' && IsDigit(a[i + 1])) ++i;
            while (j + 1 < b.size() && b[j] == '0' && IsDigit(b[j + 1])) ++j;
            size_t aEnd = i, bEnd = j;
            while (aEnd < a.size() && IsDigit(a[aEnd])) ++aEnd;
            while (bEnd < b.size() && IsDigit(b[bEnd])) ++bEnd;
            if (aEnd - i != bEnd - j) return aEnd - i < bEnd - j;
            int order = a.compare(i, aEnd - i, b, j, bEnd - j);
            if (order != 0) return order < 0;
            i = aEnd;
            j = bEnd;
        } else if (a[i] != b[j]) {
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
        } else {
            ++i;
            ++j;
        }
    }
    if (a.size() - i != b.size() - j) return a.size() - i < b.size() - j;
    return a < b;  // "unit01" and "unit1" still in one order
}

// The names in `folder`, "." and ".." left out, in the order people count.
std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return names;
    while (const dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end(), NaturalLess);
    return names;
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string RealPath(const std::string& path) {
    char* real = realpath(path.c_str(), nullptr);
    if (!real) return {};
    std::string resolved = real;
    free(real);
    return resolved;
}

std::string Below(const std::string& folder, const std::string& name) {
    return (folder == "/" ? "" : folder) + "/" + name;
}

// The folders directly below `folder` that may hold courses.
std::vector<std::string> SubFolders(const std::string& folder) {
    std::vector<std::string> found;
    for (const std::string& name : Names(folder)) {
        if (name.front() == '.') continue;
        std::string path = Below(folder, name);
        if (IsFolder(path)) found.push_back(path);
    }
    return found;
}

class CourseCollector {
public:
    explicit CourseCollector(std::vector<FoundCourse>& found) : m_found(found) {}

    // `folder` and, `depth` levels down, the folders below it.
    void Look(const std::string& folder, const CoursePlace& place, bool itself, int depth) {
        if (itself) Take(folder, place);
        if (depth <= 0) return;
        for (const std::string& sub : SubFolders(folder)) Look(sub, place, true, depth - 1);
    }

private:
    void Take(const std::string& folder, const CoursePlace& place) {
        std::string iniName = FindSettingsFile(folder);
        if (iniName.empty()) return;
        std::string real = RealPath(folder);
        if (real.empty() || !m_seen.insert(real).second) return;
        m_found.push_back({real, place, iniName});
    }

    std::vector<FoundCourse>& m_found;
    std::set<std::string> m_seen;
};

}  // namespace

std::string FindSettingsFile(const std::string& folder) {
    if (IsFile(Below(folder, CDORVApp::kIniFileName))) return CDORVApp::kIniFileName;
    for (const std::string& name : Names(folder)) {
        if (EqualsIgnoringAsciiCase(name, CDORVApp::kIniFileName) && IsFile(Below(folder, name))) return name;
    }
    return {};
}

std::vector<FoundCourse> FindCourses(const std::vector<CoursePlace>& places) {
    std::vector<FoundCourse> found;
    CourseCollector collector(found);
    for (const CoursePlace& place : places) {
        switch (place.kind) {
            case PlaceKind::User:
            case PlaceKind::System:
                collector.Look(place.folder, place, false, 1);
                break;
            case PlaceKind::Configured:
                collector.Look(place.folder, place, true, 1);
                break;
            case PlaceKind::Removable:
                collector.Look(place.folder, place, true, 2);
                break;
        }
    }
    return found;
}

}  // namespace dorv
