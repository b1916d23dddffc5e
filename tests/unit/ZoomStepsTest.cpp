#include "app/ZoomSteps.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace dorv::zoom {
namespace {

TEST(ZoomSteps, KeysWalkTheStepsAndStopAtEitherEnd) {
    int percent = kNormal;
    std::vector<int> seen;
    for (int i = 0; i < 5; ++i) seen.push_back(percent = Apply(percent, Command::In));
    EXPECT_EQ(seen, (std::vector<int>{125, 150, 175, 200, 200}));
    seen.clear();
    for (int i = 0; i < 5; ++i) seen.push_back(percent = Apply(percent, Command::Out));
    EXPECT_EQ(seen, (std::vector<int>{175, 150, 125, 100, 100}));
    EXPECT_EQ(Apply(175, Command::Reset), 100);
    EXPECT_EQ(Apply(100, Command::Reset), 100);
}

TEST(ZoomSteps, SettingIsRoundedDownToAStepWithinTheRange) {
    struct Case {
        const char* value;
        int percent;
        bool noted;
    };
    for (const Case& c :
         {Case{"", 100, false}, Case{"100", 100, false}, Case{"125", 125, false}, Case{"200", 200, false},
          Case{"160", 150, true}, Case{"199", 175, true}, Case{"124.9", 100, true}, Case{"150%", 150, true},
          Case{"0150", 150, true}, Case{"99", 100, true}, Case{"0", 100, true}, Case{"250", 200, true},
          Case{"99999999999999999999", 200, true}, Case{"big", 100, true}, Case{"-150", 100, true},
          Case{"150 %", 100, true}, Case{"1.5", 100, true}, Case{"150.", 100, true}}) {
        std::string note = "stale";
        EXPECT_EQ(FromSetting(c.value, note), c.percent) << c.value;
        EXPECT_EQ(!note.empty(), c.noted) << c.value << ": " << note;
    }
    std::string note;
    FromSetting("160", note);
    EXPECT_EQ(note, "no step of 100 to 200, 150 % taken");
    FromSetting("big", note);
    EXPECT_EQ(note, "no percentage, 100 % taken");
}

}  // namespace
}  // namespace dorv::zoom
