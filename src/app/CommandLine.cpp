#include "app/CommandLine.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "app/Version.h"

namespace dorv {
namespace {

CommandLine CheckCommandLine(bool check, bool json, const std::vector<std::string>& folders) {
    CommandLine result;
    result.action = CommandLine::Action::UsageError;
    if (!check) {
        result.error = "--json goes with --check";
    } else if (folders.empty()) {
        result.error = "--check needs at least one course folder";
    } else if (std::find(folders.begin(), folders.end(), std::string()) != folders.end()) {
        result.error = "a course folder name is empty";
    } else {
        result.action = CommandLine::Action::Check;
        result.folders = folders;
        result.json = json;
    }
    return result;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine result;
    bool optionsEnded = false;
    bool check = false;
    bool json = false;
    std::vector<std::string> operands;
    for (const std::string& arg : args) {
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            result.action = CommandLine::Action::Help;
            return result;
        } else if (!optionsEnded && (arg == "--version" || arg == "-V")) {
            result.action = CommandLine::Action::Version;
            return result;
        } else if (!optionsEnded && arg == "--check") {
            check = true;
        } else if (!optionsEnded && arg == "--json") {
            json = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            result.action = CommandLine::Action::UsageError;
            result.error = "unrecognized option '" + arg + "'";
            return result;
        } else {
            operands.push_back(arg);
        }
    }
    if (check || json) return CheckCommandLine(check, json, operands);
    if (operands.size() > 1) {
        result.action = CommandLine::Action::UsageError;
        result.error = "too many arguments: only one course folder can be given";
    } else if (operands.size() == 1) {
        if (operands[0].empty()) {
            result.action = CommandLine::Action::UsageError;
            result.error = "the course folder name is empty";
        } else {
            result.folder = operands[0];
        }
    }
    return result;
}

std::string UsageText(const std::string& program) {
    return "Usage: " + program +
           " [COURSE-FOLDER]\n"
           "  or:  " +
           program +
           " --check [--json] COURSE-FOLDER...\n"
           "Show the HTML course whose DORV.ini is in COURSE-FOLDER (by default the\n"
           "current working directory).\n"
           "With --check, show no window: read each course as the program would and\n"
           "report what keeps it from starting, references to files that will not be\n"
           "found, what this browser engine does not offer, and how each page is\n"
           "decoded. Nothing in the course is changed. Exit status 0 when every course\n"
           "starts and nothing was found that will not work, 1 otherwise.\n"
           "\n"
           "      --check    check the courses instead of showing one\n"
           "      --json     with --check: the report as one JSON document\n"
           "  -h, --help     display this help and exit\n"
           "  -V, --version  output version information and exit\n"
           "\n"
           "Set G_MESSAGES_DEBUG=dorv to trace start-up, page calls and host commands.\n";
}

std::string VersionText() { return std::string("DORV ") + kDorvVersion + "\n"; }

bool EnterCourseFolder(const std::string& folder, std::string& error) {
    struct stat st {};
    if (stat(folder.c_str(), &st) != 0) {
        error = "cannot open course folder '" + folder + "': " + std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        error = "'" + folder + "' is not a folder";
        return false;
    }
    if (chdir(folder.c_str()) != 0) {
        error = "cannot enter course folder '" + folder + "': " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace dorv
