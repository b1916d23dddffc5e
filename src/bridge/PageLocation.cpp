#include "bridge/PageLocation.h"

#include "common/Location.h"

namespace dorv {

std::string LocationToUri(const std::string& location) {
    if (IsUrlLocation(location)) return location;
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (unsigned char c : location) {
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

namespace {

std::string Lowered(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// "scheme://host:port" with the default port written out; "" for a URI
// without an authority.
std::string Origin(const std::string& uri) {
    size_t colon = uri.find("://");
    if (colon == std::string::npos) return {};
    std::string scheme = Lowered(uri.substr(0, colon));
    size_t start = colon + 3;
    size_t end = uri.find_first_of("/?#", start);
    std::string authority = Lowered(uri.substr(start, end == std::string::npos ? std::string::npos : end - start));
    size_t at = authority.rfind('@');
    if (at != std::string::npos) authority.erase(0, at + 1);  // no user information
    bool hasPort =
        authority.find(':', authority.rfind(']') == std::string::npos ? 0 : authority.rfind(']')) != std::string::npos;
    if (!hasPort) authority += scheme == "https" ? ":443" : scheme == "http" ? ":80" : "";
    return scheme + "://" + authority;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The path of a file URI, percent-decoded; "" when it is no local file URI.
std::string FilePath(const std::string& uri) {
    std::string rest;
    if (uri.rfind("file:///", 0) == 0) {
        rest = uri.substr(7);
    } else if (uri.rfind("file://localhost/", 0) == 0) {
        rest = uri.substr(16);
    } else {
        return {};
    }
    rest = rest.substr(0, rest.find_first_of("?#"));
    std::string path;
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%' && i + 2 < rest.size() && HexValue(rest[i + 1]) >= 0 && HexValue(rest[i + 2]) >= 0) {
            path.push_back(static_cast<char>(HexValue(rest[i + 1]) * 16 + HexValue(rest[i + 2])));
            i += 2;
        } else {
            path.push_back(rest[i]);
        }
    }
    return path;
}

}  // namespace

bool IsCoursePage(const std::string& mainLocation, const std::string& uri) {
    if (IsUrlLocation(mainLocation)) return Origin(mainLocation) == Origin(uri) && !Origin(uri).empty();
    std::string path = FilePath(uri);
    size_t slash = mainLocation.rfind('/');
    if (path.empty() || slash == std::string::npos) return false;
    std::string folder = mainLocation.substr(0, slash + 1);
    // Below the folder, and no step back out of it.
    return path.rfind(folder, 0) == 0 && path.find("/../") == std::string::npos;
}

}  // namespace dorv
