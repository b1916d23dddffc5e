// What a configured location is, and the texts of a failed open for reading.
// Shared by the start-up checks, the course configuration reader and the
// page's address.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dorv {

// `text` with ASCII capitals made small; other bytes stay.
std::string AsciiLowered(std::string_view text);
// Whether `a` and `b` are equal but for the case of ASCII letters.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// `text` with each "%" and two hex digits made the byte they stand for.
std::string PercentDecoded(std::string_view text);
// The names of `path` between "/": empty names and "." dropped, ".." taking
// away the name before it (never more than there are).
std::vector<std::string> PathParts(std::string_view path);

// An http:// or https:// URL (exact lower-case scheme).
bool IsUrlLocation(const std::string& location);
// Names an HTML page (.html or .htm, any case, a query after "?" ignored).
bool IsPageLocation(const std::string& location);
// Names an XML file (.xml, any case).
bool IsXmlLocation(const std::string& location);

// 0 when `path` is a regular file that this process can open for reading,
// otherwise the errno that explains why not. Never blocks: a FIFO, a device
// or a folder is refused with EACCES without being opened for long.
int CheckReadableFile(const std::string& path);

// Reads a whole regular file; false with `err` set (errno) on failure.
bool ReadRegularFile(const std::string& path, std::string& bytes, int& err);

// Text of the file-open failure for `path` with the cause `err` (errno).
std::string FileErrorText(int err, const std::string& path);

}  // namespace dorv
