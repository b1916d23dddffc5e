// What saving the learner's data costs on a local disk: a replace of
// TASK.DAT and an append of a history record, each through the learner data
// as the page's host commands reach them, timed over many rounds in a
// folder of the disk given (default: a fresh folder below the current one).
// Every round's file is read back; a figure of saves that did not happen is
// never printed.
//   save_bench [FOLDER] [ROUNDS]
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "common/MessageBox.h"
#include "learner/DriveList.h"
#include "learner/LearnerData.h"
#include "learner/LearnerStore.h"
#include "learner/ScriptHost.h"
#include "platform/system/PosixFileStore.h"

namespace {

using Clock = std::chrono::steady_clock;

class Page : public dorv::IScriptHost {
public:
    bool CallScript(const std::string&, const std::string&) override { return true; }
    bool CallScriptForText(const std::string& function, int, std::string& result) override {
        result = answers[function];
        return true;
    }
    std::map<std::string, std::string> answers;
};

class OneDrive : public dorv::IDriveList {
public:
    explicit OneDrive(std::string root) : m_root(std::move(root)) {}
    std::vector<dorv::DrivePlace> BuildList() override { return {Find('F')}; }
    dorv::DrivePlace Find(char letter) override {
        if (letter != 'F') return {};
        return {'F', dorv::DriveType::Removable, m_root, true, false, true};
    }
    bool GetDocumentsFolder(std::string&) override { return false; }
    std::string TypeName(dorv::DriveType) const override { return "Removable Disk"; }

private:
    std::string m_root;
};

class CountedBox : public dorv::IMessageBox {
public:
    void Show(const std::string&) override { ++shown; }
    int shown = 0;
};

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "save_bench: %s: no figure\n", what.c_str());
    std::exit(1);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    std::string base = argc > 1 ? argv[1] : ".";
    int rounds = argc > 2 ? std::atoi(argv[2]) : 2000;
    std::string root = base + "/save-bench-" + std::to_string(getpid());
    if (mkdir(root.c_str(), 0777) != 0) Fail("cannot make " + root);

    dorv::PosixFileStore files;
    OneDrive drives(root);
    CountedBox box;
    Page page;
    dorv::CLearnerStore store(files, drives, box);
    std::string learnerFolder;
    dorv::CLearnerData data({page, files, drives, box}, store, learnerFolder);
    store.SetCourseFolderName("BENCH");
    page.answers = {{"GetPrefSize", "3"}, {"GetPrefData", "a,1"}};
    data.SelectDrive("F");
    data.CreateLearnerFolder("a");
    data.SelectLearner("a");
    const std::string task = learnerFolder + "TASK.DAT", history = learnerFolder + "HISTORY.DAT";

    std::vector<double> replaces, appends;
    std::string record = "E1,1,2,3,1,1,2026/04/01,09:00:00,2026/04/01,09:12:30,00:12:30\n";
    for (int i = 0; i < rounds; ++i) {
        std::string position = "step=" + std::to_string(i) + std::string(100, 'p');
        page.answers["GetPosData"] = position;
        Clock::time_point start = Clock::now();
        bool saved = data.SavePosition();
        replaces.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        if (!saved || ReadBytes(task) != position) Fail("TASK.DAT was not saved in round " + std::to_string(i));
        page.answers["GetLogData"] = record;
        start = Clock::now();
        data.SaveHistoryRecord();
        appends.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::string expected(dorv::CLearnerStore::kHistoryHeader, dorv::CLearnerStore::kHistoryHeaderSize);
    for (int i = 0; i < rounds; ++i) expected += record;
    if (ReadBytes(history) != expected) Fail("HISTORY.DAT does not hold every record");
    if (box.shown != 0) Fail("messages were shown");
    std::printf("%d rounds in %s\n", rounds, root.c_str());
    std::printf("replace of TASK.DAT:   median %.1f us\n", Median(replaces));
    std::printf("append to HISTORY.DAT: median %.1f us\n", Median(appends));
    std::string command = "rm -rf '" + root + "'";
    return std::system(command.c_str()) == 0 ? 0 : 1;
}
