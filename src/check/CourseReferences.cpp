#include "check/CourseReferences.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#include "common/Location.h"

namespace dorv {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && AsciiLowered(text.substr(0, prefix.size())) == prefix;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
    return text;
}

// An attribute value with its character references decoded: the numeric
// ones and the few named ones that file names and script use.
std::string DecodedEntities(std::string_view text) {
    if (text.find('&') == std::string_view::npos) return std::string(text);
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 6> kNamed{{
        {"amp;", "&"},
        {"lt;", "<"},
        {"gt;", ">"},
        {"quot;", "\""},
        {"apos;", "'"},
        {"nbsp;", "\u00A0"},
    }};
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out += text[i];
            continue;
        }
        std::string_view rest = text.substr(i + 1);
        if (!rest.empty() && rest.front() == '#') {
            bool hex = rest.size() > 1 && (rest[1] == 'x' || rest[1] == 'X');
            size_t k = hex ? 2 : 1;
            uint32_t point = 0;
            size_t digits = 0;
            for (; k < rest.size() && digits < 8; ++k, ++digits) {
                char c = rest[k];
                int value = c >= '0' && c <= '9'          ? c - '0'
                            : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                            : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                          : -1;
                if (value < 0) break;
                point = point * (hex ? 16 : 10) + static_cast<uint32_t>(value);
            }
            if (digits > 0) {
                scan::AppendUtf8(out, point);
                i += k + (k < rest.size() && rest[k] == ';' ? 1 : 0);
                continue;
            }
        }
        auto named =
            std::find_if(kNamed.begin(), kNamed.end(), [&](const auto& e) { return rest.starts_with(e.first); });
        if (named != kNamed.end()) {
            out += named->second;
            i += named->first.size();
        } else {
            out += '&';
        }
    }
    return out;
}

struct Attribute {
    std::string name;  // lower case
    std::string_view raw;
    size_t offset = 0;  // of the value (of the name when there is none)
};

struct Tag {
    std::string name;  // lower case
    std::vector<Attribute> attributes;
    size_t offset = 0;
    size_t end = 0;  // just after ">"

    const Attribute* Find(std::string_view wanted) const {
        for (const Attribute& a : attributes) {
            if (a.name == wanted) return &a;
        }
        return nullptr;
    }
    std::string Value(std::string_view wanted) const {
        const Attribute* a = Find(wanted);
        return a ? DecodedEntities(a->raw) : std::string();
    }
    std::string LoweredValue(std::string_view wanted) const { return AsciiLowered(Trimmed(Value(wanted))); }
};

// The path part of an address, lower case: no query or fragment.
std::string LoweredPath(std::string_view address) {
    address = Trimmed(address);
    return AsciiLowered(address.substr(0, address.find_first_of("?#")));
}

// The attribute names that name files, as labels that outlive the text.
const char* AttributeLabel(const std::string& name) {
    static constexpr std::array<const char*, 8> kLabels{"src",    "href",   "background", "lowsrc",
                                                        "dynsrc", "poster", "data",       "codebase"};
    for (const char* label : kLabels) {
        if (name == label) return label;
    }
    return "";
}

// Class ids of the controls that pages of the time embedded, by what they are.
std::optional<LegacyKind> KindOfClassId(const std::string& id) {
    if (id.find("d27cdb6e-ae6d-11cf-96b8-444553540000") != std::string::npos) return LegacyKind::Flash;
    if (id.find("166b1bca-3f9c-11cf-8075-444553540000") != std::string::npos) return LegacyKind::Shockwave;
    if (id.find("8ad9c840-044e-11d1-b3e9-00805f499d93") != std::string::npos || id.starts_with("clsid:cafeefac-"))
        return LegacyKind::JavaApplet;
    return std::nullopt;
}

class PageScanner {
public:
    PageScanner(std::string_view text, TextScan& out) : m_text(text), m_lines(text), m_out(out) {}

    void Run() {
        size_t i = 0;
        while ((i = m_text.find('<', i)) != std::string_view::npos) {
            std::string_view rest = m_text.substr(i);
            if (rest.starts_with("<!--")) {
                i = Comment(i);
            } else if (rest.starts_with("<!") || rest.starts_with("<?") || rest.starts_with("</")) {
                size_t end = m_text.find('>', i);
                i = end == std::string_view::npos ? m_text.size() : end + 1;
            } else if (rest.size() > 1 && IsAsciiLetter(rest[1])) {
                Tag tag = ParseTag(i);
                i = OnTag(tag);
            } else {
                ++i;
            }
        }
    }

private:
    int LineOf(size_t offset) const { return m_lines.LineOf(offset); }

    void Legacy(size_t offset, LegacyKind kind, std::string detail) {
        m_out.legacy.push_back({LineOf(offset), kind, std::move(detail), false});
    }

    void Reference(const Attribute& a, const char* in) {
        m_out.references.push_back({LineOf(a.offset), std::string(a.raw), DecodedEntities(a.raw), m_base, in});
    }

    // A comment; one that hides its content from every browser but IE
    // (<!--[if IE]> … <![endif]-->) is noted. The form that shows its
    // content to others, <!--[if !IE]><!--> … <!--<![endif]-->, is fine.
    size_t Comment(size_t at) {
        size_t end = m_text.find("-->", at + 4);
        std::string_view body =
            m_text.substr(at + 4, end == std::string_view::npos ? std::string_view::npos : end - at - 4);
        std::string_view content = Trimmed(body);
        if (StartsWithNoCase(content, "[if")) {
            size_t close = content.find("]>");
            std::string_view after = close == std::string_view::npos ? content : Trimmed(content.substr(close + 2));
            if (close == std::string_view::npos || !(after.empty() || after == "<!")) {
                Legacy(
                    at, LegacyKind::ConditionalComment,
                    std::string(content.substr(0, close == std::string_view::npos ? content.find('\n') : close + 1)));
            }
        }
        return end == std::string_view::npos ? m_text.size() : end + 3;
    }

    Tag ParseTag(size_t at) {
        Tag tag;
        tag.offset = at;
        size_t i = at + 1;
        while (i < m_text.size() && !IsSpace(m_text[i]) && m_text[i] != '>' && m_text[i] != '/') ++i;
        tag.name = AsciiLowered(m_text.substr(at + 1, i - at - 1));
        for (;;) {
            while (i < m_text.size() && (IsSpace(m_text[i]) || m_text[i] == '/')) ++i;
            if (i >= m_text.size() || m_text[i] == '>') break;
            size_t nameStart = i;
            while (i < m_text.size() && !IsSpace(m_text[i]) && m_text[i] != '=' && m_text[i] != '>' &&
                   !(m_text[i] == '/' && i > nameStart)) {
                ++i;
            }
            Attribute attribute{AsciiLowered(m_text.substr(nameStart, i - nameStart)), {}, nameStart};
            size_t look = i;
            while (look < m_text.size() && IsSpace(m_text[look])) ++look;
            if (look < m_text.size() && m_text[look] == '=') {
                i = look + 1;
                while (i < m_text.size() && IsSpace(m_text[i])) ++i;
                if (i < m_text.size() && (m_text[i] == '"' || m_text[i] == '\'')) {
                    size_t close = m_text.find(m_text[i], i + 1);
                    if (close == std::string_view::npos) close = m_text.size();
                    attribute.offset = i + 1;
                    attribute.raw = m_text.substr(i + 1, close - i - 1);
                    i = std::min(close + 1, m_text.size());
                } else {
                    size_t start = i;
                    while (i < m_text.size() && !IsSpace(m_text[i]) && m_text[i] != '>') ++i;
                    attribute.offset = start;
                    attribute.raw = m_text.substr(start, i - start);
                }
            }
            if (!attribute.name.empty()) tag.attributes.push_back(attribute);
        }
        tag.end = std::min(i + 1, m_text.size());
        return tag;
    }

    // Handles a start tag; returns where reading goes on (past the raw
    // text of a script, a style sheet and the like).
    size_t OnTag(const Tag& tag) {
        bool vbscriptHandlers = StartsWithNoCase(tag.LoweredValue("language"), "vbs");
        if (tag.name == "base") {
            if (const Attribute* href = tag.Find("href")) m_base = DecodedEntities(href->raw);
        }
        for (const Attribute& a : tag.attributes) OnAttribute(tag, a, vbscriptHandlers);
        OnElement(tag);
        static constexpr std::array<std::string_view, 8> kRawText{"script", "style",  "textarea", "title",
                                                                  "xmp",    "iframe", "noembed",  "noscript"};
        if (tag.name == "plaintext") return m_text.size();
        if (std::find(kRawText.begin(), kRawText.end(), tag.name) == kRawText.end()) return tag.end;
        size_t close = FindEndTag(tag.name, tag.end);
        std::string_view content = m_text.substr(tag.end, close - tag.end);
        scan::Place place{&m_lines, tag.end, 0, m_base};
        if (tag.name == "script" && IsJavaScript(tag)) scan::ScanScript(content, place, m_out);
        if (tag.name == "style") scan::ScanStyle(content, place, m_out);
        return close;
    }

    size_t FindEndTag(const std::string& name, size_t from) const {
        std::string wanted = "</" + name;
        for (size_t i = m_text.find("</", from); i != std::string_view::npos; i = m_text.find("</", i + 2)) {
            if (StartsWithNoCase(m_text.substr(i), wanted)) {
                size_t after = i + wanted.size();
                if (after >= m_text.size() || IsSpace(m_text[after]) || m_text[after] == '>' || m_text[after] == '/')
                    return i;
            }
        }
        return m_text.size();
    }

    // Notes a script element in a language other than JavaScript; true
    // when its content is JavaScript.
    bool IsJavaScript(const Tag& tag) {
        std::string language = tag.LoweredValue("language");
        std::string type = tag.LoweredValue("type");
        if (language.starts_with("vbs") || type == "text/vbscript" || type == "text/vbs") {
            Legacy(tag.offset, LegacyKind::VBScript,
                   "<script" + (language.empty() ? " type=\"" + type : " language=\"" + language) + "\">");
            return false;
        }
        if (language == "jscript.encode" || type == "text/jscript.encode") {
            Legacy(tag.offset, LegacyKind::EncodedScript,
                   "<script language=\"" + (language.empty() ? type : language) + "\">");
            return false;
        }
        static constexpr std::array<std::string_view, 9> kScriptTypes{
            "",       "text/javascript", "application/javascript", "text/jscript",   "application/x-javascript",
            "module", "text/ecmascript", "application/ecmascript", "text/livescript"};
        bool scriptType = std::find(kScriptTypes.begin(), kScriptTypes.end(), type) != kScriptTypes.end();
        return scriptType && (language.empty() || language.starts_with("javascript") || language == "jscript");
    }

    void OnAttribute(const Tag& tag, const Attribute& a, bool vbscriptHandlers) {
        const std::string& name = a.name;
        if (name.starts_with("on") && name.size() > 2) {
            std::string code = DecodedEntities(a.raw);
            if (vbscriptHandlers || StartsWithNoCase(Trimmed(code), "vbscript:")) {
                Legacy(a.offset, LegacyKind::VBScript, name + "=\"" + std::string(Trimmed(code)).substr(0, 60) + "\"");
            } else {
                scan::ScanScript(code, {&m_lines, 0, LineOf(a.offset), m_base}, m_out);
            }
            return;
        }
        if (name == "style") {
            scan::ScanStyle(DecodedEntities(a.raw), {&m_lines, 0, LineOf(a.offset), m_base}, m_out);
            return;
        }
        bool fileAttribute = name == "src" || name == "background" || name == "lowsrc" || name == "dynsrc" ||
                             name == "poster" || (name == "href" && tag.name != "base") ||
                             (name == "data" && tag.name == "object");
        if (name == "codebase" && tag.name == "object" && !Trimmed(a.raw).ends_with("/")) fileAttribute = true;
        if (!fileAttribute) return;
        std::string value(Trimmed(DecodedEntities(a.raw)));
        if (StartsWithNoCase(value, "vbscript:")) {
            Legacy(a.offset, LegacyKind::VBScript, value.substr(0, 60));
        } else if (StartsWithNoCase(value, "javascript:")) {
            scan::ScanScript(std::string_view(value).substr(11), {&m_lines, 0, LineOf(a.offset), m_base}, m_out);
        } else {
            Reference(a, AttributeLabel(name));
        }
    }

    // What the element is: plug-ins and controls, parameters and refreshes
    // that name files.
    void OnElement(const Tag& tag) {
        if (tag.name == "applet") {
            Legacy(tag.offset, LegacyKind::JavaApplet, "<applet code=\"" + tag.Value("code") + "\">");
        } else if (tag.name == "object" || tag.name == "embed") {
            std::string classId = tag.LoweredValue("classid");
            std::string type = tag.LoweredValue("type");
            std::string file = LoweredPath(tag.Value(tag.name == "object" ? "data" : "src"));
            std::optional<LegacyKind> kind;
            if (classId.starts_with("clsid:")) kind = KindOfClassId(classId).value_or(LegacyKind::ActiveXControl);
            if (!kind && (type == "application/x-shockwave-flash" || file.ends_with(".swf"))) kind = LegacyKind::Flash;
            if (!kind && (type == "application/x-director" || file.ends_with(".dcr"))) kind = LegacyKind::Shockwave;
            if (!kind && (classId.starts_with("java:") || type.starts_with("application/x-java") ||
                          tag.LoweredValue("codetype").starts_with("application/java"))) {
                kind = LegacyKind::JavaApplet;
            }
            if (kind) {
                std::string what(Trimmed(tag.Value(!classId.empty()       ? "classid"
                                                   : !type.empty()        ? "type"
                                                   : tag.name == "object" ? "data"
                                                                          : "src")));
                Legacy(tag.offset, *kind, "<" + tag.name + "> " + what);
            }
        } else if (tag.name == "param") {
            static constexpr std::array<std::string_view, 8> kFileParams{"movie", "src",  "filename", "url",
                                                                         "file",  "data", "sound",    "sourceurl"};
            std::string param = tag.LoweredValue("name");
            const Attribute* value = tag.Find("value");
            if (value && std::find(kFileParams.begin(), kFileParams.end(), param) != kFileParams.end()) {
                Reference(*value, "param value");
            }
        } else if (tag.name == "meta" && tag.LoweredValue("http-equiv") == "refresh") {
            const Attribute* content = tag.Find("content");
            std::string text = content ? DecodedEntities(content->raw) : std::string();
            size_t url = AsciiLowered(text).find("url");
            size_t equals = url == std::string::npos ? url : text.find('=', url);
            if (equals != std::string::npos) {
                std::string target(Trimmed(std::string_view(text).substr(equals + 1)));
                if (target.size() >= 2 && (target.front() == '\'' || target.front() == '"') &&
                    target.back() == target.front())
                    target = target.substr(1, target.size() - 2);
                m_out.references.push_back({LineOf(content->offset), target, target, m_base, "refresh"});
            }
        }
    }

    std::string_view m_text;
    scan::LineIndex m_lines;
    TextScan& m_out;
    std::string m_base;
};

}  // namespace

TextScan ScanCourseText(CourseFileKind kind, std::string_view text) {
    TextScan scan;
    if (kind == CourseFileKind::Page) {
        PageScanner(text, scan).Run();
    } else if (kind == CourseFileKind::Script || kind == CourseFileKind::StyleSheet) {
        scan::LineIndex lines(text);
        scan::Place place{&lines, 0, 0, {}};
        if (kind == CourseFileKind::Script) scan::ScanScript(text, place, scan);
        if (kind == CourseFileKind::StyleSheet) scan::ScanStyle(text, place, scan);
    }
    return scan;
}

}  // namespace dorv
