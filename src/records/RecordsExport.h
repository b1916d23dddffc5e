// The class records as CSV files for a spreadsheet, two for each course:
// "<title>-learners.csv", one row for each learner, and
// "<title>-records.csv", every record of every learner as the history holds
// it. The records are read again from the histories learner by learner, so
// that they are never all in memory.
#pragma once

#include <string>

#include "records/ClassRecords.h"

namespace dorv {

// The start of a course's file names: its title with each character that
// cannot be in a file name (on this system or on a stick that Windows
// reads: / \ : * ? " < > | and control characters) replaced by "_".
std::string ExportFileBase(const std::string& title);

// Writes the class table of `course` to `path`: a header row (in Japanese or
// in English), then one row for each learner. False with `error` naming the
// file when it cannot be written; nothing is left at `path` then but what
// was there before.
bool ExportLearnersTable(const CourseSummary& course, const std::string& path, bool japanese, std::string& error);

// Writes every record of `course`'s learners to `path`: the learner's name
// and the record's eleven columns, in UTF-8. Lines that are no record are
// left out (the class table counts them). Fails, as above, also when a
// history that was read for the summary can no longer be read.
bool ExportAllRecords(const CourseSummary& course, const std::string& path, bool japanese, std::string& error);

struct ExportedFiles {
    std::string learners;  // the class table's path, once written
    std::string records;   // the records' path, once written
};

// Writes both files of `course` into `folder` (which must exist), their
// names starting with `base` (see ExportFileBase). Stops at the first file
// that fails, with `error` naming it.
bool ExportCourseRecords(const CourseSummary& course, const std::string& folder, const std::string& base, bool japanese,
                         ExportedFiles& written, std::string& error);

}  // namespace dorv
