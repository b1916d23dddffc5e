// Which pages and files are the course's own. A course on disk is served to
// the engine under one address of its own (one origin for all its pages, so
// that they may read their files and script each other's frames); a course
// on a server is its main page's origin, and the origin the main page
// finally came from after the server's redirects.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "course/CourseNames.h"

namespace dorv {

// `path` (absolute) with "." and ".." segments and repeated slashes
// resolved; ".." at the root stays at the root. A trailing slash is kept.
std::string NormalisePath(const std::string& path);

class CCoursePages {
public:
    static constexpr const char* kScheme = "dorv";
    static constexpr const char* kOrigin = "dorv://course";

    // `mainLocation`: the checked main page (an absolute path or an http(s)
    // URL); `courseFolder`: the absolute path of the folder of DORV.ini.
    CCoursePages(const std::string& mainLocation, const std::string& courseFolder);

    bool IsOnDisk() const { return m_onDisk; }
    // The address the window opens first.
    const std::string& MainPageUri() const { return m_mainUri; }
    // The folders whose files are the course's (normalised, with a trailing
    // slash): the course folder and the main page's folder. Empty for a
    // course on a server.
    const std::vector<std::string>& Roots() const { return m_roots; }

    bool IsCoursePage(const std::string& uri) const;
    // The main page's own load arrived at `uri`, after the server's
    // redirects: that origin is the course's too.
    void AcceptMainPageArrival(const std::string& uri);

    // The file that a course address names: its path, normalised, below one
    // of the roots, and, where symbolic links are followed, still below one
    // of them. "" when it names nothing of the course. A path that names no
    // file exactly is looked for as Windows resolved names (CourseNames.h),
    // below the root; `match` (when given) says how it was found.
    std::string FileOf(const std::string& uri, NameMatch* match = nullptr) const;

    // The names looked for so far (how many folders were listed).
    const CCourseNames& Names() const { return *m_names; }

    // URL patterns of the course's pages, for the engine's script injection.
    std::vector<std::string> UrlPatterns() const;

    // The address under which the engine is shown a file path.
    static std::string FileUri(const std::string& path);

private:
    std::string LexicalFileOf(const std::string& uri) const;
    bool IsBelowRoot(const std::string& path, const std::vector<std::string>& roots) const;

    bool m_onDisk;
    std::string m_mainUri;
    std::vector<std::string> m_roots;
    std::vector<std::string> m_realRoots;  // the roots with their links followed
    std::vector<std::string> m_origins;    // scheme://host:port of a course on a server
    std::shared_ptr<CCourseNames> m_names = std::make_shared<CCourseNames>();
};

}  // namespace dorv
