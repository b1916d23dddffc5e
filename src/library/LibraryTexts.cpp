#include "library/LibraryTexts.h"

#include "app/DorvApp.h"
#include "common/TextJoin.h"

namespace dorv {
namespace {}  // namespace

std::string CLibraryTexts::Title() const { return Pick("コースライブラリ", "Course Library"); }

std::string CLibraryTexts::SearchButton() const { return Pick("コースを名前で探す", "Search courses by name"); }

std::string CLibraryTexts::SearchPlaceholder() const { return Pick("コース名", "Course name"); }

std::string CLibraryTexts::StartButton(bool running) const {
    return running ? Pick("表示", "Show") : Pick("開始", "Start");
}

std::string CLibraryTexts::StartButtonLabel(const std::string& name, bool running) const {
    if (m_japanese) return "「" + name + (running ? "」を前面に表示" : "」を開始");
    return (running ? "Bring " + name + " to the front" : "Start " + name);
}

std::string CLibraryTexts::RecordsButton() const { return Pick("学習記録(_R)", "_Records"); }

std::string CLibraryTexts::RecordsButtonLabel() const { return Pick("クラスの学習記録", "Class records"); }

std::string CLibraryTexts::ListLabel() const { return Pick("コース", "Courses"); }

std::string CLibraryTexts::PlaceKindName(PlaceKind kind) const {
    switch (kind) {
        case PlaceKind::User:
            return Pick("ユーザーのコース", "Your courses");
        case PlaceKind::System:
            return Pick("このコンピューター", "This computer");
        case PlaceKind::Configured:
            return Pick("学校のコース", "School courses");
        case PlaceKind::Removable:
            return Pick("リムーバブルメディア", "Removable medium");
    }
    return {};
}

std::string CLibraryTexts::PlaceLine(const CourseEntry& entry) const {
    return PlaceKindName(entry.place.kind) + Pick("：", ": ") + entry.folder;
}

std::string CLibraryTexts::StatusLine(const CourseEntry& entry, bool running) const {
    if (running) return Pick("実行中", "Running");
    if (!entry.StartUpChecked()) return Pick("確認しています…", "Checking…");
    if (!entry.starts) {
        std::vector<std::string> why;
        if (entry.iniName != CDORVApp::kIniFileName) {
            why.push_back(m_japanese
                              ? "設定ファイルの名前が「" + entry.iniName + "」です。「DORV.ini」に変えてください。"
                              : "Its settings file is named \"" + entry.iniName + "\": rename it \"DORV.ini\".");
        }
        why.insert(why.end(), entry.why.begin(), entry.why.end());
        return Pick("開始できません：", "Will not start: ") + Joined(why, " ");
    }
    return FindingsNote(entry);
}

std::string CLibraryTexts::FindingsNote(const CourseEntry& entry) const {
    const CourseFindings& f = entry.findings;
    std::vector<std::string> parts;
    auto count = [&](size_t n, const char* japanese, const char* one, const char* many) {
        if (n == 0) return;
        parts.push_back(m_japanese ? std::string(japanese) + " " + std::to_string(n) + " 件"
                                   : std::to_string(n) + " " + (n == 1 ? one : many));
    };
    if (f.keepsNoData) parts.emplace_back(Pick("学習記録を保存できません", "keeps no learner's data"));
    count(f.broken, "見つからないファイルへの参照", "reference will not work", "references will not work");
    count(f.legacy, "このブラウザーにない機能の使用", "use of IE-only features", "uses of IE-only features");
    count(f.unreadable, "読めないファイル", "unreadable file", "unreadable files");
    count(f.garbled, "文字化けするページ", "page shows garbled text", "pages show garbled text");
    if (parts.empty()) return {};
    return Pick("注意：", "Note: ") + Joined(parts, Pick("、", ", "));
}

std::string CLibraryTexts::RowLabel(const CourseEntry& entry, bool running) const {
    std::string state;
    if (running) {
        state = Pick("実行中", "running");
    } else if (!entry.StartUpChecked()) {
        state = Pick("確認中", "being checked");
    } else if (!entry.starts) {
        state = Pick("開始できません", "will not start");
    } else {
        state = entry.hasProblems ? Pick("開始できます（注意あり）", "can be started, with notes")
                                  : Pick("開始できます", "can be started");
    }
    return entry.DisplayName() + Pick("、", ", ") + state;
}

std::string CLibraryTexts::SearchingText() const { return Pick("コースを探しています…", "Looking for courses…"); }

std::string CLibraryTexts::EmptyTitle() const { return Pick("コースが見つかりません", "No courses found"); }

std::string CLibraryTexts::EmptyText(const std::vector<CoursePlace>& places) const {
    std::string text = Pick("コースは、DORV.ini のあるフォルダーとして次の場所で探しています：",
                            "Courses, folders that hold a DORV.ini, are looked for in:");
    for (const CoursePlace& place : places) {
        if (place.kind != PlaceKind::Removable) text += "\n" + place.folder;
    }
    text += "\n";
    text += Pick("挿入されたリムーバブルメディア（メディアそのものと、その下 2 階層までのフォルダー）",
                 "removable media that are inserted: the medium itself and its folders up to two levels down");
    return text;
}

std::string CLibraryTexts::NoMatch(const std::string& query) const {
    if (m_japanese) return "「" + query + "」に一致するコースはありません";
    return "No course matches \"" + query + "\"";
}

std::string CLibraryTexts::StartFailedTitle() const {
    return Pick("コースを開始できません", "The course could not be started");
}

std::string CLibraryTexts::StartFailed(const std::string& name, const std::string& error) const {
    if (m_japanese) return "「" + name + "」を開始できませんでした。\n\n" + error;
    return "\"" + name + "\" could not be started.\n\n" + error;
}

}  // namespace dorv
