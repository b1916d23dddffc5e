#include "app/IniFile.h"

#include <optional>

#include "common/Location.h"
#include "common/TextEncoding.h"

namespace dorv {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view s) {
    size_t begin = s.find_first_not_of(kBlanks);
    if (begin == std::string_view::npos) return {};
    size_t end = s.find_last_not_of(kBlanks);
    return s.substr(begin, end - begin + 1);
}

// Splits off the next line; lines end in CR LF, LF or CR.
std::string_view NextLine(std::string_view& rest) {
    size_t end = rest.find_first_of("\r\n");
    std::string_view line = rest.substr(0, end);
    if (end == std::string_view::npos) {
        rest = {};
    } else {
        size_t skip = (rest[end] == '\r' && end + 1 < rest.size() && rest[end + 1] == '\n') ? 2 : 1;
        rest.remove_prefix(end + skip);
    }
    return line;
}

std::string Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(TruncateUtf8(value, CIniFile::kMaxValueBytes));
}

}  // namespace

CIniFile::CIniFile(std::string_view bytes) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (bytes.substr(0, kBom.size()) == kBom) {
        m_text.assign(bytes.substr(kBom.size()));
        return;
    }
    if (IsValidUtf8(bytes)) {
        m_text.assign(bytes);
        return;
    }
    // An INI file from a Windows installation: code page 932. Should it not be
    // that either, keep the bytes; ASCII names and values still read.
    std::optional<std::string> converted = Cp932ToUtf8(bytes);
    m_text = converted ? *converted : std::string(bytes);
}

CIniFile CIniFile::Load(const std::string& path) {
    // A missing or unreadable file reads as an empty one.
    std::string bytes;
    int err = 0;
    if (!ReadRegularFile(path, bytes, err)) return CIniFile(std::string_view{});
    return CIniFile(bytes);
}

std::string CIniFile::GetString(std::string_view section, std::string_view key) const {
    section = Trim(section);
    key = Trim(key);
    std::string_view rest = m_text;
    bool inSection = false;
    bool sectionSeen = false;
    while (!rest.empty()) {
        std::string_view line = Trim(NextLine(rest));
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            // Only the first section of a name is searched.
            if (sectionSeen) return {};
            size_t close = line.find(']');
            std::string_view name = Trim(line.substr(1, close == std::string_view::npos ? line.npos : close - 1));
            inSection = EqualsIgnoringAsciiCase(name, section);
            sectionSeen = inSection;
            continue;
        }
        if (!inSection) continue;
        size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        if (EqualsIgnoringAsciiCase(Trim(line.substr(0, equals)), key)) {
            return Unquote(Trim(line.substr(equals + 1)));
        }
    }
    return {};
}

}  // namespace dorv
