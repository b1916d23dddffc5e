// Reader for DORV.ini with the rules of Windows private-profile files:
// case-insensitive section and key names, blanks around names and values
// dropped, one matching pair of outer quotes removed, at most 4095 bytes of a
// value, "" for anything missing.
#pragma once

#include <string>
#include <string_view>

namespace dorv {

class CIniFile {
public:
    static constexpr size_t kMaxValueBytes = 4095;

    // Text of the file as UTF-8 (a byte-order mark is skipped; a file that is
    // not valid UTF-8 is read as code page 932).
    explicit CIniFile(std::string_view bytes);

    // Reads the file; a missing or unreadable file reads as empty.
    static CIniFile Load(const std::string& path);

    std::string GetString(std::string_view section, std::string_view key) const;

private:
    std::string m_text;
};

}  // namespace dorv
