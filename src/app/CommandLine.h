// The program's command line: an optional course folder, --help, --version;
// or --check with the course folders to check (and --json).
#pragma once

#include <string>
#include <vector>

namespace dorv {

struct CommandLine {
    enum class Action { Run, Help, Version, Check, UsageError };
    Action action = Action::Run;
    std::string folder;                // Run: the course folder to work in ("" for the current one)
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
