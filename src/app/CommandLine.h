// The program's command line: an optional course folder, --help, --version;
// --check with the course folders to check (and --json); --library, the
// window that lists the courses of the machine and starts them; or
// --records with a place, the class records' window or (with --export) their
// CSV files.
#pragma once

#include <string>
#include <vector>

namespace dorv {

struct CommandLine {
    enum class Action { Run, Help, Version, Check, Library, Records, UsageError };
    Action action = Action::Run;
    std::string folder;                // Run: the course folder to work in ("" for the current one)
                                       // Records: the place ("" for the user's documents, drive C:)
    std::string exportFolder;          // Records: where the CSV files go ("": the window instead)
    std::string error;                 // UsageError: what is wrong
    std::vector<std::string> folders;  // Check: the course folders, in the order given
    bool json = false;                 // Check: the report as one JSON document
};

// `args` are the arguments after the program name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

std::string UsageText(const std::string& program);
std::string VersionText();

// Makes `folder` the working directory; false with `error` set when it can't.
bool EnterCourseFolder(const std::string& folder, std::string& error);

}  // namespace dorv
