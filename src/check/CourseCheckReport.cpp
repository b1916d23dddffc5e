// The course check's report: text for the administrator, JSON for tools.
#include <algorithm>
#include <cstdio>
#include <map>
#include <tuple>

#include "check/CourseCheck.h"
#include "common/TextEncoding.h"
#include "common/TextJoin.h"

namespace dorv {
namespace {

using check::ShownName;

std::string Quoted(const std::string& text) { return "\"" + ShownName(text) + "\""; }

// `text` with each of its lines indented by `indent`.
std::string Indented(const std::string& text, const std::string& indent) {
    std::string out = indent;
    for (char c : text) {
        out += c;
        if (c == '\n') out += indent;
    }
    return out + "\n";
}

std::string LocationLine(const char* key, const CheckedLocation& location) {
    std::string line = std::string("  ") + key + ": " + Quoted(location.written);
    if (!location.resolved.empty()) line += " -> " + ShownName(location.resolved);
    if (!location.how.empty()) line += " (found as Windows found it: " + Joined(location.how, ", ") + ")";
    if (!location.checked) return line + " (the program ends before it looks at it)\n";
    return line + (location.resolved.empty() ? ": unusable\n" : "\n");
}

std::string Counted(size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string MessagesText(const std::vector<ShownMessage>& shown) {
    std::string out;
    for (const ShownMessage& message : shown) {
        out += Indented(message.text, "    ");
        if (!message.note.empty()) out += "    (standard error: " + message.note + ")\n";
    }
    return out;
}

std::string CountsLine(const CheckCounts& c) {
    return "  read " + Counted(c.pages, "page", "pages") + ", " + Counted(c.scripts, "script", "scripts") + ", " +
           Counted(c.styleSheets, "style sheet", "style sheets") + ": " +
           Counted(c.references, "reference", "references") + ", " + std::to_string(c.exact) + " found as written, " +
           std::to_string(c.windowsNames) + " only as Windows names, " + std::to_string(c.broken) + " will not work, " +
           std::to_string(c.elsewhere) + " elsewhere (web, mail, the page itself)\n";
}

// The findings that will not work, in file and line order.
std::string ProblemsText(const CourseCheckReport& r) {
    std::vector<std::tuple<std::string, int, std::string>> lines;
    auto where = [](const std::string& file, int line) {
        return ShownName(file) + (line ? ":" + std::to_string(line) : "");
    };
    for (const ReferenceFinding& f : r.unreadable)
        lines.emplace_back(f.file, f.line, where(f.file, 0) + ": " + f.problem);
    for (const ReferenceFinding& f : r.broken) {
        lines.emplace_back(
            f.file, f.line,
            where(f.file, f.line) + ": " + (f.in.empty() ? "" : f.in + " ") + Quoted(f.written) + ": " + f.problem);
    }
    for (const LegacyFinding& f : r.legacy) {
        lines.emplace_back(f.file, f.line, where(f.file, f.line) + ": " + f.name + ": " + f.detail + ": " + f.why);
    }
    for (const PageDecoding& d : r.decodings) {
        if (!d.problem.empty()) {
            lines.emplace_back(d.file, d.line, where(d.file, d.line) + ": its text shows garbled: " + d.problem);
        }
    }
    std::stable_sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) {
        return std::tie(std::get<0>(a), std::get<1>(a)) < std::tie(std::get<0>(b), std::get<1>(b));
    });
    std::string out;
    for (const auto& line : lines) out += "    " + std::get<2>(line) + "\n";
    return out;
}

std::string DecodingsText(const std::vector<PageDecoding>& decodings) {
    std::map<std::string, std::vector<std::string>> groups;
    for (const PageDecoding& d : decodings) {
        std::string how = d.encoding;
        if (d.source == "program") {
            how += d.encoding == "UTF-8" ? ", the program's choice (UTF-8 text, no charset of its own)"
                                         : ", the program's choice (no charset of its own)";
        } else if (d.source == "byte-order mark") {
            how += ", by its byte-order mark";
        } else if (d.source == "engine default") {
            how += ", the engine's default (" + Quoted(d.declared) + " declared, a charset it does not know)";
        } else {
            how += ", declared by the page (" + d.declared + ")";
        }
        groups[how].push_back(d.file);
    }
    std::string out;
    for (const auto& [how, files] : groups) {
        out += "    " + how + ": " + std::to_string(files.size()) + (files.size() == 1 ? " page" : " pages") + "\n";
        std::string line = "      ";
        for (size_t k = 0; k < files.size(); ++k) {
            std::string item = files[k] + (k + 1 < files.size() ? "," : "");
            if (line.size() > 6 && line.size() + item.size() + 1 > 100) {
                out += line + "\n";
                line = "      ";
            }
            line += (line.size() > 6 ? " " : "") + item;
        }
        out += line + "\n";
    }
    return out;
}

// A JSON string: valid UTF-8 (names that are not are shown converted from
// code page 932), with quotes, backslashes and control characters escaped.
std::string Json(const std::string& raw) {
    std::string text = IsValidUtf8(raw) ? raw : Cp932ToUtf8Lenient(raw);
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

std::string JsonOrNull(const std::string& text) { return text.empty() ? "null" : Json(text); }
std::string JsonBool(bool value) { return value ? "true" : "false"; }

std::string JsonList(const std::vector<std::string>& items) {
    std::string out = "[";
    for (const std::string& item : items) out += (out.size() > 1 ? "," : "") + Json(item);
    return out + "]";
}

template <typename T, typename F>
std::string JsonArray(const std::vector<T>& items, F each) {
    std::string out = "[";
    for (const T& item : items) out += (out.size() > 1 ? ",\n      " : "\n      ") + each(item);
    return out + (items.empty() ? "]" : "\n    ]");
}

std::string JsonLocation(const CheckedLocation& l) {
    return "{\"written\": " + Json(l.written) + ", \"resolved\": " + JsonOrNull(l.resolved) +
           ", \"checked\": " + JsonBool(l.checked) + ", \"how\": " + JsonList(l.how) + "}";
}

std::string JsonMessages(const std::vector<ShownMessage>& shown) {
    return JsonArray(shown, [](const ShownMessage& m) {
        return "{\"text\": " + Json(m.text) + ", \"note\": " + JsonOrNull(m.note) + "}";
    });
}

std::string JsonCourse(const CourseCheckReport& r) {
    const CheckCounts& c = r.counts;
    std::string attributes = "{";
    for (const auto& [name, value] : r.configuration)
        attributes += (attributes.size() > 1 ? ", " : "") + Json(name) + ": " + Json(value);
    attributes += "}";
    std::string out = "  {\n";
    out += "    \"folder\": " + Json(r.given) + ",\n";
    out += "    \"path\": " + JsonOrNull(r.folder) + ",\n";
    out += "    \"folder_problem\": " + JsonOrNull(r.folderProblem) + ",\n";
    out += "    \"starts\": " + JsonBool(r.starts) + ",\n";
    out += "    \"ok\": " + JsonBool(!r.HasProblems()) + ",\n";
    out += "    \"ini\": " + JsonOrNull(r.iniPath) + ",\n";
    out += "    \"shown\": " + JsonMessages(r.shown) + ",\n";
    out += "    \"shown_next\": " + JsonMessages(r.next) + ",\n";
    out += "    \"locations\": {\"config\": " + JsonLocation(r.config) +
           ",\n                  \"main\": " + JsonLocation(r.main) + "},\n";
    out += "    \"configuration\": {\"read\": " + JsonBool(r.configurationRead) + ", \"attributes\": " + attributes +
           ", \"problem\": " + JsonOrNull(r.configurationProblem) + "},\n";
    out += "    \"compat\": " + JsonBool(r.legacyScript) + ",\n";
    out += "    \"pages_not_read\": " + JsonOrNull(r.pagesNotRead) + ",\n";
    out += "    \"roots\": " + JsonList(r.roots) + ",\n";
    out += "    \"counts\": {\"pages\": " + std::to_string(c.pages) + ", \"scripts\": " + std::to_string(c.scripts) +
           ", \"style_sheets\": " + std::to_string(c.styleSheets) +
           ", \"references\": " + std::to_string(c.references) + ", \"exact\": " + std::to_string(c.exact) +
           ", \"windows_names\": " + std::to_string(c.windowsNames) + ", \"broken\": " + std::to_string(c.broken) +
           ", \"elsewhere\": " + std::to_string(c.elsewhere) + "},\n";
    out += "    \"windows_names\": " +
           JsonArray(r.windowsNames,
                     [](const ReferenceFinding& f) {
                         return "{\"file\": " + Json(f.file) + ", \"line\": " + std::to_string(f.line) +
                                ", \"in\": " + Json(f.in) + ", \"written\": " + Json(f.written) +
                                ", \"on_disk\": " + Json(f.onDisk) + ", \"how\": " + JsonList(f.how) + "}";
                     }) +
           ",\n";
    out += "    \"broken_references\": " +
           JsonArray(r.broken,
                     [](const ReferenceFinding& f) {
                         return "{\"file\": " + Json(f.file) + ", \"line\": " + std::to_string(f.line) +
                                ", \"in\": " + Json(f.in) + ", \"written\": " + Json(f.written) +
                                ", \"problem\": " + Json(f.problem) + "}";
                     }) +
           ",\n";
    out += "    \"unsupported\": " +
           JsonArray(r.legacy,
                     [](const LegacyFinding& f) {
                         return "{\"file\": " + Json(f.file) + ", \"line\": " + std::to_string(f.line) +
                                ", \"kind\": " + Json(f.kind) + ", \"name\": " + Json(f.name) +
                                ", \"detail\": " + Json(f.detail) + ", \"why\": " + Json(f.why) + "}";
                     }) +
           ",\n";
    out += "    \"unreadable\": " +
           JsonArray(r.unreadable,
                     [](const ReferenceFinding& f) {
                         return "{\"file\": " + Json(f.file) + ", \"problem\": " + Json(f.problem) + "}";
                     }) +
           ",\n";
    out += "    \"decoding\": " +
           JsonArray(r.decodings,
                     [](const PageDecoding& d) {
                         return "{\"file\": " + Json(d.file) + ", \"encoding\": " + Json(d.encoding) +
                                ", \"source\": " + Json(d.source) + ", \"declared\": " + JsonOrNull(d.declared) +
                                ", \"problem\": " + JsonOrNull(d.problem) +
                                ", \"line\": " + (d.line ? std::to_string(d.line) : "null") + "}";
                     }) +
           ",\n";
    out += "    \"summary\": " + Json(r.Summary()) + "\n  }";
    return out;
}

}  // namespace

std::string TextReport(const CourseCheckReport& r) {
    std::string out =
        "checking " + ShownName(r.given) + (r.folder.empty() ? "" : " (" + ShownName(r.folder) + ")") + "\n";
    if (!r.folderProblem.empty()) return out + "  " + r.folderProblem + "\n" + r.Summary() + "\n";
    out += "  DORV.ini: " + ShownName(r.iniPath) + "\n";
    out += LocationLine("config", r.config);
    out += LocationLine("main", r.main);
    if (!r.shown.empty()) out += "  shown at start-up, after which the program ends:\n" + MessagesText(r.shown);
    if (!r.next.empty()) out += "  shown next, once config is mended:\n" + MessagesText(r.next);
    if (!r.configuration.empty()) {
        std::vector<std::string> attributes;
        for (const auto& [name, value] : r.configuration) attributes.push_back(name + " " + Quoted(value));
        out += "  course configuration: " + Joined(attributes, ", ") + "\n";
    }
    if (!r.configurationProblem.empty()) out += "  course configuration: " + r.configurationProblem + "\n";
    if (!r.legacyScript) out += "  compat=0: the old browser's script interfaces are kept out of the pages\n";
    if (!r.pagesNotRead.empty()) {
        out += "  pages not read: " + r.pagesNotRead + "\n";
    } else {
        out += CountsLine(r.counts);
    }
    if (!r.windowsNames.empty()) {
        out += "  work only as Windows found names (correct them in the course):\n";
        for (const ReferenceFinding& f : r.windowsNames) {
            out += "    " + ShownName(f.file) + ":" + std::to_string(f.line) + ": " + (f.in.empty() ? "" : f.in + " ") +
                   Quoted(f.written) + " is " + Quoted(f.onDisk) + " on disk (" + Joined(f.how, ", ") + ")\n";
        }
    }
    std::string problems = ProblemsText(r);
    if (!problems.empty()) out += "  will not work:\n" + problems;
    if (!r.decodings.empty()) out += "  pages are decoded as:\n" + DecodingsText(r.decodings);
    return out + r.Summary() + "\n";
}

std::string JsonReport(const std::vector<CourseCheckReport>& reports) {
    bool ok = std::none_of(reports.begin(), reports.end(), [](const CourseCheckReport& r) { return r.HasProblems(); });
    std::string out = "{\"ok\": " + JsonBool(ok) + ", \"courses\": [\n";
    for (size_t k = 0; k < reports.size(); ++k) out += JsonCourse(reports[k]) + (k + 1 < reports.size() ? ",\n" : "\n");
    return out + "]}\n";
}

}  // namespace dorv
