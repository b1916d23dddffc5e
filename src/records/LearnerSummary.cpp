// One learner's summary: the history read in one pass, the data files'
// times, and what is wrong in the learner folder.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>

#include "common/TextEncoding.h"
#include "learner/LearnerData.h"
#include "learner/LearnerStore.h"
#include "records/ClassRecords.h"

namespace dorv {
namespace {

constexpr const char* kSetAsidePrefix = "HISTORY.DAT-";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsNumber(std::string_view text) { return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit); }

// Two runs of digits by their value: <0, 0 or >0.
int CompareNumbers(std::string_view a, std::string_view b) {
    while (a.size() > 1 && a.front() == '0') a.remove_prefix(1);
    while (b.size() > 1 && b.front() == '0') b.remove_prefix(1);
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

std::string KeptText(std::string_view bytes) {
    std::string text = HostTextToUtf8(bytes.substr(0, kKeptLineBytes));
    text.resize(TruncateUtf8(text, kKeptLineBytes).size());
    return text;
}

void Keep(std::vector<UnreadableLine>& kept, const HistoryLine& line, const char* column) {
    if (kept.size() < kKeptUnreadableLines) kept.push_back({line.number, KeptText(line.text), column});
}

std::optional<std::time_t> ModifiedTime(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    return info.st_mtim.tv_sec;
}

// "HISTORY.DAT-<seconds>", the seconds a signed decimal number.
bool IsSetAsideHistory(std::string_view name) {
    if (!name.starts_with(kSetAsidePrefix)) return false;
    name.remove_prefix(std::strlen(kSetAsidePrefix));
    if (name.starts_with('-')) name.remove_prefix(1);
    return IsNumber(name);
}

bool IsLeftover(std::string_view name) { return name.ends_with(".new") || name.ends_with(".old"); }

// Adds up a learner's records as they are read.
class CLearnerTally {
public:
    explicit CLearnerTally(LearnerSummary& summary) : m_summary(summary) {}

    void Add(const HistoryLine& line) {
        if (!line.record) {
            ++m_summary.unreadableRecords;
            Keep(m_summary.unreadableRecordLines, line, "");
            return;
        }
        ++m_summary.sessions;
        std::optional<long long> seconds = ParseDuration(line.columns[kTotalTimeColumn]);
        if (seconds) {
            m_summary.totalSeconds += *seconds;
        } else {
            ++m_summary.unreadableValues;
            Keep(m_summary.unreadableValueLines, line, kHistoryColumnNames[kTotalTimeColumn]);
        }
        std::optional<CivilDay> day = ParseDay(line.columns[kStartDateColumn]);
        if (day) {
            if (!m_summary.firstDay || *day < *m_summary.firstDay) m_summary.firstDay = day;
            if (!m_summary.lastDay || *day > *m_summary.lastDay) m_summary.lastDay = day;
            if (seconds) AddToWeek(WeekOf(*day), *seconds);
        } else {
            ++m_summary.unreadableValues;
            Keep(m_summary.unreadableValueLines, line, kHistoryColumnNames[kStartDateColumn]);
        }
        AddUnit(line.columns[1], line.columns[2]);
    }

    // The lectures as the summary shows them.
    void Finish() {
        m_summary.lectures.clear();
        for (const std::string& lecture : m_lectures) m_summary.lectures.push_back(HostTextToUtf8(lecture));
        std::sort(m_summary.lectures.begin(), m_summary.lectures.end(), LectureLess);
        m_summary.lectures.erase(std::unique(m_summary.lectures.begin(), m_summary.lectures.end()),
                                 m_summary.lectures.end());
        m_summary.units = m_units.size();
    }

private:
    // Records come in runs of one week and one unit: the last ones are kept
    // at hand.
    void AddToWeek(CivilDay week, long long seconds) {
        if (m_week == m_summary.weekly.end() || m_week->first != week) {
            m_week = m_summary.weekly.try_emplace(week, 0).first;
        }
        m_week->second += seconds;
    }

    void AddUnit(std::string_view lecture, std::string_view unit) {
        if (m_haveUnit && lecture == m_lastLecture && unit == m_lastUnit) return;
        m_haveUnit = true;
        m_lastLecture.assign(lecture);
        m_lastUnit.assign(unit);
        if (m_lectures.find(lecture) == m_lectures.end()) m_lectures.emplace(lecture);
        // A column holds no comma, so the pair is one text.
        m_key.assign(lecture).append(1, ',').append(unit);
        if (m_units.find(m_key) == m_units.end()) m_units.insert(m_key);
    }

    LearnerSummary& m_summary;
    std::map<CivilDay, long long>::iterator m_week = m_summary.weekly.end();
    std::set<std::string, std::less<>> m_lectures;
    std::set<std::string, std::less<>> m_units;
    std::string m_lastLecture;
    std::string m_lastUnit;
    std::string m_key;
    bool m_haveUnit = false;
};

DamagedThing Damage(const LearnerSummary& summary, DamageKind kind, const std::string& name) {
    DamagedThing thing;
    thing.learner = summary.name;
    thing.kind = kind;
    thing.file = ShownName(name);
    thing.path = summary.folder + name;
    return thing;
}

// The set-aside histories and leftovers of interrupted saves in the folder,
// in the order of their names. Lock files belong to copies that are running
// and are no damage.
void FindDamage(LearnerSummary& summary) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(summary.folder.c_str()), closedir);
    if (!dir) {
        DamagedThing thing = Damage(summary, DamageKind::UnlistedFolder, "");
        thing.path = summary.folder;
        thing.detail = std::strerror(errno);
        summary.damage.push_back(std::move(thing));
        return;
    }
    std::vector<DamagedThing> found;
    while (const dirent* entry = readdir(dir.get())) {
        std::string_view name = entry->d_name;
        DamageKind kind;
        if (IsSetAsideHistory(name)) {
            kind = DamageKind::SetAsideHistory;
        } else if (IsLeftover(name)) {
            kind = DamageKind::Leftover;
        } else {
            continue;
        }
        DamagedThing thing = Damage(summary, kind, std::string(name));
        struct stat info {};
        if (stat(thing.path.c_str(), &info) == 0) thing.modified = info.st_mtim.tv_sec;
        found.push_back(std::move(thing));
    }
    std::sort(found.begin(), found.end(), [](const DamagedThing& a, const DamagedThing& b) { return a.path < b.path; });
    for (DamagedThing& thing : found) summary.damage.push_back(std::move(thing));
}

}  // namespace

std::string ShownName(std::string_view bytes) {
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return std::string(bytes);
    }
    if (std::optional<std::string> text = Cp932ToUtf8(bytes)) return *text;
    if (IsValidUtf8(bytes)) return std::string(bytes);
    return HostTextToUtf8(bytes);
}

bool LectureLess(const std::string& a, const std::string& b) {
    bool numberA = IsNumber(a);
    bool numberB = IsNumber(b);
    if (numberA != numberB) return numberA;
    if (numberA) {
        int order = CompareNumbers(a, b);
        if (order != 0) return order < 0;
    }
    return a < b;
}

bool NameLess(const std::string& a, const std::string& b) {
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            size_t endA = i;
            size_t endB = j;
            while (endA < a.size() && IsDigit(a[endA])) ++endA;
            while (endB < b.size() && IsDigit(b[endB])) ++endB;
            int order =
                CompareNumbers(std::string_view(a).substr(i, endA - i), std::string_view(b).substr(j, endB - j));
            if (order != 0) return order < 0;
            i = endA;
            j = endB;
        } else {
            if (a[i] != b[j]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
            ++i;
            ++j;
        }
    }
    if (i < a.size() || j < b.size()) return j < b.size();
    return a < b;
}

std::string DamageText(DamageKind kind, bool japanese) {
    switch (kind) {
        case DamageKind::SetAsideHistory:
            return japanese ? "退避された不正な学習履歴" : "invalid history set aside";
        case DamageKind::Leftover:
            return japanese ? "中断された保存の一時ファイル" : "temporary file of an interrupted save";
        case DamageKind::NoHistory:
            return japanese ? "学習履歴なし" : "no history";
        case DamageKind::WrongHeader:
            return japanese ? "学習履歴の見出しが不正" : "wrong history header";
        case DamageKind::UnreadableHistory:
            return japanese ? "学習履歴を読めない" : "history cannot be read";
        case DamageKind::UnlistedFolder:
            return japanese ? "学習者フォルダーを読めない" : "learner folder cannot be listed";
    }
    return {};
}

LearnerSummary SummariseLearner(const std::string& folder, const std::atomic<bool>* cancel) {
    LearnerSummary summary;
    summary.folder = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    std::string_view trimmed = std::string_view(summary.folder).substr(0, summary.folder.size() - 1);
    summary.folderName = std::string(trimmed.substr(trimmed.rfind('/') + 1));
    summary.name = ShownName(summary.folderName);

    CLearnerTally tally(summary);
    HistoryReadResult read = ReadHistory(
        summary.folder + CLearnerStore::kHistoryFileName, [&tally](const HistoryLine& line) { tally.Add(line); },
        cancel);
    tally.Finish();
    summary.history = read.state;
    summary.historyError = read.error;
    summary.positionSaved = ModifiedTime(summary.folder + CLearnerData::kPositionFile);
    summary.scoresSaved = ModifiedTime(summary.folder + CLearnerData::kScoreFile);

    std::string history = CLearnerStore::kHistoryFileName;
    if (read.state == HistoryState::Missing) {
        summary.damage.push_back(Damage(summary, DamageKind::NoHistory, history));
    } else if (read.state == HistoryState::WrongHeader) {
        summary.damage.push_back(Damage(summary, DamageKind::WrongHeader, history));
        summary.damage.back().modified = ModifiedTime(summary.damage.back().path);
    } else if (read.state == HistoryState::Unreadable) {
        summary.damage.push_back(Damage(summary, DamageKind::UnreadableHistory, history));
        summary.damage.back().detail = read.error;
    }
    FindDamage(summary);
    return summary;
}

LearnerHistory ReadLearnerHistory(const std::string& learnerFolder) {
    LearnerHistory history;
    std::string folder = learnerFolder.empty() || learnerFolder.back() == '/' ? learnerFolder : learnerFolder + "/";
    HistoryReadResult read = ReadHistory(folder + CLearnerStore::kHistoryFileName, [&history](const HistoryLine& line) {
        if (!line.record) {
            ++history.unreadableRecords;
            Keep(history.unreadableLines, line, "");
            return;
        }
        HistoryRecord& record = history.records.emplace_back();
        record.line = line.number;
        for (size_t i = 0; i < kHistoryColumns; ++i) record.columns[i] = HostTextToUtf8(line.columns[i]);
    });
    history.state = read.state;
    history.error = read.error;
    return history;
}

}  // namespace dorv
