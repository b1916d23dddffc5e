#include "check/CourseCheck.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>

#include "app/CommandLine.h"
#include "app/Config.h"
#include "app/DorvApp.h"
#include "app/IniFile.h"
#include "common/Location.h"
#include "common/MessageBox.h"
#include "course/CourseNames.h"
#include "course/CoursePages.h"
#include "learner/LearnerStore.h"

namespace dorv {
namespace {

// Takes what the program would show, and the cause it names on standard
// error, instead of showing or writing them, for as long as it lives.
class MessageRecorder : public IMessageBox {
public:
    MessageRecorder() {
        SetAppMessageMirror([this](const std::string&, const std::string& note) { m_note = note; });
    }
    ~MessageRecorder() override { SetAppMessageMirror({}); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    // Where the texts go from now on; nullptr: nowhere.
    void Into(std::vector<ShownMessage>* into) { m_into = into; }

    void Show(const std::string& text) override {
        if (m_into) m_into->push_back({text, m_note});
        m_note.clear();
    }

private:
    std::vector<ShownMessage>* m_into = nullptr;
    std::string m_note;
};

// Goes back to the working directory it was made in when it goes.
class WorkingDirectory {
public:
    WorkingDirectory() : m_fd(open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}
    ~WorkingDirectory() {
        if (m_fd >= 0) {
            if (fchdir(m_fd) != 0) std::perror("dorv: cannot go back to the working directory");
            close(m_fd);
        }
    }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

private:
    int m_fd;
};

bool IsWindowsPlace(const std::string& location) {
    bool drive = location.size() >= 2 && location[1] == ':' &&
                 ((location[0] >= 'A' && location[0] <= 'Z') || (location[0] >= 'a' && location[0] <= 'z'));
    return drive || location.rfind("\\\\", 0) == 0 || location.rfind("//", 0) == 0;
}

// How a usable location was found when it names no file as written: the
// program's own lookup again, for the flags it leaves out of its answer.
std::vector<std::string> HowFound(const std::string& written, const std::string& folder) {
    if (written.empty() || IsUrlLocation(written)) return {};
    if (IsWindowsPlace(written)) {
        return {written[1] == ':' ? std::string("drive letter ") + written.substr(0, 2) : "network path"};
    }
    std::string slashed = WithForwardSlashes(written);
    std::string lexical = NormalisePath(slashed.front() == '/' ? slashed : folder + "/" + slashed);
    NameMatch match;
    if (CheckReadableFile(lexical) == ENOENT) {
        CCourseNames names;
        if (!names.Resolve(lexical, match, slashed.front() == '/' ? std::string() : folder)) return {};
    }
    match.backslash = written.find('\\') != std::string::npos;
    return check::HowNamed(match);
}

void ReadConfiguration(const CheckServices& services, CourseCheckReport& report) {
    CConfig config(report.config.resolved, services.fetcher);
    std::string fileTitle;
    if (!config.GetValue("config", "file_title", fileTitle)) {
        report.configurationProblem = config.GetLastFailure() + ": the page's requests are never carried out";
        return;
    }
    report.configurationRead = true;
    report.configuration.emplace_back("file_title", fileTitle);
    for (const char* name : {"software", "courseware", "copyright"}) {
        std::string value;
        if (config.GetValue("config", name, value)) report.configuration.emplace_back(name, value);
    }
    std::optional<std::string> hostName = AsHostText(fileTitle);
    if (!hostName || !IsSafeFolderName(*hostName)) {
        report.configurationProblem =
            "file_title \"" + fileTitle + "\" is no folder name: no learner's data can be kept";
    }
}

void RunStartUpChecks(const CheckServices& services, MessageRecorder& messages, CDORVApp& app,
                      CourseCheckReport& report) {
    std::unique_ptr<ILocationPlaces> places = services.places ? services.places(app) : nullptr;
    app.SetLocationPlaces(places.get());
    messages.Into(&report.shown);
    report.starts = app.InitInstance();
    report.iniPath = app.m_strIniPath;
    report.folder = app.m_strCourseFolder;
    report.legacyScript = app.m_bLegacyScript;
    CIniFile ini = CIniFile::Load(app.m_strIniPath);
    report.config.written = ini.GetString("Document", "config");
    report.main.written = ini.GetString("Document", "main");
    report.config.checked = true;
    if (report.starts) {
        report.main.checked = true;
        report.config.resolved = app.m_strConfig;
        report.main.resolved = app.m_strMain;
    } else {
        // The program stops at the first failure: which one it was, and what
        // the main page would show once the configuration is mended.
        std::string config = report.config.written;
        messages.Into(nullptr);
        bool configUsable = app.ValidateLocation(config, "config");
        std::string main = report.main.written;
        std::vector<ShownMessage> next;
        messages.Into(&next);
        bool mainUsable = app.ValidateLocation(main, "main");
        // Without DORV.ini both fail alike: nothing new to show.
        bool same = next.size() == report.shown.size() &&
                    std::equal(next.begin(), next.end(), report.shown.begin(),
                               [](const auto& a, const auto& b) { return a.text == b.text && a.note == b.note; });
        if (!configUsable && !same) report.next = std::move(next);
        report.main.checked = configUsable;
        if (configUsable) report.config.resolved = config;
        if (mainUsable) report.main.resolved = main;
    }
    messages.Into(nullptr);
    app.ExitInstance();
    app.SetLocationPlaces(nullptr);
    for (CheckedLocation* location : {&report.config, &report.main}) {
        if (!location->resolved.empty()) location->how = HowFound(location->written, report.folder);
    }
}

}  // namespace

bool CourseCheckReport::HasProblems() const {
    return !starts || !configurationProblem.empty() || !broken.empty() || !legacy.empty() || !unreadable.empty() ||
           std::any_of(decodings.begin(), decodings.end(), [](const PageDecoding& d) { return !d.problem.empty(); });
}

std::string CourseCheckReport::Summary() const {
    std::string name = given;
    while (name.size() > 1 && name.back() == '/') name.pop_back();
    size_t slash = name.rfind('/');
    if (slash != std::string::npos && slash + 1 < name.size()) name = name.substr(slash + 1);
    std::string line = "course " + check::ShownName(name) + ": ";
    if (!starts) return line + "will not start";
    line += "starts";
    auto count = [](size_t n, const char* one, const char* many) {
        return std::to_string(n) + " " + (n == 1 ? one : many);
    };
    size_t garbled = static_cast<size_t>(
        std::count_if(decodings.begin(), decodings.end(), [](const PageDecoding& d) { return !d.problem.empty(); }));
    std::vector<std::string> failing;
    if (!broken.empty()) failing.push_back(count(broken.size(), "reference", "references"));
    if (!legacy.empty()) failing.push_back(count(legacy.size(), "use", "uses") + " of IE-only features");
    if (!unreadable.empty()) failing.push_back(count(unreadable.size(), "unreadable file", "unreadable files"));
    std::vector<std::string> parts;
    if (!configurationProblem.empty()) parts.emplace_back("the course configuration keeps no learner's data");
    if (!failing.empty()) {
        std::string joined;
        for (size_t i = 0; i < failing.size(); ++i) {
            joined += (i == 0 ? "" : i + 1 == failing.size() ? " and " : ", ") + failing[i];
        }
        parts.push_back(joined + " will not work");
    }
    if (garbled) parts.push_back(count(garbled, "page shows", "pages show") + " garbled text");
    if (!HasProblems()) parts.emplace_back("nothing found that will not work");
    if (!windowsNames.empty()) {
        parts.push_back(count(windowsNames.size(), "reference works", "references work") + " only as Windows names");
    }
    if (!pagesNotRead.empty()) parts.push_back("pages not read: " + pagesNotRead);
    for (size_t i = 0; i < parts.size(); ++i) line += (i == 0 ? "; " : ", ") + parts[i];
    return line;
}

CourseCheckReport CheckCourseStartUp(const std::string& folder, const CheckServices& services) {
    CourseCheckReport report;
    report.given = folder;
    WorkingDirectory back;
    std::string error;
    if (!EnterCourseFolder(folder, error)) {
        report.folderProblem = error;
        report.pagesNotRead = "the course folder cannot be entered";
        return report;
    }
    MessageRecorder messages;
    CDORVApp app(messages);
    RunStartUpChecks(services, messages, app, report);
    if (!report.config.resolved.empty()) ReadConfiguration(services, report);
    if (report.main.resolved.empty()) {
        report.pagesNotRead = "no usable main page";
    } else if (IsUrlLocation(report.main.resolved)) {
        report.pagesNotRead = "the main page is on a server";
    }
    return report;
}

void CheckCourseFiles(CourseCheckReport& report) {
    if (!report.pagesNotRead.empty() || report.main.resolved.empty()) return;
    CCoursePages pages(report.main.resolved, report.folder);
    report.roots = pages.Roots();
    check::CheckCourseFiles(pages, report);
}

CourseCheckReport CheckCourse(const std::string& folder, const CheckServices& services) {
    CourseCheckReport report = CheckCourseStartUp(folder, services);
    CheckCourseFiles(report);
    return report;
}

}  // namespace dorv
