// The byte ranges a media player asks of a course file ("Range: bytes=…"),
// and how the answer serves them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace dorv {

struct ByteRange {
    std::int64_t first = 0;
    std::int64_t last = 0;  // inclusive
    // A range small enough to be read at once; a larger one, or one to the
    // end of the file, is streamed to the file's end (the engine's media
    // loader accepts more than it asked for).
    bool readAtOnce = false;
};

// A closed range up to this size is read at once.
constexpr std::int64_t kMaxRangeReadBytes = std::int64_t{4} * 1024 * 1024;

// The one range of a "bytes=first-[last]" or "bytes=-count" header for a
// file of `size` bytes, cut to the file; nothing when there is no header,
// it is of another form, or it lies outside the file.
std::optional<ByteRange> ParseByteRange(const std::string& header, std::int64_t size);

// The Content-Range value of the answer: "bytes first-last/size".
std::string ContentRangeOf(const ByteRange& range, std::int64_t size);

}  // namespace dorv
