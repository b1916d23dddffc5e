// The learning history: its header, records back to back, invalid files set
// aside, and the notice that acts on the learner it was opened for.
#include <gtest/gtest.h>

#include <fstream>

#include "LearnerDataRig.h"

namespace dorv {
namespace {

using test::kHeader;
using test::LearnerDataTest;
using test::ReadBytes;
namespace fs = std::filesystem;

TEST_F(LearnerDataTest, HistoryFileGetsItsHeaderAndRecordsBackToBack) {
    SelectOnStick("taro");
    page.answers["GetLogData"] = "";
    EXPECT_FALSE(data.SaveHistoryRecord());
    EXPECT_FALSE(fs::exists(Stick() / "taro/HISTORY.DAT"));
    page.answers["GetLogData"] = "DEMO,1,日本";
    EXPECT_TRUE(data.SaveHistoryRecord());
    page.answers["GetLogData"] = "x\n";
    EXPECT_TRUE(data.SaveHistoryRecord());
    EXPECT_EQ(kHeader.size(), 85u);
    EXPECT_EQ(ReadBytes(Stick() / "taro/HISTORY.DAT"), kHeader + "DEMO,1,\x93\xfa\x96{x\n");
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(LearnerDataTest, InvalidHistoryFilesAreSetAside) {
    SelectOnStick("taro");
    const fs::path history = Stick() / "taro/HISTORY.DAT";
    page.answers["GetLogData"] = "r";
    static long long now = 0;
    store.SetClock([] { return now; });
    struct Case {
        std::string content;
        long long seconds;
        std::string setAside;
    };
    std::string crlf = kHeader;
    crlf.insert(crlf.size() - 1, "\r");
    for (const Case& c : std::vector<Case>{
             {kHeader.substr(0, 84), 1262304000, "HISTORY.DAT-1262304000"},
             {crlf, 2147483648LL + 5, "HISTORY.DAT--2147483643"},
             {"cd" + kHeader.substr(2), 4294967296LL + 7, "HISTORY.DAT-7"},
         }) {
        std::ofstream(history, std::ios::binary) << c.content;
        now = c.seconds;
        box.shown.clear();
        EXPECT_TRUE(data.SaveHistoryRecord());
        EXPECT_EQ(box.shown,
                  std::vector<std::string>{"Error: ログファイルの内容が不正です。\n\n新規に学習履歴を作ります。"});
        EXPECT_EQ(ReadBytes(Stick() / "taro" / c.setAside), c.content);
        EXPECT_EQ(ReadBytes(history), kHeader + "r");
    }
    // Set aside twice in one second: the second rename fails, the record is
    // dropped and the invalid file stays.
    std::ofstream(history, std::ios::binary) << "bad";
    box.shown.clear();
    EXPECT_TRUE(data.SaveHistoryRecord());
    ASSERT_EQ(box.shown.size(), 2u);
    EXPECT_EQ(box.shown[1], "Access to " + history.string() + " was denied.");
    EXPECT_EQ(ReadBytes(history), "bad");

    // An empty file gets its header silently.
    std::ofstream(history, std::ios::binary).close();
    box.shown.clear();
    EXPECT_TRUE(data.SaveHistoryRecord());
    EXPECT_EQ(ReadBytes(history), kHeader + "r");
    EXPECT_TRUE(box.shown.empty());
}

// The notice of an invalid history stays open while the page polls on; a
// command that selects another learner meanwhile changes nothing of what the
// notice's append works on.
TEST_F(LearnerDataTest, TheInvalidHistoryNoticeActsOnItsOwnLearner) {
    SelectOnStick("削除");
    page.answers["GetLogData"] = "del\n";
    ASSERT_TRUE(data.SaveHistoryRecord());
    SelectOnStick("三郎");
    const fs::path saburo = Stick() / "三郎", other = Stick() / "削除";
    std::ofstream(saburo / "HISTORY.DAT", std::ios::binary) << "broken";
    static long long now = 1262304000;
    store.SetClock([] { return now; });
    box.whileShown = [&] {
        box.whileShown = nullptr;
        data.SelectLearner("削除");
    };
    page.answers["GetLogData"] = "saburo\n";
    EXPECT_TRUE(data.SaveHistoryRecord());
    EXPECT_EQ(box.shown,
              std::vector<std::string>{"Error: ログファイルの内容が不正です。\n\n新規に学習履歴を作ります。"});
    EXPECT_EQ(ReadBytes(saburo / "HISTORY.DAT-1262304000"), "broken");
    EXPECT_EQ(ReadBytes(saburo / "HISTORY.DAT"), kHeader + "saburo\n");
    EXPECT_EQ(ReadBytes(other / "HISTORY.DAT"), kHeader + "del\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(other), fs::directory_iterator()), 1);
    // The learner the page chose meanwhile is the one of the next record.
    page.answers["GetLogData"] = "next\n";
    EXPECT_TRUE(data.SaveHistoryRecord());
    EXPECT_EQ(ReadBytes(other / "HISTORY.DAT"), kHeader + "del\nnext\n");
}

TEST_F(LearnerDataTest, HistoryWithoutALearnerOrItsFolder) {
    page.answers["GetLogData"] = "r";
    EXPECT_TRUE(data.SaveHistoryRecord());  // before "User:": dropped, nothing shown
    EXPECT_TRUE(box.shown.empty());
    data.SelectDrive("F");
    data.SelectLearner("nobody");
    EXPECT_TRUE(data.SaveHistoryRecord());
    EXPECT_EQ(box.shown, (std::vector<std::string>{"Error: No such file or directory\nログファイルを開けませんでした。",
                                                   "学習履歴は保存されません。"}));
}

}  // namespace
}  // namespace dorv
