#include "library/CourseList.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "common/Tokens.h"

namespace dorv {
namespace {

// `text` without white space, ideographic spaces among it, at either end.
std::string TrimmedText(std::string_view text) {
    constexpr std::string_view kIdeographicSpace = "\u3000";
    std::string trimmed = TrimWhiteSpace(text);
    for (bool changed = true; changed;) {
        changed = false;
        if (trimmed.starts_with(kIdeographicSpace)) {
            trimmed = TrimWhiteSpace(std::string_view(trimmed).substr(kIdeographicSpace.size()));
            changed = true;
        }
        if (trimmed.ends_with(kIdeographicSpace)) {
            trimmed = TrimWhiteSpace(std::string_view(trimmed).substr(0, trimmed.size() - kIdeographicSpace.size()));
            changed = true;
        }
    }
    return trimmed;
}

std::string ConfigurationValue(const CourseCheckReport& report, std::string_view attribute) {
    for (const auto& [name, value] : report.configuration) {
        if (name == attribute) return TrimWhiteSpace(value);
    }
    return {};
}

}  // namespace

std::string CourseEntry::DisplayName() const {
    if (!name.empty()) return name;
    size_t slash = folder.rfind('/');
    return slash == std::string::npos || slash + 1 == folder.size() ? folder : folder.substr(slash + 1);
}

std::vector<std::string> CCourseList::SetFound(const std::vector<FoundCourse>& found) {
    std::vector<CourseEntry> entries;
    std::vector<std::string> fresh;
    entries.reserve(found.size());
    for (const FoundCourse& course : found) {
        CourseEntry* known = FindEntry(course.folder);
        if (known && known->iniName == course.iniName) {
            entries.push_back(std::move(*known));
            entries.back().place = course.place;
            continue;
        }
        CourseEntry entry;
        entry.folder = course.folder;
        entry.place = course.place;
        entry.iniName = course.iniName;
        entries.push_back(std::move(entry));
        fresh.push_back(course.folder);
    }
    m_entries = std::move(entries);
    return fresh;
}

const CourseEntry* CCourseList::Find(const std::string& folder) const {
    auto it =
        std::find_if(m_entries.begin(), m_entries.end(), [&](const CourseEntry& e) { return e.folder == folder; });
    return it == m_entries.end() ? nullptr : &*it;
}

CourseEntry* CCourseList::FindEntry(const std::string& folder) {
    return const_cast<CourseEntry*>(std::as_const(*this).Find(folder));
}

bool CCourseList::ApplyStartUp(const CourseCheckReport& report) {
    CourseEntry* entry = FindEntry(report.given);
    if (!entry) return false;
    entry->stage = CourseEntry::Stage::StartUpChecked;
    entry->name = ConfigurationValue(report, "courseware");
    entry->copyright = ConfigurationValue(report, "copyright");
    entry->fileTitle = ConfigurationValue(report, "file_title");
    entry->starts = report.starts;
    entry->why.clear();
    entry->notes.clear();
    if (!report.folderProblem.empty()) entry->why.push_back(report.folderProblem);
    for (const ShownMessage& shown : report.shown) {
        entry->why.push_back(TrimmedText(shown.text));
        if (!shown.note.empty()) entry->notes.push_back(shown.note);
    }
    entry->findings = {};
    entry->findings.keepsNoData = !report.configurationProblem.empty();
    entry->findings.pagesNotRead = report.pagesNotRead;
    entry->hasProblems = report.HasProblems();
    return true;
}

bool CCourseList::ApplyFiles(const CourseCheckReport& report) {
    CourseEntry* entry = FindEntry(report.given);
    if (!entry) return false;
    entry->stage = CourseEntry::Stage::FilesChecked;
    entry->hasProblems = report.HasProblems();
    entry->summary = report.Summary();
    entry->counts = report.counts;
    CourseFindings& findings = entry->findings;
    findings.broken = report.broken.size();
    findings.legacy = report.legacy.size();
    findings.unreadable = report.unreadable.size();
    findings.garbled = static_cast<size_t>(std::count_if(report.decodings.begin(), report.decodings.end(),
                                                         [](const PageDecoding& d) { return !d.problem.empty(); }));
    findings.windowsNames = report.windowsNames.size();
    findings.keepsNoData = !report.configurationProblem.empty();
    findings.pagesNotRead = report.pagesNotRead;
    return true;
}

}  // namespace dorv
