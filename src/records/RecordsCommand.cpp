#include "records/RecordsCommand.h"

#include <filesystem>
#include <set>

#include "learner/DrivePlaces.h"
#include "records/ClassRecords.h"
#include "records/RecordsExport.h"

namespace dorv {
namespace {

// A name for the course's files that no earlier course of this export took
// (two titles may differ only in characters that file names cannot hold).
std::string UniqueBase(const std::string& title, std::set<std::string>& taken) {
    std::string base = ExportFileBase(title);
    std::string candidate = base;
    for (int n = 2; taken.count(candidate); ++n) candidate = base + "-" + std::to_string(n);
    taken.insert(candidate);
    return candidate;
}

std::string CountLine(const CourseSummary& course) {
    long long sessions = 0;
    long long records = 0;
    long long values = 0;
    for (const LearnerSummary& learner : course.learners) {
        sessions += learner.sessions;
        records += learner.unreadableRecords;
        values += learner.unreadableValues;
    }
    return course.title + ": " + std::to_string(course.learners.size()) + " learners, " + std::to_string(sessions) +
           " records, " + std::to_string(records) + " unreadable records, " + std::to_string(values) +
           " unreadable values, " + std::to_string(course.damage.size()) + " damaged things";
}

}  // namespace

bool ResolveRecordsPlace(const std::string& argument, IDriveList* drives, std::string& folder, std::string& problem) {
    folder.clear();
    problem.clear();
    bool letterForm = (argument.size() == 1 || (argument.size() == 2 && argument[1] == ':')) &&
                      ((argument[0] >= 'A' && argument[0] <= 'Z') || (argument[0] >= 'a' && argument[0] <= 'z'));
    if (!letterForm) {
        if (argument.empty()) problem = "no place was given";
        folder = argument;
        return !argument.empty();
    }
    char letter = static_cast<char>(argument[0] & ~0x20);
    std::string drive = std::string(1, letter) + ":";
    if (!drives) {
        problem = "drive " + drive + ": drive letters cannot be resolved here; give the folder instead";
        return false;
    }
    folder = DataRootOf(drives->Find(letter), *drives);
    if (folder.empty()) problem = "drive " + drive + " stands for no place";
    return !folder.empty();
}

int ExportPlaceRecords(const std::string& place, const std::string& folder, bool japanese, std::FILE* out,
                       std::FILE* err, IDriveList* drives) {
    std::string root;
    std::string problem;
    if (!ResolveRecordsPlace(place, drives, root, problem)) {
        std::fprintf(err, "%s\n", problem.c_str());
        return 1;
    }
    PlaceRecords records = ReadPlace(root);
    if (!records.problem.empty()) {
        std::fprintf(err, "cannot read the place %s\n", records.problem.c_str());
        return 1;
    }
    if (records.courses.empty()) {
        std::fprintf(err, "%s holds no course data folder (PLENA/<course>/<learner>/HISTORY.DAT)\n", root.c_str());
        return 1;
    }
    std::string target = folder.empty() ? "." : folder;
    std::error_code made;
    std::filesystem::create_directories(target, made);
    if (made) {
        std::fprintf(err, "cannot create the folder %s: %s\n", target.c_str(), made.message().c_str());
        return 1;
    }
    int status = 0;
    std::set<std::string> taken;
    for (const CourseSummary& course : records.courses) {
        if (!course.problem.empty()) {
            std::fprintf(err, "cannot read the course %s\n", course.problem.c_str());
            status = 1;
            continue;
        }
        ExportedFiles written;
        std::string error;
        bool exported = ExportCourseRecords(course, target, UniqueBase(course.title, taken), japanese, written, error);
        if (!written.learners.empty()) std::fprintf(out, "%s\n", written.learners.c_str());
        if (!written.records.empty()) std::fprintf(out, "%s\n", written.records.c_str());
        if (!exported) {
            std::fprintf(err, "not written: %s\n", error.c_str());
            status = 1;
        }
        std::fprintf(out, "%s\n", CountLine(course).c_str());
    }
    if (std::fflush(out) != 0 || std::ferror(out)) {
        std::fprintf(err, "the list of files written could not be printed whole\n");
        status = 1;
    }
    return status;
}

}  // namespace dorv
