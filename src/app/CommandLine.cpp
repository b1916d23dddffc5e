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

CommandLine RecordsCommandLine(bool records, bool otherOption, const std::vector<std::string>& operands, bool exporting,
                               const std::string& exportFolder) {
    CommandLine result;
    result.action = CommandLine::Action::UsageError;
    if (!records) {
        result.error = "--export goes with --records";
    } else if (otherOption) {
        result.error = "--records goes with no other option but --export";
    } else if (operands.size() > 1) {
        result.error = "--records takes one place: a drive letter or a folder";
    } else if (operands.size() == 1 && operands[0].empty()) {
        result.error = "the place is empty";
    } else if (exporting && exportFolder.empty()) {
        result.error = "the export folder name is empty";
    } else {
        result.action = CommandLine::Action::Records;
        result.folder = operands.empty() ? std::string() : operands[0];
        result.exportFolder = exportFolder;
    }
    return result;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine result;
    bool optionsEnded = false;
    bool check = false;
    bool json = false;
    bool library = false;
    bool records = false;
    bool exporting = false;
    bool exportFolderNext = false;
    std::string exportFolder;
    std::vector<std::string> operands;
    for (const std::string& arg : args) {
        if (exportFolderNext) {
            exportFolderNext = false;
            exportFolder = arg;
        } else if (!optionsEnded && arg == "--") {
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
        } else if (!optionsEnded && arg == "--library") {
            library = true;
        } else if (!optionsEnded && arg == "--records") {
            records = true;
        } else if (!optionsEnded && arg == "--export") {
            exporting = true;
            exportFolderNext = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            result.action = CommandLine::Action::UsageError;
            result.error = "unrecognized option '" + arg + "'";
            return result;
        } else {
            operands.push_back(arg);
        }
    }
    if (exportFolderNext) {
        result.action = CommandLine::Action::UsageError;
        result.error = "--export needs a folder";
        return result;
    }
    if (records || exporting) {
        return RecordsCommandLine(records, check || json || library, operands, exporting, exportFolder);
    }
    if (library) {
        result.action = CommandLine::Action::UsageError;
        if (check || json) {
            result.error = "--library goes with no other option";
        } else if (!operands.empty()) {
            result.error = "--library takes no course folder";
        } else {
            result.action = CommandLine::Action::Library;
        }
        return result;
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
           "  or:  " +
           program +
           " --library\n"
           "  or:  " +
           program +
           " --records [PLACE] [--export FOLDER]\n"
           "Show the HTML course whose DORV.ini is in COURSE-FOLDER (by default the\n"
           "current working directory).\n"
           "With --check, show no window: read each course as the program would and\n"
           "report what keeps it from starting, references to files that will not be\n"
           "found, what this browser engine does not offer, and how each page is\n"
           "decoded. Nothing in the course is changed. Exit status 0 when every course\n"
           "starts and nothing was found that will not work, 1 otherwise.\n"
           "With --library, show the courses of this computer, of the folders that\n"
           "dorv/dorv.conf names and of the removable media inserted, and start them.\n"
           "With --records, show the class records of PLACE: who studied what, read from\n"
           "the learners' files in PLACE/PLENA. PLACE is a drive letter (F: or F) or a\n"
           "folder; without it, the user's documents folder (drive C:). With --export,\n"
           "show no window: write two CSV files for each course into FOLDER. Nothing in\n"
           "PLACE is changed. Exit status 0 when all was written, 1 otherwise.\n"
           "\n"
           "      --check    check the courses instead of showing one\n"
           "      --json     with --check: the report as one JSON document\n"
           "      --library  list the courses there are and start one\n"
           "      --records  show the class records of a place\n"
           "      --export FOLDER\n"
           "                 with --records: write the records as CSV files, no window\n"
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
