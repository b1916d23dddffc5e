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

}  // namespace dorv
