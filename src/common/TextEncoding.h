// Conversions between the program's text (UTF-8) and code page 932, the
// encoding of files written by existing Windows installations.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace dorv {

// True when the bytes are well-formed UTF-8 (no overlong forms, no
// surrogates, nothing above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// Appends a code point as UTF-8; one that is no character (a surrogate, or
// beyond U+10FFFF) as U+FFFD.
void AppendUtf8(std::string& out, char32_t point);

// Code page 932 bytes to UTF-8. Returns nothing when the bytes are not valid
// code page 932 text.
std::optional<std::string> Cp932ToUtf8(std::string_view bytes);

// UTF-8 to code page 932. Returns nothing when a character has no code page
// 932 form or the input is not valid UTF-8.
std::optional<std::string> Utf8ToCp932(std::string_view text);

// Code page 932 bytes to UTF-8 as the data files are read: never fails.
// Bytes the code page leaves undefined decode as Windows does: 0x80 as
// U+0080, 0xA0 and 0xFD to 0xFF as U+F8F0 to U+F8F3, and an undefined or
// broken double-byte code as U+30FB.
std::string Cp932ToUtf8Lenient(std::string_view bytes);

// UTF-8 to code page 932 as the data files are written: never fails. A
// character the code page lacks (and any byte that is not UTF-8) becomes
// "?"; U+0080 and U+F8F0 to U+F8F3 go back to the bytes they came from.
std::string Utf8ToCp932Lossy(std::string_view text);

// The longest prefix of `text` that is at most `maxBytes` long and does not
// end inside a multibyte UTF-8 sequence.
std::string_view TruncateUtf8(std::string_view text, std::size_t maxBytes);

}  // namespace dorv
