// The learner data against real files in a scratch folder: drive C is the
// user's home, drive F a stick; the page's functions are what the test gives.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "Fakes.h"
#include "ScriptPage.h"
#include "learner/LearnerData.h"
#include "learner/LearnerStore.h"
#include "platform/system/PosixFileStore.h"

namespace dorv::test {

namespace fs = std::filesystem;

inline const std::string kHeader(CLearnerStore::kHistoryHeader, CLearnerStore::kHistoryHeaderSize);

class LearnerDataTest : public ::testing::Test {
protected:
    LearnerDataTest() {
        fs::create_directories(Root() / "home/Documents");
        fs::create_directories(Root() / "stick");
        drives.places = {{'C', DriveType::Fixed, Root() / "home", true, true},
                         {'F', DriveType::Removable, Root() / "stick", true, false}};
        drives.documents = Root() / "home/Documents";
        store.SetCourseFolderName("ENG");
    }
    fs::path Root() const { return folder.Path(); }
    fs::path Stick() const { return Root() / "stick/PLENA/ENG"; }
    // Drive F, learner `name` created and selected.
    void SelectOnStick(const std::string& name) {
        data.SelectDrive("F");
        page.answers["GetPrefSize"] = "3";
        page.answers["GetPrefData"] = "p,1";
        data.CreateLearnerFolder(name);
        data.SelectLearner(name);
        page.calls.clear();
    }

    test::ScratchFolder folder;
    PosixFileStore files;
    test::FakeDriveList drives;
    test::FakeMessageBox box;
    test::ScriptPage page;
    CLearnerStore store{files, drives, box};
    std::string learnerFolder;
    CLearnerData data{{page, files, drives, box}, store, learnerFolder};
};

}  // namespace dorv::test
