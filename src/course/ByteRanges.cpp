#include "course/ByteRanges.h"

#include <cstdlib>

namespace dorv {
namespace {

// A decimal number that takes the whole of `text`; nothing otherwise.
std::optional<std::int64_t> Number(const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 18) {
        return std::nullopt;
    }
    return std::strtoll(text.c_str(), nullptr, 10);
}

}  // namespace

std::optional<ByteRange> ParseByteRange(const std::string& header, std::int64_t size) {
    const std::string prefix = "bytes=";
    if (header.rfind(prefix, 0) != 0 || size <= 0) return std::nullopt;
    std::string spec = header.substr(prefix.size());
    size_t dash = spec.find('-');
    if (dash == std::string::npos) return std::nullopt;
    ByteRange range;
    if (dash == 0) {  // the last n bytes
        std::optional<std::int64_t> count = Number(spec.substr(1));
        if (!count || *count <= 0) return std::nullopt;
        range.first = size > *count ? size - *count : 0;
        range.last = size - 1;
    } else {
        std::optional<std::int64_t> first = Number(spec.substr(0, dash));
        if (!first || *first >= size) return std::nullopt;
        range.first = *first;
        std::string end = spec.substr(dash + 1);
        std::optional<std::int64_t> last = end.empty() ? std::optional<std::int64_t>(size - 1) : Number(end);
        if (!last || *last < range.first) return std::nullopt;
        range.last = *last >= size ? size - 1 : *last;
    }
    range.readAtOnce = range.last < size - 1 && range.last - range.first + 1 <= kMaxRangeReadBytes;
    if (!range.readAtOnce) range.last = size - 1;
    return range;
}

std::string ContentRangeOf(const ByteRange& range, std::int64_t size) {
    return "bytes " + std::to_string(range.first) + "-" + std::to_string(range.last) + "/" + std::to_string(size);
}

}  // namespace dorv
