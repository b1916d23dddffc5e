#include "platform/system/MountTable.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace dorv {
namespace {

// The mount table writes space, tab, line feed and backslash as "\ooo".
std::string Unescape(const std::string& field) {
    std::string text;
    for (size_t i = 0; i < field.size(); ++i) {
        bool octal = field[i] == '\\' && i + 3 < field.size();
        for (size_t k = 1; octal && k <= 3; ++k) octal = field[i + k] >= '0' && field[i + k] <= '7';
        if (octal) {
            text += static_cast<char>(std::strtol(field.substr(i + 1, 3).c_str(), nullptr, 8));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

// The real path of `path`, or of its nearest existing folder followed by
// the rest as given.
std::string RealPath(const std::string& path) {
    std::string head = path.empty() ? "." : path;
    std::vector<std::string> rest;  // the names below `head`, the innermost first
    for (;;) {
        char* real = realpath(head.c_str(), nullptr);
        if (real) {
            std::string resolved = real;
            free(real);
            for (auto name = rest.rbegin(); name != rest.rend(); ++name) {
                if (resolved.back() != '/') resolved += '/';
                resolved += *name;
            }
            return resolved;
        }
        size_t slash = head.find_last_of('/');
        if (slash == std::string::npos && head == ".") return {};
        rest.push_back(slash == std::string::npos ? head : head.substr(slash + 1));
        head = slash == std::string::npos ? "." : slash == 0 ? "/" : head.substr(0, slash);
    }
}

bool IsBelow(const std::string& path, const std::string& point) {
    if (point == "/") return true;
    return path.compare(0, point.size(), point) == 0 && (path.size() == point.size() || path[point.size()] == '/');
}

std::string ReadTable() {
    std::ifstream in("/proc/self/mountinfo");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

MountOf FindMount(const std::string& path, const std::string& table) {
    const std::string real = RealPath(path);
    MountOf found;
    std::istringstream lines(table);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::vector<std::string> words;
        for (std::string word; fields >> word;) words.push_back(word);
        // id parent device root point options [optional …] - type source …
        size_t dash = 6;
        while (dash < words.size() && words[dash] != "-") ++dash;
        if (words.size() < 5 || dash + 1 >= words.size()) continue;
        std::string point = Unescape(words[4]);
        // The longest mount point holding the path; of equal ones the later
        // (it covers the earlier).
        if (!IsBelow(real, point) || point.size() < found.point.size()) continue;
        found.type = words[dash + 1];
        found.point = point;
    }
    if (found.type.empty()) return {};
    std::string rest = real.substr(found.point == "/" ? 1 : found.point.size());
    if (!rest.empty() && rest[0] == '/') rest.erase(0, 1);
    found.below = rest.substr(0, rest.find('/'));
    return found;
}

MountOf FindMount(const std::string& path) { return FindMount(path, ReadTable()); }

CopyId ThisCopy() {
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0) name[0] = 0;
    std::string boot;
    std::ifstream("/proc/sys/kernel/random/boot_id") >> boot;
    std::string hex;
    for (char c : boot) {
        if (c != '-') hex += c;
        if (hex.size() == 8) break;
    }
    if (hex.size() != 8) hex = "00000000";
    return {HostNameForFiles(name), hex, static_cast<long>(getpid())};
}

bool IsProcessRunning(long pid) {
    if (pid <= 0) return false;
    return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

}  // namespace dorv
