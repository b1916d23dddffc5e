// Simple stand-ins for the platform services, and a scratch folder.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <memory>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/CloseGate.h"
#include "app/FrameWindow.h"
#include "bridge/Page.h"
#include "common/MessageBox.h"
#include "common/Timers.h"
#include "learner/DriveList.h"
#include "learner/FileStore.h"

namespace dorv::test {

class FakeMessageBox : public IMessageBox {
public:
    void Show(const std::string& text) override {
        shown.push_back(text);
        // What runs while the box is open (the poll goes on).
        if (whileShown) whileShown();
    }
    std::vector<std::string> shown;
    std::function<void()> whileShown;
};

class FakeFrameWindow : public IFrameWindow {
public:
    void SetTitle(const std::string& title) override { titles.push_back(title); }
    void Destroy() override {
        ++destroyed;
        if (onDestroy) onDestroy();
    }
    std::vector<std::string> titles;
    std::function<void()> onDestroy;
    int destroyed = 0;
};

// A page whose functions are given by the test. A function that returns
// nothing stands for one that throws.
class FakePage : public IPage {
public:
    using Function = std::function<std::optional<std::string>(const std::vector<std::string>& args)>;
    struct Call {
        std::string name;
        std::vector<std::string> args;
        bool operator==(const Call&) const = default;
    };

    void Navigate(const std::string& uri) override { navigations.push_back(uri); }
    std::string CurrentUri() const override { return uri; }
    void Reload() override { ++reloads; }
    void RestartProcess() override { ++restarts; }
    bool CallFunction(const std::string& name, const std::vector<std::string>& args, std::string* result) override {
        calls.push_back({name, args});
        if (whileWaiting) whileWaiting();
        auto it = functions.find(name);
        if (it == functions.end()) return false;
        std::optional<std::string> answer = it->second(args);
        if (!answer) return false;
        if (result) *result = *answer;
        return true;
    }
    bool Poll(const std::string& name, std::string* result) override { return CallFunction(name, {}, result); }
    bool SetElementContent(const std::string& id, const std::string& html) override {
        writes.push_back({id, {html}});
        if (whileWaiting) whileWaiting();
        return elements.count(id) > 0;
    }
    void SetInputEnabled(bool enabled) override { inputEnabled = enabled; }
    bool IsInputEnabled() const override { return inputEnabled; }
    bool IsShowingDialog() const override { return showingDialog || printing; }
    bool IsPrinting() const override { return printing; }
    void EnableDeveloperTools() override { developerTools = true; }

    // Names of the functions called, in order.
    std::vector<std::string> CalledNames() const {
        std::vector<std::string> names;
        for (const Call& call : calls) names.push_back(call.name);
        return names;
    }

    std::map<std::string, Function> functions;
    // Runs while each call waits for its answer, as the main loop does.
    std::function<void()> whileWaiting;
    std::set<std::string> elements;
    std::vector<std::string> navigations;
    std::string uri;
    std::vector<Call> calls;
    std::vector<Call> writes;
    bool inputEnabled = true;
    bool showingDialog = false;
    bool printing = false;
    bool developerTools = false;
    int reloads = 0;
    int restarts = 0;
};

class FakeTimers : public ITimers {
public:
    void SetTimer(unsigned id, unsigned periodMs) override { running[id] = periodMs; }
    void KillTimer(unsigned id) override { running.erase(id); }
    void Post(std::function<void()> task) override { posted.push_back(std::move(task)); }
    // Runs the posted work, including work that it posts itself.
    void RunPosted() {
        while (!posted.empty()) {
            auto task = std::move(posted.front());
            posted.erase(posted.begin());
            task();
        }
    }
    std::map<unsigned, unsigned> running;
    std::vector<std::function<void()>> posted;
};

// The quit confirmation: answers from the test (OK when none is left).
class FakeQuitDialog : public IQuitDialog {
public:
    bool Confirm(const std::string& caption, const std::string& text) override {
        captions.push_back(caption);
        texts.push_back(text);
        if (whileOpen) whileOpen();
        if (answers.empty()) return true;
        bool answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    std::vector<bool> answers;
    std::vector<std::string> captions;
    std::vector<std::string> texts;
    std::function<void()> whileOpen;  // runs while the dialog is on screen
};

// A close gate that closes at once.
class OpenGate : public ICloseGate {
public:
    bool IsClosing() const override { return true; }
    void RequestClose() override {}
};

// A file system with nothing in it, where nothing can be made.
class NoFiles : public IFileStore {
public:
    Kind GetKind(const std::string&) const override { return Kind::None; }
    bool GetInfo(const std::string&, Info&, int& err) const override { return (err = ENOENT), false; }
    bool ListFolder(const std::string&, std::vector<std::string>&, int& err) override { return (err = ENOENT), false; }
    bool CreateFolder(const std::string&) override { return false; }
    std::unique_ptr<IOpenFile> Open(const std::string&, OpenMode, int& err) override {
        err = ENOENT;
        return nullptr;
    }
    bool CreateNew(const std::string&, const std::string&, int& err) override { return (err = EACCES), false; }
    bool WriteAtomically(const std::string&, const std::string&, int& err) override { return (err = EACCES), false; }
    bool Rename(const std::string&, const std::string&, int& err) override { return (err = ENOENT), false; }
    bool DeleteFile(const std::string&, int& err) override { return (err = ENOENT), false; }
    bool RemoveFolder(const std::string&, int& err) override { return (err = ENOENT), false; }
    bool TakeLock(const std::string&, const std::string&, unsigned, const TakeOverRule&, int& err) override {
        return (err = EACCES), false;
    }
    void ReleaseLock(const std::string&, const std::string&) override {}
    bool IsShared(const std::string&) override { return false; }
    const CopyId& Self() const override { return self; }
    bool IsRunningHere(long) const override { return true; }
    long long Now() const override { return 0; }
    CopyId self{"test", "00000000", 1};
};

// Drive letters given by the test.
class FakeDriveList : public IDriveList {
public:
    std::vector<DrivePlace> BuildList() override {
        ++builds;
        return places;
    }
    DrivePlace Find(char letter) override {
        for (const DrivePlace& place : places) {
            if (place.letter == letter) return place;
        }
        return {};
    }
    bool GetDocumentsFolder(std::string& folder) override {
        if (documents.empty()) return false;
        folder = documents;
        return true;
    }
    std::string TypeName(DriveType type) const override {
        return type == DriveType::Removable ? "Removable Disk"
               : type == DriveType::Fixed   ? "Local Disk"
                                            : "Network Drive";
    }
    std::vector<DrivePlace> places;
    std::string documents;
    int builds = 0;
};

// A fresh folder that is the working directory while the object lives.
class ScratchFolder {
public:
    ScratchFolder() : m_previous(std::filesystem::current_path()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "dorv-test-XXXXXX").string();
        m_path = mkdtemp(pattern.data());
        std::filesystem::current_path(m_path);
    }
    ~ScratchFolder() {
        std::filesystem::current_path(m_previous);
        std::error_code ignored;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::filesystem::path& Path() const { return m_path; }

    std::string Write(const std::string& name, const std::string& bytes) const {
        std::filesystem::path file = m_path / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
        return file.string();
    }

private:
    std::filesystem::path m_previous;
    std::filesystem::path m_path;
};

}  // namespace dorv::test
