// The courses of the library's places. A course is a folder that holds a
// DORV.ini, in any letter case of the name, as courses copied from Windows
// machines come. Below the user's and the system's courses folders each
// folder directly below is looked at; a configured folder is a course
// itself or holds courses directly below; on removable media a course may
// be the medium itself, a folder at its top level, or a folder one level
// below that (a stick or a CD that holds a folder of courses).
#pragma once

#include <string>
#include <vector>

#include "library/LibraryPlaces.h"

namespace dorv {

struct FoundCourse {
    std::string folder;   // the course folder, links resolved
    CoursePlace place;    // the place it was found in
    std::string iniName;  // the settings file's name as it is on disk: "DORV.ini", "dorv.ini" ...

    bool operator==(const FoundCourse&) const = default;
};

// The name of the settings file in `folder` as it is on disk (the exact name
// before any other letter case); "" when there is none.
std::string FindSettingsFile(const std::string& folder);

// Every course of the places, in the order of the places and, within a
// place, of the folders' names (numbers in them by their value: "unit2"
// before "unit10"). A folder reached twice (by a link, or as
// two places) is listed once, where it was reached first; folders whose
// names start with "." are not looked into.
std::vector<FoundCourse> FindCourses(const std::vector<CoursePlace>& places);

}  // namespace dorv
