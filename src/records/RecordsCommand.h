// The class records from the command line: a place's records exported as
// CSV files, two for each course.
#pragma once

#include <cstdio>
#include <string>

namespace dorv {

class IDriveList;

// The folder that a PLACE argument names: "F:" or "F" (either case) is the
// drive F, its folder as the program keeps learner data on it (see
// DataRootOf); anything else is a folder. False with `problem` set when a
// drive letter stands for no place, or no drive list is given for one.
bool ResolveRecordsPlace(const std::string& argument, IDriveList* drives, std::string& folder, std::string& problem);

// Reads the place and writes the two files of each of its courses into
// `folder` (created when missing). Prints a line for each file written, and
// one with the course's counts, to `out`; what failed to `err`. Returns 0
// when all went well, 1 when anything failed, also when the place holds no
// course data folder. Damaged things and unreadable records are no failure:
// the files count them. `drives` resolves drive letters (none: a letter is
// refused).
int ExportPlaceRecords(const std::string& place, const std::string& folder, bool japanese, std::FILE* out,
                       std::FILE* err, IDriveList* drives = nullptr);

}  // namespace dorv
