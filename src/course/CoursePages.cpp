#include "course/CoursePages.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <utility>

#include "common/Location.h"
#include "common/Trace.h"

namespace dorv {
namespace {

// "scheme://host:port" with the default port written out; "" for a URI
// without an authority.
std::string Origin(const std::string& uri) {
    size_t colon = uri.find("://");
    if (colon == std::string::npos) return {};
    std::string scheme = AsciiLowered(uri.substr(0, colon));
    size_t start = colon + 3;
    size_t end = uri.find_first_of("/?#", start);
    std::string authority = AsciiLowered(uri.substr(start, end == std::string::npos ? std::string::npos : end - start));
    size_t at = authority.rfind('@');
    if (at != std::string::npos) authority.erase(0, at + 1);  // no user information
    size_t bracket = authority.rfind(']');
    bool hasPort = authority.find(':', bracket == std::string::npos ? 0 : bracket) != std::string::npos;
    if (!hasPort) authority += scheme == "https" ? ":443" : scheme == "http" ? ":80" : "";
    if (authority.empty()) return {};
    return scheme + "://" + authority;
}

// The folder of a normalised path, with its trailing slash.
std::string FolderOf(const std::string& path) { return path.substr(0, path.rfind('/') + 1); }

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder.push_back('/');
    return folder;
}

// `path` with every symbolic link followed as far as the path exists: the
// part that does not exist yet is kept as it stands.
std::string RealPath(const std::string& path) {
    std::string head = path;
    if (head.size() > 1 && head.back() == '/') head.pop_back();
    std::string tail;
    for (;;) {
        char resolved[PATH_MAX];
        if (realpath(head.c_str(), resolved)) {
            std::string real = resolved;
            return tail.empty() ? real : WithSlash(real) + tail;
        }
        size_t slash = head.rfind('/');
        if (head == "/" || slash == std::string::npos) return path;
        std::string last = head.substr(slash + 1);
        if (!tail.empty()) last.append("/").append(tail);
        tail = std::move(last);
        head = slash == 0 ? "/" : head.substr(0, slash);
    }
}

}  // namespace

std::string NormalisePath(const std::string& path) {
    std::vector<std::string> parts = PathParts(path);
    std::string out;
    for (const std::string& part : parts) out += "/" + part;
    bool folder = !path.empty() && (path.back() == '/' || path.ends_with("/.") || path.ends_with("/.."));
    if (out.empty() || folder) out += "/";
    return out;
}

CCoursePages::CCoursePages(const std::string& mainLocation, const std::string& courseFolder)
    : m_onDisk(!IsUrlLocation(mainLocation)) {
    if (!m_onDisk) {
        m_mainUri = mainLocation;
        m_origins.push_back(Origin(mainLocation));
        return;
    }
    std::string main = NormalisePath(mainLocation);
    m_mainUri = FileUri(main);
    if (!courseFolder.empty()) m_roots.push_back(WithSlash(NormalisePath(courseFolder)));
    std::string mainFolder = FolderOf(main);
    if (!IsBelowRoot(mainFolder, m_roots)) m_roots.push_back(mainFolder);
    for (const std::string& root : m_roots) m_realRoots.push_back(WithSlash(RealPath(root)));
}

std::string CCoursePages::FileUri(const std::string& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = kOrigin;
    for (unsigned char c : path) {
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                     c == '.' || c == '_' || c == '~' || c == '/';
        if (plain) {
            uri.push_back(static_cast<char>(c));
        } else {
            uri.push_back('%');
            uri.push_back(kHex[c >> 4]);
            uri.push_back(kHex[c & 0xF]);
        }
    }
    return uri;
}

bool CCoursePages::IsBelowRoot(const std::string& path, const std::vector<std::string>& roots) const {
    for (const std::string& root : roots) {
        if (path.rfind(root, 0) == 0 || path + "/" == root) return true;
    }
    return false;
}

std::string CCoursePages::LexicalFileOf(const std::string& uri) const {
    std::string prefix = std::string(kOrigin) + "/";
    if (!m_onDisk || AsciiLowered(uri.substr(0, prefix.size())) != prefix) return {};
    std::string encoded = uri.substr(prefix.size() - 1);
    encoded = encoded.substr(0, encoded.find_first_of("?#"));
    // "\" separates folders, as the old browser made it before requesting.
    std::string path = WithForwardSlashes(PercentDecoded(encoded));
    if (path.find('\0') != std::string::npos) return {};
    path = NormalisePath(path);
    return IsBelowRoot(path, m_roots) ? path : std::string();
}

bool CCoursePages::IsCoursePage(const std::string& uri) const {
    if (m_onDisk) return !LexicalFileOf(uri).empty();
    std::string origin = Origin(uri);
    if (origin.empty() || origin.rfind("http", 0) != 0) return false;
    for (const std::string& known : m_origins) {
        if (origin == known) return true;
    }
    return false;
}

void CCoursePages::AcceptMainPageArrival(const std::string& uri) {
    if (m_onDisk || IsCoursePage(uri)) return;
    std::string origin = Origin(uri);
    if (origin.rfind("http://", 0) == 0 || origin.rfind("https://", 0) == 0) m_origins.push_back(origin);
}

std::string CCoursePages::FileOf(const std::string& uri, NameMatch* match) const {
    std::string path = LexicalFileOf(uri);
    if (path.empty()) return {};
    NameMatch how;
    how.backslash = uri.find('\\') != std::string::npos || AsciiLowered(uri).find("%5c") != std::string::npos;
    std::string real = RealPath(path);
    if (real == path && access(path.c_str(), F_OK) != 0) {
        // No file of that exact name: looked for as Windows did, below the
        // root the path lies in (whose own names are taken as they are).
        std::string root;
        for (const std::string& candidate : m_roots) {
            if (path.rfind(candidate, 0) == 0 && candidate.size() > root.size()) root = candidate;
        }
        NameMatch found;
        std::optional<std::string> resolved = m_names->Resolve(path, found, root);
        if (resolved) {
            found.backslash = how.backslash;
            how = found;
            path = *resolved;
            real = RealPath(path);
            Trace("%s: found as %s%s", uri.c_str(), path.c_str(),
                  how.ambiguous ? " (several names differ only in letter case: the first in byte order)" : "");
        }
    }
    if (match) *match = how;
    // A link inside the course counts as where it points, and that must be
    // the course too.
    return IsBelowRoot(real, m_realRoots) ? path : std::string();
}

std::vector<std::string> CCoursePages::UrlPatterns() const {
    std::vector<std::string> patterns;
    if (m_onDisk) {
        patterns.push_back(std::string(kOrigin) + "/*");
        return patterns;
    }
    for (const std::string& origin : m_origins) {
        // The engine's patterns name a host without a port.
        size_t colon = origin.find(':', origin.find("://") + 3);
        patterns.push_back(origin.substr(0, colon) + "/*");
    }
    return patterns;
}

}  // namespace dorv
