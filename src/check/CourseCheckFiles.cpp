// The course check's reading of the course's files: every page, script and
// style sheet below the course's folders, and each reference in them looked
// up as the program serves the engine's request for it.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unordered_map>

#include "check/CourseCheck.h"
#include "check/CourseReferences.h"
#include "common/Location.h"
#include "course/CourseNames.h"
#include "course/CoursePages.h"

namespace dorv::check {
namespace {

// The program serves no larger page, script or style sheet.
constexpr size_t kMaxTextFileBytes = size_t{64} * 1024 * 1024;

struct CourseFile {
    std::string path;
    CourseFileKind kind;
};

// Every page, script and style sheet below `folder`, in byte order of their
// names. Folders reached through symbolic links are not entered (their
// files are read where they lie, when that is the course); a linked file is
// read when it points into the course.
void Collect(const std::string& folder, const CCoursePages& pages, std::vector<CourseFile>& files) {
    DIR* dir = opendir(folder.empty() ? "/" : folder.c_str());
    if (!dir) return;
    std::vector<std::pair<std::string, unsigned char>> entries;
    while (struct dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") entries.emplace_back(std::move(name), entry->d_type);
    }
    closedir(dir);
    std::sort(entries.begin(), entries.end());
    for (const auto& [name, type] : entries) {
        std::string path = folder;
        path.append("/").append(name);
        unsigned char kind = type;
        if (kind == DT_UNKNOWN) {
            struct stat st {};
            if (lstat(path.c_str(), &st) != 0) continue;
            kind = S_ISDIR(st.st_mode)   ? DT_DIR
                   : S_ISLNK(st.st_mode) ? DT_LNK
                   : S_ISREG(st.st_mode) ? DT_REG
                                         : DT_UNKNOWN;
        }
        if (kind == DT_DIR) {
            Collect(path, pages, files);
            continue;
        }
        CourseFileKind fileKind = KindOfCourseFile(name);
        if (fileKind == CourseFileKind::Other) continue;
        if (kind == DT_LNK) {
            struct stat st {};
            if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
            if (pages.FileOf(CCoursePages::FileUri(path)).empty()) continue;
        } else if (kind != DT_REG) {
            continue;
        }
        files.push_back({path, fileKind});
    }
}

// An address as the engine's parser takes it: control characters and
// blanks at either end dropped, tabs and line ends inside dropped.
std::string Cleaned(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 0x20) text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 0x20) text.remove_suffix(1);
    std::string out;
    for (char c : text) {
        if (c != '\t' && c != '\n' && c != '\r') out += c;
    }
    return out;
}

// The scheme of an address, lower case; "" for a relative one.
std::string SchemeOf(const std::string& address) {
    auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (address.empty() || !letter(address[0])) return {};
    size_t i = 1;
    while (i < address.size() && (letter(address[i]) || (address[i] >= '0' && address[i] <= '9') || address[i] == '+' ||
                                  address[i] == '-' || address[i] == '.')) {
        ++i;
    }
    return i < address.size() && address[i] == ':' ? AsciiLowered(address.substr(0, i)) : std::string();
}

std::vector<std::string> Split(const std::string& path, std::string_view separators) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t end = path.find_first_of(separators, start);
        parts.push_back(path.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

// The reference `part` (decoded, no query) spelled as the names of `file`
// are on disk: what the author may write instead.
std::string OnDiskSpelling(const std::string& part, const std::string& file) {
    std::vector<std::string> names;
    size_t ups = 0;
    for (const std::string& name : Split(part, "/\\")) {
        if (name.empty() || name == ".") continue;
        if (name != "..") {
            names.push_back(name);
        } else if (!names.empty()) {
            names.pop_back();
        } else {
            ++ups;
        }
    }
    std::vector<std::string> onDisk;
    for (const std::string& name : Split(file, "/")) {
        if (!name.empty()) onDisk.push_back(name);
    }
    bool absolute = part.front() == '/' || part.front() == '\\';
    if (names.size() > onDisk.size()) return ShownName(file);
    std::string out;
    for (size_t k = 0; !absolute && k < ups; ++k) out += "../";
    for (size_t k = absolute ? 0 : onDisk.size() - names.size(); k < onDisk.size(); ++k) {
        out += (absolute || (!out.empty() && out.back() != '/') ? "/" : "") + ShownName(onDisk[k]);
    }
    return out;
}

enum class Outcome { Elsewhere, Exact, WindowsName, Broken };

struct Lookup {
    Outcome outcome = Outcome::Elsewhere;
    std::string file;
    NameMatch match;
    std::string problem;
};

class ReferenceResolver {
public:
    explicit ReferenceResolver(const CCoursePages& pages) : m_pages(pages) {}

    // `folder`: the referring file's; `part` receives the path the
    // reference names, decoded.
    Lookup Resolve(const std::string& folder, const TextReference& ref, std::string& part) {
        std::string from = folder;
        std::string target = Cleaned(ref.target);
        if (target.empty() || target.front() == '#') return {};
        std::string scheme = SchemeOf(target);
        if (scheme.size() == 1) {
            return Broken(
                "a drive letter, which the engine takes for an address of its own: name the file "
                "relative to the page");
        }
        if (scheme == "file")
            return Broken("a file: address, which no course page may load: name the file relative to the page");
        if (!scheme.empty()) return {};
        if (!ref.base.empty() && target.front() != '/') {
            std::string base = Cleaned(ref.base);
            if (!SchemeOf(base).empty()) return {};
            base = base.substr(0, base.find_first_of("?#"));
            size_t slash = base.find_last_of("/\\");
            std::string baseFolder = slash == std::string::npos ? std::string() : base.substr(0, slash);
            from = !baseFolder.empty() && baseFolder.front() == '/' ? baseFolder : folder + "/" + baseFolder;
        }
        std::string path = target.substr(0, target.find_first_of("?#"));
        if (path.empty()) return {};
        if (path.rfind("//", 0) == 0) return Broken("names another computer (//…), not a file of the course");
        part = PercentDecoded(path);
        std::string decoded = part.front() == '/' ? part : PercentDecoded(from) + "/" + part;
        if (decoded.find('\0') != std::string::npos) return Broken("names no file (a NUL byte)");
        Lookup found = LookUp(decoded);
        if (found.outcome == Outcome::Broken && path.rfind("\\\\", 0) == 0) {
            found.problem =
                "a Windows network path (\\\\server\\share), which the engine takes for a name in the "
                "page's folder: " +
                found.problem;
        }
        return found;
    }

private:
    static Lookup Broken(std::string why) { return {Outcome::Broken, {}, {}, std::move(why)}; }

    Lookup LookUp(const std::string& path) {
        auto cached = m_cache.find(path);
        if (cached != m_cache.end()) return cached->second;
        Lookup found;
        std::string uri = CCoursePages::FileUri(path);
        found.file = m_pages.FileOf(uri, &found.match);
        struct stat st {};
        if (found.file.empty()) {
            found = Broken(m_pages.IsCoursePage(uri) ? "leads out of the course through a symbolic link"
                                                     : "lies outside the course (its folder and the main page's)");
        } else if (stat(found.file.c_str(), &st) != 0) {
            found = Broken(errno == ENOENT || errno == ENOTDIR
                               ? "no such file (letter case, \\ and code page 932 names tried as well)"
                               : std::strerror(errno));
        } else if (S_ISDIR(st.st_mode)) {
            found = Broken("a folder, not a file: the program serves no folder's index");
        } else if (!S_ISREG(st.st_mode)) {
            found = Broken("not a regular file");
        } else if (access(found.file.c_str(), R_OK) != 0) {
            found = Broken(std::string("cannot be read: ") + std::strerror(errno));
        } else {
            found.outcome = found.match.IsExact() ? Outcome::Exact : Outcome::WindowsName;
        }
        m_cache.emplace(path, found);
        return found;
    }

    const CCoursePages& m_pages;
    std::unordered_map<std::string, Lookup> m_cache;
};

int LineOfByte(std::string_view bytes, size_t offset) {
    return static_cast<int>(std::count(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(offset), '\n')) + 1;
}

}  // namespace

std::vector<std::string> HowNamed(const NameMatch& match) {
    std::vector<std::string> how;
    if (match.backslash) how.emplace_back("\\ for /");
    if (match.letterCase) how.emplace_back("letter case");
    if (match.codePage) how.emplace_back("code page 932 name on disk");
    if (match.ambiguous) how.emplace_back("several names differ only in letter case: the first in byte order");
    return how;
}

void CheckCourseFiles(const CCoursePages& pages, CourseCheckReport& report) {
    std::vector<CourseFile> files;
    const std::vector<std::string>& roots = pages.Roots();
    for (const std::string& root : roots) {
        bool inner = std::any_of(roots.begin(), roots.end(),
                                 [&](const std::string& other) { return other != root && root.rfind(other, 0) == 0; });
        if (!inner) Collect(root.size() > 1 ? root.substr(0, root.size() - 1) : std::string(), pages, files);
    }
    ReferenceResolver resolver(pages);
    CheckCounts& counts = report.counts;
    for (const CourseFile& file : files) {
        std::string shown = ShownPath(file.path, report.folder);
        ++(file.kind == CourseFileKind::Page     ? counts.pages
           : file.kind == CourseFileKind::Script ? counts.scripts
                                                 : counts.styleSheets);
        std::string bytes;
        int err = 0;
        if (!ReadRegularFile(file.path, bytes, err)) {
            report.unreadable.push_back(
                {shown, 0, {}, {}, {}, {}, std::string("cannot be read: ") + std::strerror(err)});
            continue;
        }
        if (bytes.size() > kMaxTextFileBytes) {
            report.unreadable.push_back({shown, 0, {}, {}, {}, {}, "larger than the program serves (64 MiB)"});
            continue;
        }
        DecodedText decoded = DecodeCourseText(file.kind, bytes);
        if (file.kind == CourseFileKind::Page) {
            decoded.decoding.file = shown;
            if (!decoded.decoding.problem.empty() && decoded.badOffset != std::string::npos) {
                decoded.decoding.line = LineOfByte(bytes, decoded.badOffset);
            }
            report.decodings.push_back(std::move(decoded.decoding));
        }
        TextScan scan = ScanCourseText(file.kind, decoded.text);
        for (LegacyUse& use : scan.legacy) {
            std::string why = LegacyKindWhy(use.kind);
            if (use.kind == LegacyKind::ActiveXObject && use.offered) {
                if (report.legacyScript) continue;
                why = "compat=0 in DORV.ini keeps the old browser's ActiveXObject out of the pages";
            }
            report.legacy.push_back({shown, use.line, LegacyKindId(use.kind), LegacyKindName(use.kind),
                                     std::move(use.detail), std::move(why)});
        }
        std::string folder = file.path.substr(0, file.path.rfind('/'));
        for (const TextReference& ref : scan.references) {
            ++counts.references;
            std::string part;
            Lookup found = resolver.Resolve(folder, ref, part);
            switch (found.outcome) {
                case Outcome::Elsewhere:
                    ++counts.elsewhere;
                    break;
                case Outcome::Exact:
                    ++counts.exact;
                    break;
                case Outcome::WindowsName:
                    ++counts.windowsNames;
                    report.windowsNames.push_back({shown,
                                                   ref.line,
                                                   ref.written,
                                                   ref.in,
                                                   OnDiskSpelling(part, found.file),
                                                   HowNamed(found.match),
                                                   {}});
                    break;
                case Outcome::Broken:
                    ++counts.broken;
                    report.broken.push_back({shown, ref.line, ref.written, ref.in, {}, {}, found.problem});
                    break;
            }
        }
    }
}

}  // namespace dorv::check
