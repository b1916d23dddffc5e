#include "course/CourseNames.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "common/Location.h"
#include "common/TextEncoding.h"

namespace dorv {
namespace {

// One code point of valid UTF-8 at `i`; advances `i`.
char32_t NextCodePoint(const std::string& text, size_t& i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
    char32_t point = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
    ++i;
    for (int k = 0; k < extra && i < text.size(); ++k, ++i) {
        point = (point << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
    }
    return point;
}

char32_t UpperCased(char32_t c) {
    if (c >= U'a' && c <= U'z') return c - 0x20;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;  // Latin-1
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x17F) {
        // Latin Extended-A pairs capitals and small letters side by side; its
        // pairs start on an even code point up to U+0137, on an odd one from
        // U+0139 to U+0148 and U+0179 to U+017E, and on an even one between.
        bool oddPairs = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        bool small = oddPairs ? (c % 2 == 0) : (c % 2 == 1);
        return small ? c - 1 : c;
    }
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 0x20;  // Greek
    if (c == 0x3C2) return 0x3A3;                                 // final sigma
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;                // Cyrillic
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    if (c >= 0xFF41 && c <= 0xFF5A) return c - 0x20;  // full-width Latin
    return c;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

}  // namespace

std::string UpperCasedName(const std::string& name) {
    if (!IsValidUtf8(name)) return name;
    std::string upper;
    upper.reserve(name.size());
    for (size_t i = 0; i < name.size();) AppendUtf8(upper, UpperCased(NextCodePoint(name, i)));
    return upper;
}

std::string WithForwardSlashes(const std::string& path) {
    std::string out = path;
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

size_t CCourseNames::ListingsMade() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_listings.size();
}

const CCourseNames::Listing* CCourseNames::Find(const std::string& folder) {
    {
        std::lock_guard<std::mutex> hold(m_lock);
        auto it = m_listings.find(folder);
        if (it != m_listings.end()) return it->second ? &*it->second : nullptr;
    }
    std::optional<Listing> listing;
    if (DIR* dir = opendir(folder.empty() ? "/" : folder.c_str())) {
        listing.emplace();
        while (struct dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name != "." && name != "..") listing->names.push_back(name);
        }
        closedir(dir);
        std::sort(listing->names.begin(), listing->names.end());
        for (size_t i = 0; i < listing->names.size(); ++i) {
            const std::string& name = listing->names[i];
            listing->byUpper.emplace(UpperCasedName(IsValidUtf8(name) ? name : Cp932ToUtf8Lenient(name)), i);
        }
    }
    std::lock_guard<std::mutex> hold(m_lock);
    // Entries of a std::map stay where they are: the pointer outlives the lock.
    auto& kept = m_listings[folder];
    if (!kept) kept = std::move(listing);
    return kept ? &*kept : nullptr;
}

bool CCourseNames::ListFolder(const std::string& folder, std::vector<std::string>& names) {
    const Listing* listing = Find(folder);
    if (!listing) return false;
    names = listing->names;
    return true;
}

std::optional<std::string> CCourseNames::Resolve(const std::string& path, NameMatch& match,
                                                 const std::string& fixedPrefix) {
    match = {};
    match.backslash = path.find('\\') != std::string::npos;
    const std::string slashed = WithForwardSlashes(path);
    std::vector<std::string> parts = PathParts(slashed);
    std::string exact;
    for (const std::string& part : parts) exact += "/" + part;
    if (exact.empty()) exact.push_back('/');
    if (Exists(exact)) return exact;

    std::vector<std::string> fixed = PathParts(fixedPrefix);
    std::string found;
    for (size_t k = 0; k < parts.size(); ++k) {
        const std::string& wanted = parts[k];
        std::string candidate = found;
        candidate.append("/").append(wanted);
        if (k < fixed.size() || Exists(candidate)) {
            found = std::move(candidate);
            continue;
        }
        // The name differs from the disk's: the folder is listed once.
        const Listing* listing = Find(found.empty() ? "/" : found);
        if (!listing) return std::nullopt;
        std::vector<std::pair<std::string, bool>> hits;  // the name, whether by code page; in byte order
        auto [first, last] = listing->byUpper.equal_range(UpperCasedName(wanted));
        for (auto it = first; it != last; ++it) {
            const std::string& name = listing->names[it->second];
            hits.emplace_back(name, !IsValidUtf8(name));
        }
        std::sort(hits.begin(), hits.end());
        if (hits.empty()) return std::nullopt;
        // The names are in byte order: the first is the fixed choice.
        match.ambiguous = match.ambiguous || hits.size() > 1;
        match.codePage = match.codePage || hits.front().second;
        bool sameCase = hits.front().second ? hits.front().first == Utf8ToCp932(wanted).value_or(std::string())
                                            : hits.front().first == wanted;
        match.letterCase = match.letterCase || !sameCase;
        found += "/" + hits.front().first;
    }
    if (found.empty()) return std::string(1, '/');
    return found;
}

}  // namespace dorv
