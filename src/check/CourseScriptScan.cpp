// The references and IE-only calls in script and style sheet text.
#include <algorithm>
#include <array>
#include <cstdint>

#include "check/CourseReferences.h"
#include "common/Location.h"

namespace dorv::scan {
namespace {

bool IsNameByte(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '$' ||
           c >= 0x80;
}
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\f' || c == '\v'; }
bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }

// A script string literal's value: "\\" is one backslash, and an escape of
// a character without a meaning of its own is that character ("img\cat.gif"
// is "imgcat.gif", as the browser took it).
std::string UnescapedScriptString(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 1 >= raw.size()) {
            out += raw[i];
            continue;
        }
        char c = raw[++i];
        int64_t point = -1;
        switch (c) {
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'v':
                out += '\v';
                break;
            case '0':
                out += '\0';
                break;
            case '\r':
                if (i + 1 < raw.size() && raw[i + 1] == '\n') ++i;
                break;
            case '\n':
                break;
            case 'x':
                point = HexRun(raw, i + 1, 2);
                if (point >= 0) i += 2;
                break;
            case 'u':
                if (i + 1 < raw.size() && raw[i + 1] == '{') {
                    size_t close = raw.find('}', i + 2);
                    if (close != std::string_view::npos && close - i - 2 <= 6)
                        point = HexRun(raw, i + 2, close - i - 2);
                    if (point >= 0) i = close;
                } else {
                    point = HexRun(raw, i + 1, 4);
                    if (point >= 0) i += 4;
                }
                break;
            default:
                out += c;
                break;
        }
        if (point >= 0) AppendUtf8(out, static_cast<uint32_t>(point));
    }
    return out;
}

struct Token {
    enum Kind : uint8_t { Name, Punct, String, Other } kind;
    bool newlineBefore;
    size_t offset;  // of a string: of its content, inside the quotes
    size_t length;
};

class ScriptScanner {
public:
    ScriptScanner(std::string_view code, const Place& place, TextScan& out)
        : m_code(code), m_place(place), m_out(out) {}

    void Run() {
        Tokenize();
        for (size_t k = 0; k < m_tokens.size(); ++k) {
            if (m_tokens[k].kind == Token::String) OnString(k);
            if (m_tokens[k].kind == Token::Name) OnName(k);
        }
    }

private:
    std::string_view Text(size_t k) const {
        return k < m_tokens.size() ? m_code.substr(m_tokens[k].offset, m_tokens[k].length) : std::string_view();
    }
    // Token k (counted from the one in hand, backwards when negative) is `text`.
    bool At(size_t k, std::string_view text) const {
        return k < m_tokens.size() && m_tokens[k].kind != Token::String && Text(k) == text;
    }
    bool Before(size_t k, size_t back, std::string_view text) const { return k >= back && At(k - back, text); }

    bool CallArgumentEnds(size_t k) const { return At(k + 1, ")") || At(k + 1, ","); }
    bool StatementEnds(size_t k) const {
        if (k + 1 >= m_tokens.size()) return true;
        for (std::string_view end : {";", ")", "}", ",", "]"}) {
            if (At(k + 1, end)) return true;
        }
        if (!m_tokens[k + 1].newlineBefore) return false;
        for (std::string_view more : {"+", ".", "[", "(", "?"}) {
            if (At(k + 1, more)) return false;
        }
        return true;
    }

    void Found(size_t k, const char* in) {
        std::string written(Text(k));
        m_out.references.push_back(
            {m_place.LineOf(m_tokens[k].offset), written, UnescapedScriptString(written), m_place.base, in});
    }

    void OnString(size_t k) {
        if (Before(k, 1, "(") && k >= 2 && m_tokens[k - 2].kind == Token::Name && CallArgumentEnds(k)) {
            std::string_view callee = Text(k - 2);
            bool member = Before(k, 3, ".");
            std::string_view object = k >= 4 && member ? Text(k - 4) : std::string_view();
            if (callee == "load") return Found(k, "load()");
            if (callee == "fetch") return Found(k, "fetch()");
            if (callee == "navigate") return Found(k, "navigate()");
            if (callee == "open" && (!member || object == "window" || object == "self" || object == "top" ||
                                     object == "parent" || object == "opener")) {
                return Found(k, "window.open()");
            }
            if ((callee == "replace" || callee == "assign") && member && object == "location") {
                return Found(k, callee == "replace" ? "location.replace()" : "location.assign()");
            }
            if (callee == "Audio" && Before(k, 3, "new")) return Found(k, "new Audio()");
            if (callee == "ActiveXObject" && Before(k, 3, "new")) {
                std::string progId = UnescapedScriptString(Text(k));
                bool offered = IsOfferedProgId(progId);
                m_out.legacy.push_back({m_place.LineOf(m_tokens[k].offset), LegacyKind::ActiveXObject,
                                        "new ActiveXObject(\"" + progId + "\")", offered});
            }
            return;
        }
        // xhr.open("GET", "file")
        if (Before(k, 1, ",") && k >= 5 && m_tokens[k - 2].kind == Token::String && Before(k, 3, "(") &&
            Before(k, 4, "open") && Before(k, 5, ".") && CallArgumentEnds(k)) {
            std::string_view method = Text(k - 2);
            bool word = !method.empty() && std::all_of(method.begin(), method.end(), [](char c) {
                return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
            });
            if (word) Found(k, "open()");
            return;
        }
        if (Before(k, 1, "=") && k >= 2 && m_tokens[k - 2].kind == Token::Name && StatementEnds(k)) {
            std::string_view target = Text(k - 2);
            if (target == "location") return Found(k, "location =");
            if (target == "href" && Before(k, 3, ".")) return Found(k, ".href =");
            if (target == "src" && Before(k, 3, ".")) return Found(k, ".src =");
        }
    }

    void OnName(size_t k) {
        std::string_view name = Text(k);
        bool dialog = name == "showModalDialog" || name == "showModelessDialog";
        if ((!dialog && name != "createPopup") || !At(k + 1, "(") || Before(k, 1, "function")) return;
        m_out.legacy.push_back({m_place.LineOf(m_tokens[k].offset),
                                dialog ? LegacyKind::ModalDialog : LegacyKind::Popup, std::string(name) + "()", false});
    }

    // After such a token a "/" starts a regular expression, not a division.
    bool RegexMayFollow() const {
        if (m_tokens.empty()) return true;
        const Token& last = m_tokens.back();
        std::string_view text = m_code.substr(last.offset, last.length);
        if (last.kind == Token::Punct) return text != ")" && text != "]" && text != "}";
        if (last.kind != Token::Name) return false;
        static constexpr std::array<std::string_view, 11> kKeywords{"return", "typeof", "case",   "do",   "else", "in",
                                                                    "of",     "new",    "delete", "void", "throw"};
        return std::find(kKeywords.begin(), kKeywords.end(), text) != kKeywords.end();
    }

    void Push(Token::Kind kind, size_t offset, size_t length) {
        m_tokens.push_back({kind, m_newline, offset, length});
        m_newline = false;
    }

    // The end of a quoted run starting after `open` at `from` (escapes
    // skipped; a line end ends it unless `multiline`).
    size_t QuotedEnd(size_t from, char quote, bool multiline) const {
        size_t i = from;
        while (i < m_code.size() && m_code[i] != quote && (multiline || !IsLineEnd(m_code[i]))) {
            i += m_code[i] == '\\' ? 2 : 1;
        }
        return std::min(i, m_code.size());
    }

    void Tokenize() {
        const std::string_view& s = m_code;
        size_t i = 0;
        while (i < s.size()) {
            char c = s[i];
            std::string_view rest = s.substr(i);
            if (IsLineEnd(c)) {
                m_newline = true;
                ++i;
            } else if (IsBlank(c)) {
                ++i;
            } else if (rest.starts_with("//") || rest.starts_with("<!--") ||
                       (rest.starts_with("-->") && (m_newline || m_tokens.empty()))) {
                while (i < s.size() && !IsLineEnd(s[i])) ++i;
            } else if (rest.starts_with("/*")) {
                size_t end = s.find("*/", i + 2);
                end = end == std::string_view::npos ? s.size() : end + 2;
                if (s.substr(i, end - i).find_first_of("\r\n") != std::string_view::npos) m_newline = true;
                i = end;
            } else if (c == '"' || c == '\'') {
                size_t end = QuotedEnd(i + 1, c, false);
                Push(Token::String, i + 1, end - i - 1);
                i = end + 1;
            } else if (c == '`') {
                size_t end = QuotedEnd(i + 1, '`', true);
                bool plain = s.substr(i + 1, end - i - 1).find("${") == std::string_view::npos;
                Push(plain ? Token::String : Token::Other, i + 1, end - i - 1);
                i = end + 1;
            } else if (c >= '0' && c <= '9') {
                size_t start = i;
                while (i < s.size() && (IsNameByte(static_cast<unsigned char>(s[i])) || s[i] == '.')) ++i;
                Push(Token::Other, start, i - start);
            } else if (IsNameByte(static_cast<unsigned char>(c))) {
                size_t start = i;
                while (i < s.size() && IsNameByte(static_cast<unsigned char>(s[i]))) ++i;
                Push(Token::Name, start, i - start);
            } else if (c == '/' && RegexMayFollow()) {
                size_t start = i++;
                bool inClass = false;
                while (i < s.size() && !IsLineEnd(s[i]) && (inClass || s[i] != '/')) {
                    if (s[i] == '[') inClass = true;
                    if (s[i] == ']') inClass = false;
                    i += s[i] == '\\' ? 2 : 1;
                }
                ++i;
                while (i < s.size() && IsNameByte(static_cast<unsigned char>(s[i]))) ++i;
                i = std::min(i, s.size());
                Push(Token::Other, start, i - start);
            } else if (std::string_view("=!<>&|+-*%^/").find(c) != std::string_view::npos) {
                size_t start = i;
                while (i < s.size() && std::string_view("=!<>&|+-*%^").find(s[i]) != std::string_view::npos) ++i;
                if (i == start) ++i;
                Push(Token::Punct, start, i - start);
            } else {
                Push(Token::Punct, i, 1);
                ++i;
            }
        }
    }

    std::string_view m_code;
    const Place& m_place;
    TextScan& m_out;
    std::vector<Token> m_tokens;
    bool m_newline = false;
};

}  // namespace

void ScanScript(std::string_view code, const Place& place, TextScan& out) { ScriptScanner(code, place, out).Run(); }

bool IsOfferedProgId(std::string_view progId) {
    while (!progId.empty() && (IsBlank(progId.front()) || IsLineEnd(progId.front()))) progId.remove_prefix(1);
    while (!progId.empty() && (IsBlank(progId.back()) || IsLineEnd(progId.back()))) progId.remove_suffix(1);
    static constexpr std::array<std::string_view, 12> kOffered{
        "microsoft.xmldom",       "msxml2.domdocument",     "msxml2.domdocument.3.0", "msxml2.domdocument.4.0",
        "msxml2.domdocument.5.0", "msxml2.domdocument.6.0", "microsoft.xmlhttp",      "msxml2.xmlhttp",
        "msxml2.xmlhttp.3.0",     "msxml2.xmlhttp.4.0",     "msxml2.xmlhttp.5.0",     "msxml2.xmlhttp.6.0"};
    std::string lowered = AsciiLowered(progId);
    return std::find(kOffered.begin(), kOffered.end(), lowered) != kOffered.end();
}

}  // namespace dorv::scan
