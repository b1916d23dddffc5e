// File names as Windows resolved them. Courses were written, tested and
// copied on Windows, whose file systems ignore letter case and whose browser
// took "\" for "/"; archives made there keep Japanese names as code page 932
// bytes. A path that names no file exactly is looked for again, one name at
// a time: "\" separates folders, a name is matched without regard to letter
// case (as Windows compares names), and a name on disk whose bytes are the
// same text in code page 932 matches too. The folder listings this needs are
// kept for the life of the object (a course's files do not change while it
// runs).
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace dorv {

// How a path was found; several at once are possible.
struct NameMatch {
    bool backslash = false;   // "\" stood for "/"
    bool letterCase = false;  // a name differs in letter case from the one on disk
    bool codePage = false;    // a name on disk is the name in code page 932 bytes
    bool ambiguous = false;   // several names on disk matched; the first in byte order was taken

    bool IsExact() const { return !backslash && !letterCase && !codePage; }
};

// A name as Windows compares names: the letters that have a case in upper
// case (ASCII, Latin-1 and Latin Extended-A, Greek, Cyrillic, full-width
// Latin), everything else as it is. `name` is UTF-8.
std::string UpperCasedName(const std::string& name);

class CCourseNames {
public:
    CCourseNames() = default;
    CCourseNames(const CCourseNames&) = delete;
    CCourseNames& operator=(const CCourseNames&) = delete;

    // The file or folder that `path` names (absolute; "\" and "/" both
    // separate), as it is spelled on disk; nothing when there is none. The
    // names down to `fixedPrefix` (an absolute folder, or "") are taken as
    // they stand. An exact path is found without listing any folder.
    std::optional<std::string> Resolve(const std::string& path, NameMatch& match, const std::string& fixedPrefix = {});

    // The names of a folder (cached); false when it cannot be listed.
    bool ListFolder(const std::string& folder, std::vector<std::string>& names);
    // How many folders were read so far.
    size_t ListingsMade() const;

private:
    // A folder's names, in byte order, and by the name Windows compares
    // (UpperCasedName of the name, or of its text in code page 932).
    struct Listing {
        std::vector<std::string> names;
        std::multimap<std::string, size_t> byUpper;
    };
    const Listing* Find(const std::string& folder);

    mutable std::mutex m_lock;  // the engine asks from its threads too
    std::map<std::string, std::optional<Listing>> m_listings;
};

// `path` with "\" as "/" (what the old browser did before requesting).
std::string WithForwardSlashes(const std::string& path);

}  // namespace dorv
