// The courses the library shows: what was found, then, as the course check
// answers, each course's name, whether it starts (and why not) and what in
// it will not work.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "check/CourseCheck.h"
#include "library/CourseFinder.h"

namespace dorv {

// What the check of a course's files found that will not work.
struct CourseFindings {
    size_t broken = 0;         // references to files found in no way
    size_t legacy = 0;         // uses of what only the old browser offered
    size_t unreadable = 0;     // course files that cannot be read
    size_t garbled = 0;        // pages whose text shows garbled
    size_t windowsNames = 0;   // references found only as Windows found names (they work)
    bool keepsNoData = false;  // the course configuration keeps no learner's data
    std::string pagesNotRead;  // the pages were not read: why
};

struct CourseEntry {
    enum class Stage { Found, StartUpChecked, FilesChecked };

    std::string folder;
    CoursePlace place;
    std::string iniName;
    Stage stage = Stage::Found;

    // From the start-up checks.
    std::string name;                // "courseware" of the course configuration; "" when unknown
    std::string copyright;           // "copyright"
    std::string fileTitle;           // "file_title"
    bool starts = true;              // false once the checks said it will not start
    std::vector<std::string> why;    // what the program would show, in order
    std::vector<std::string> notes;  // the causes it would name on standard error

    // From the check of its files.
    bool hasProblems = false;  // something will not work (the course may still start)
    std::string summary;       // the check's last line
    CheckCounts counts;
    CourseFindings findings;

    // The name to show: the course's own, or its folder's until it is known.
    std::string DisplayName() const;
    bool StartUpChecked() const { return stage != Stage::Found; }
};

class CCourseList {
public:
    // Makes the list the courses found now. A course that was listed already
    // keeps what its checks said; the folders of the courses new to the
    // list are returned, in the list's order, for their checks.
    std::vector<std::string> SetFound(const std::vector<FoundCourse>& found);

    const std::vector<CourseEntry>& Entries() const { return m_entries; }
    // The course in `folder`; nullptr when it is not listed.
    const CourseEntry* Find(const std::string& folder) const;

    // The results of the checks of the course in `report.given`; false
    // (and nothing changes) when it is not listed any more.
    bool ApplyStartUp(const CourseCheckReport& report);
    bool ApplyFiles(const CourseCheckReport& report);

private:
    CourseEntry* FindEntry(const std::string& folder);

    std::vector<CourseEntry> m_entries;
};

}  // namespace dorv
