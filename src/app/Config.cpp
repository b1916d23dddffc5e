#include "app/Config.h"

#include <libxml/encoding.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <climits>
#include <cstring>
#include <memory>
#include <mutex>

#include "common/Location.h"
#include "common/UrlFetcher.h"

namespace dorv {
namespace {

// Files written for Windows declare "Shift_JIS" but hold code page 932, whose
// extra characters (circled numbers, NEC and IBM extensions) and mappings of
// a few symbols differ from JIS Shift_JIS. Read every name of Shift_JIS as
// code page 932, as the Windows parser does.
void MapShiftJisToCp932() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (const char* alias : {"SHIFT_JIS", "SHIFT-JIS", "SJIS", "MS_KANJI", "CSSHIFTJIS", "X-SJIS"}) {
            xmlAddEncodingAlias("CP932", alias);
        }
    });
}

std::string QualifiedName(const xmlChar* prefix, const xmlChar* name) {
    std::string result;
    if (prefix) result.append(reinterpret_cast<const char*>(prefix)).push_back(':');
    result.append(reinterpret_cast<const char*>(name));
    return result;
}

// First element named `tag` in document order (names compare exactly,
// prefix included).
xmlNode* FindFirstElement(xmlNode* node, const std::string& tag) {
    for (; node; node = node->next) {
        if (node->type != XML_ELEMENT_NODE) continue;
        if (QualifiedName(node->ns ? node->ns->prefix : nullptr, node->name) == tag) return node;
        if (xmlNode* found = FindFirstElement(node->children, tag)) return found;
    }
    return nullptr;
}

xmlAttr* FindAttribute(xmlNode* element, const std::string& name) {
    for (xmlAttr* attr = element->properties; attr; attr = attr->next) {
        if (QualifiedName(attr->ns ? attr->ns->prefix : nullptr, attr->name) == name) return attr;
    }
    return nullptr;
}

// The first error of a parse, with its line: later ones mostly follow from it.
struct FirstError {
    bool seen = false;
    int line = 0;
    std::string message;
};

void NoteError(void* data, xmlErrorPtr error) {
    auto* first = static_cast<FirstError*>(data);
    if (first->seen || !error) return;
    first->seen = true;
    first->line = error->line;
    first->message = error->message ? error->message : "unknown error";
    while (!first->message.empty() && first->message.back() == '\n') first->message.pop_back();
}

struct DocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

}  // namespace

CConfig::CConfig(std::string location, IUrlFetcher* fetcher) : m_location(std::move(location)), m_fetcher(fetcher) {}

bool CConfig::Fail(std::string why) const {
    m_strLastFailure = std::move(why);
    return false;
}

bool CConfig::ReadDocument(std::string& bytes) const {
    if (IsUrlLocation(m_location)) {
        if (!m_fetcher) return Fail(m_location + " could not be fetched: no fetcher");
        std::string why;
        if (m_fetcher->Fetch(m_location, bytes, why)) return true;
        return Fail(m_location + " could not be fetched: " + why);
    }
    int err = 0;
    if (ReadRegularFile(m_location, bytes, err)) return true;
    return Fail(m_location + " could not be read: " + std::strerror(err));
}

bool CConfig::GetValue(const std::string& tagName, const std::string& attributeName, std::string& value) const {
    m_strLastFailure.clear();
    std::string bytes;
    if (!ReadDocument(bytes)) return false;
    if (bytes.size() > INT_MAX) return Fail(m_location + " is too large");
    MapShiftJisToCp932();
    // No network, and no external DTD or entity is loaded: only the file's
    // own text is parsed.
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    FirstError first;
    xmlSetStructuredErrorFunc(&first, NoteError);
    std::unique_ptr<xmlDoc, DocFree> doc(
        xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), m_location.c_str(), nullptr, options));
    xmlSetStructuredErrorFunc(nullptr, nullptr);
    if (!doc) {
        return Fail(m_location + " is not well-formed XML: line " + std::to_string(first.line) + ": " +
                    (first.seen ? first.message : "unknown error"));
    }
    xmlNode* element = FindFirstElement(doc->children, tagName);
    if (!element) return Fail(m_location + " has no element \"" + tagName + "\"");
    xmlAttr* attr = FindAttribute(element, attributeName);
    if (!attr)
        return Fail("the element \"" + tagName + "\" of " + m_location + " has no attribute \"" + attributeName + "\"");
    xmlChar* text = xmlNodeListGetString(doc.get(), attr->children, 1);
    value = text ? reinterpret_cast<const char*>(text) : "";
    xmlFree(text);
    return true;
}

}  // namespace dorv
