#include "records/RecordsTexts.h"

#include <array>

#include "common/TextJoin.h"
#include "records/HistoryReader.h"

namespace dorv {
namespace {

// The columns of a record as the teacher reads them in Japanese; the file's
// own header names them in English.
constexpr std::array<const char*, kHistoryColumns> kJapaneseHistoryColumns = {
    "CD", "講", "ユニット", "ステップ", "パート", "セクション", "開始日", "開始時刻", "終了日", "終了時刻", "合計時間"};

}  // namespace

std::string WithoutMnemonic(const std::string& text) {
    std::string plain;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "(_") == 0 && i + 3 < text.size() && text[i + 3] == ')') {
            i += 3;
        } else if (text[i] == '_' && i + 1 < text.size() && text[i + 1] == '_') {
            plain += '_';
            ++i;
        } else if (text[i] != '_') {
            plain += text[i];
        }
    }
    return plain;
}

std::string CRecordsTexts::Title() const { return Pick("学習記録", "Class Records"); }

std::string CRecordsTexts::WindowTitle(const std::string& place) const { return Title() + " — " + place; }

std::string CRecordsTexts::CourseLabel() const { return Pick("コース(_O):", "C_ourse:"); }

std::string CRecordsTexts::ReloadLabel() const { return Pick("読み直す", "Read again"); }

std::string CRecordsTexts::ExportButton() const { return Pick("CSV に書き出す(_E)…", "_Export CSV…"); }

std::string CRecordsTexts::PrintButton() const { return Pick("印刷(_P)…", "_Print…"); }

std::string CRecordsTexts::Resolving(const std::string& place) const {
    return m_japanese ? place + " の場所を調べています…" : "Looking for " + place + "…";
}

std::string CRecordsTexts::Reading(const std::string& place) const {
    return m_japanese ? place + " を読んでいます…" : "Reading " + place + "…";
}

std::string CRecordsTexts::Progress(size_t done, size_t found) const {
    std::string counts = std::to_string(done) + " / " + std::to_string(found);
    return m_japanese ? "学習者 " + counts + " 人" : counts + " learners";
}

std::string CRecordsTexts::NotAnswering(const std::string& place) const {
    return m_japanese ? place + " が応答しません。" : place + " does not answer.";
}

std::string CRecordsTexts::Cancel() const { return Pick("キャンセル(_C)", "_Cancel"); }

std::string CRecordsTexts::Cancelled(const std::string& place) const {
    return m_japanese ? place + " の読み込みを取り消しました。「読み直す」でもう一度読みます。"
                      : "Reading " + place + " was cancelled. \"Read again\" reads it once more.";
}

std::string CRecordsTexts::PlaceProblem(const std::string& problem) const {
    return m_japanese ? "場所を読めません: " + problem : "The place cannot be read: " + problem;
}

std::string CRecordsTexts::NoCourses(const std::string& folder) const {
    return m_japanese ? folder + " に学習記録はありません (PLENA/<コース>/<学習者>/HISTORY.DAT)。"
                      : folder + " holds no class records (PLENA/<course>/<learner>/HISTORY.DAT).";
}

std::string CRecordsTexts::CourseProblem(const std::string& problem) const {
    return m_japanese ? "このコースのフォルダーを読めません: " + problem
                      : "The folder of this course cannot be read: " + problem;
}

std::string CRecordsTexts::ReadFailed(const std::string& what) const {
    return m_japanese ? "学習記録を読めませんでした: " + what : "The class records could not be read: " + what;
}

std::string CRecordsTexts::TableLabel(const std::string& course) const {
    return m_japanese ? course + " の学習者ごとの学習記録" : "Class table of " + course + ": one row for each learner";
}

std::string CRecordsTexts::ChartTab() const { return Pick("週ごとの学習時間(_W)", "Study time per _week"); }

std::string CRecordsTexts::ChartLabel() const {
    return Pick("週ごとの学習時間のグラフ", "Chart of study time per week");
}

std::string CRecordsTexts::DamageTab(size_t count) const {
    return (m_japanese ? "問題のあるファイル (" : "Damaged files (") + std::to_string(count) + ")";
}

std::string CRecordsTexts::DamageLabel() const { return Pick("問題のあるファイルの一覧", "List of damaged files"); }

std::vector<std::string> CRecordsTexts::DamageColumns() const {
    if (m_japanese) return {"学習者", "問題", "ファイル", "更新日時"};
    return {"learner", "problem", "file", "modified"};
}

std::string CRecordsTexts::UnreadableTab(long long count) const {
    return (m_japanese ? "読めない行と値 (" : "Unreadable lines and values (") + std::to_string(count) + ")";
}

std::string CRecordsTexts::UnreadableLabel() const {
    return Pick("読めない行と値の一覧", "List of unreadable lines and values");
}

std::vector<std::string> CRecordsTexts::UnreadableColumns() const {
    if (m_japanese) return {"学習者", "行", "列", "内容"};
    return {"learner", "line", "column", "text"};
}

std::string CRecordsTexts::UnreadableSummary(long long records, long long values, size_t kept) const {
    std::string counts =
        m_japanese ? "読めない行 " + std::to_string(records) + "、読めない値 " + std::to_string(values)
                   : std::to_string(records) + " unreadable lines, " + std::to_string(values) + " unreadable values";
    return counts + (m_japanese ? " (学習者ごとに各 " + std::to_string(kept) + " 件まで表示)"
                                : " (at most " + std::to_string(kept) + " of each kind shown for each learner)");
}

std::string CRecordsTexts::WholeLine() const { return Pick("行全体", "whole line"); }

std::string CRecordsTexts::HistoryColumn(const std::string& name) const {
    if (m_japanese) {
        for (size_t i = 0; i < kHistoryColumns; ++i) {
            if (name == kHistoryColumnNames[i]) return kJapaneseHistoryColumns[i];
        }
    }
    return name;
}

std::string CRecordsTexts::ClassSeries() const { return Pick("クラス全体", "Class"); }

std::string CRecordsTexts::HoursAxis() const { return Pick("時間", "hours"); }

std::string CRecordsTexts::NoStudyTime() const { return Pick("学習時間の記録はありません", "No study time recorded"); }

std::string CRecordsTexts::ExportTitle() const { return Pick("CSV の書き出し先のフォルダー", "Export CSV to Folder"); }

std::string CRecordsTexts::ExportAccept() const { return Pick("書き出す(_E)", "_Export"); }

std::string CRecordsTexts::Exporting(const std::string& course) const {
    return m_japanese ? course + " を書き出しています…" : "Exporting " + course + "…";
}

std::string CRecordsTexts::Exported(const std::vector<std::string>& files) const {
    return (m_japanese ? "書き出しました: " : "Written: ") + Joined(files, m_japanese ? "、" : ", ");
}

std::string CRecordsTexts::ExportFailed(const std::string& error) const {
    return (m_japanese ? "CSV を書き出せませんでした: " : "The CSV files could not be written: ") + error;
}

std::string CRecordsTexts::ReplaceTitle() const { return Pick("ファイルの置き換え", "Replace Files"); }

std::string CRecordsTexts::ReplaceQuestion(const std::vector<std::string>& names) const {
    std::string list = Joined(names, "\n");
    return m_japanese ? "次のファイルはすでにあります。置き換えますか?\n" + list
                      : "These files exist already. Replace them?\n" + list;
}

std::string CRecordsTexts::ReplaceButton() const { return Pick("置き換える", "Replace"); }

std::string CRecordsTexts::PrintFailed(const std::string& error) const {
    return (m_japanese ? "印刷できませんでした: " : "Printing failed: ") + error;
}

std::string CRecordsTexts::PrintHeading(const std::string& course, const std::string& place) const {
    return Title() + " — " + course + " (" + place + ")";
}

std::string CRecordsTexts::LearnerTitle(const std::string& learner) const {
    return m_japanese ? learner + " の学習記録" : "Records of " + learner;
}

std::string CRecordsTexts::LearnerTableLabel(const std::string& learner) const {
    return m_japanese ? learner + " の学習履歴 (1 行に 1 記録)" : "History of " + learner + ", one record a row";
}

std::vector<std::string> CRecordsTexts::LearnerColumns() const {
    std::vector<std::string> columns;
    columns.emplace_back(Pick("行", "line"));
    columns.emplace_back(Pick("注記", "note"));
    for (size_t i = 0; i < kHistoryColumns; ++i) {
        columns.emplace_back(m_japanese ? kJapaneseHistoryColumns[i] : kHistoryColumnNames[i]);
    }
    return columns;
}

std::string CRecordsTexts::UnreadableLineNote(size_t columns) const {
    return m_japanese ? "読めない行 (列 " + std::to_string(columns) + ")"
                      : "unreadable line (" + std::to_string(columns) + " columns)";
}

std::string CRecordsTexts::UnreadableValueNote(const std::string& column) const {
    return (m_japanese ? "読めない値: " : "unreadable value: ") + HistoryColumn(column);
}

std::string CRecordsTexts::LinesLeftOut(long long unreadable, size_t kept) const {
    return m_japanese ? "読めない行 " + std::to_string(unreadable) + " のうち最初の " + std::to_string(kept) +
                            " 行だけを表示しています。"
                      : "Only the first " + std::to_string(kept) + " of " + std::to_string(unreadable) +
                            " unreadable lines are shown.";
}

std::string CRecordsTexts::LearnerSummaryLine(size_t records, long long unreadable) const {
    return m_japanese ? "記録 " + std::to_string(records) + " 件、読めない行 " + std::to_string(unreadable)
                      : std::to_string(records) + " records, " + std::to_string(unreadable) + " unreadable lines";
}

}  // namespace dorv
