#include "common/TextEncoding.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace dorv {
namespace {

std::optional<std::string> Convert(const char* to, const char* from, std::string_view in) {
    iconv_t cd = iconv_open(to, from);
    // iconv_open's documented failure value.
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;  // NOLINT(performance-no-int-to-ptr)
    std::string out;
    std::vector<char> buffer(4096);
    char* inPtr = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    bool ok = true;
    for (;;) {
        char* outPtr = buffer.data();
        size_t outLeft = buffer.size();
        size_t rc = iconv(cd, inLeft ? &inPtr : nullptr, &inLeft, &outPtr, &outLeft);
        out.append(buffer.data(), buffer.size() - outLeft);
        if (rc != static_cast<size_t>(-1)) {
            if (inLeft == 0) {
                // Flush any shift state; CP932 and UTF-8 have none, but be exact.
                outPtr = buffer.data();
                outLeft = buffer.size();
                iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
                out.append(buffer.data(), buffer.size() - outLeft);
                break;
            }
            continue;
        }
        if (errno == E2BIG) continue;
        ok = false;  // EILSEQ or EINVAL: not text in the source encoding
        break;
    }
    iconv_close(cd);
    if (!ok) return std::nullopt;
    return out;
}

// Length of the UTF-8 sequence at text[i], 0 when it is not one.
size_t Utf8SequenceAt(std::string_view text, size_t i) {
    for (size_t len = 1; len <= 4 && i + len <= text.size(); ++len) {
        if (IsValidUtf8(text.substr(i, len))) return len;
    }
    return 0;
}

bool IsTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

constexpr unsigned int kUnknownCharacter = 0x30FB;  // KATAKANA MIDDLE DOT

}  // namespace

std::string Cp932ToUtf8Lenient(std::string_view bytes) {
    if (auto whole = Cp932ToUtf8(bytes)) return *std::move(whole);
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    for (size_t i = 0; i < bytes.size();) {
        auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out.push_back(static_cast<char>(b));
            ++i;
        } else if (b == 0x80) {
            AppendUtf8(out, 0x0080);
            ++i;
        } else if (b == 0xA0) {
            AppendUtf8(out, 0xF8F0);
            ++i;
        } else if (b >= 0xFD) {
            AppendUtf8(out, 0xF8F1 + (b - 0xFD));
            ++i;
        } else if (b >= 0xA1 && b <= 0xDF) {
            AppendUtf8(out, 0xFF61 + (b - 0xA1));  // half-width katakana
            ++i;
        } else if (i + 1 < bytes.size() && IsTrailByte(static_cast<unsigned char>(bytes[i + 1]))) {
            auto pair = Cp932ToUtf8(bytes.substr(i, 2));
            if (pair) {
                out += *pair;
            } else {
                AppendUtf8(out, kUnknownCharacter);
            }
            i += 2;
        } else {
            // A lead byte without its trail byte; the next byte stands alone.
            AppendUtf8(out, kUnknownCharacter);
            ++i;
        }
    }
    return out;
}

std::string Utf8ToCp932Lossy(std::string_view text) {
    if (auto whole = Utf8ToCp932(text)) return *std::move(whole);
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        size_t len = Utf8SequenceAt(text, i);
        if (len == 0) {
            out.push_back('?');
            ++i;
            continue;
        }
        std::string_view ch = text.substr(i, len);
        i += len;
        if (len == 1) {
            out += ch;
            continue;
        }
        unsigned int cp = static_cast<unsigned char>(ch[0]) & (len == 2 ? 0x1F : len == 3 ? 0x0F : 0x07);
        for (size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(ch[k]) & 0x3F);
        if (cp == 0x0080) {
            out.push_back('\x80');
        } else if (cp == 0xF8F0) {
            out.push_back('\xA0');
        } else if (cp >= 0xF8F1 && cp <= 0xF8F3) {
            out.push_back(static_cast<char>(0xFD + (cp - 0xF8F1)));
        } else if (auto one = Convert("CP932", "UTF-8", ch)) {
            out += *one;
        } else {
            out.push_back('?');
        }
    }
    return out;
}

bool IsValidUtf8(std::string_view s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    size_t n = s.size();
    size_t i = 0;
    while (i < n) {
        unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t len;
        unsigned int cp;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + len > n) return false;
        for (size_t k = 1; k < len; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF))) return false;
        if (cp >= 0xD800 && cp <= 0xDFFF) return false;
        i += len;
    }
    return true;
}

std::optional<std::string> Cp932ToUtf8(std::string_view bytes) { return Convert("UTF-8", "CP932", bytes); }

std::optional<std::string> Utf8ToCp932(std::string_view text) {
    if (!IsValidUtf8(text)) return std::nullopt;
    return Convert("CP932", "UTF-8", text);
}

std::string_view TruncateUtf8(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    size_t end = maxBytes;
    // Step back over continuation bytes so that the cut falls before a lead byte.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

void AppendUtf8(std::string& out, char32_t point) {
    if (point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) point = 0xFFFD;
    if (point < 0x80) {
        out += static_cast<char>(point);
    } else if (point < 0x800) {
        out += static_cast<char>(0xC0 | (point >> 6));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        out += static_cast<char>(0xE0 | (point >> 12));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (point >> 18));
        out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    }
}

}  // namespace dorv
