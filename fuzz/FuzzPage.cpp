// Fuzz targets for what a page or a file hands the program: the answer of
// GetState dispatched by the view, the history file's start, and the
// course configuration file.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "Fakes.h"
#include "ViewRig.h"
#include "app/Config.h"
#include "learner/LearnerStore.h"

using namespace dorv;

namespace {

#if FUZZ_TARGET == 6
// One file in memory: the history file, whose start is the input.
class MemoryFiles : public test::NoFiles {
public:
    class File : public IOpenFile {
    public:
        explicit File(std::string& bytes) : m_bytes(bytes) {}
        bool GetLength(std::uint64_t& length, int&) override {
            length = m_bytes.size();
            return true;
        }
        bool ReadAt(std::uint64_t offset, std::size_t count, std::string& bytes, int&) override {
            bytes = offset < m_bytes.size() ? m_bytes.substr(offset, count) : "";
            return true;
        }
        bool Append(const std::string& bytes, int&) override {
            m_bytes += bytes;
            return true;
        }

    private:
        std::string& m_bytes;
    };
    Kind GetKind(const std::string& path) const override { return files.count(path) ? Kind::File : Kind::Folder; }
    bool CreateFolder(const std::string&) override { return true; }
    std::unique_ptr<IOpenFile> Open(const std::string& path, OpenMode, int& err) override {
        if (!files.count(path)) return (err = ENOENT), nullptr;
        return std::make_unique<File>(files[path]);
    }
    bool CreateNew(const std::string& path, const std::string& bytes, int& err) override {
        if (files.count(path)) return (err = EEXIST), false;
        files[path] = bytes;
        return true;
    }
    bool WriteAtomically(const std::string& path, const std::string& bytes, int&) override {
        files[path] = bytes;
        return true;
    }
    bool Rename(const std::string& from, const std::string& to, int& err) override {
        if (files.count(to)) return (err = EEXIST), false;
        files[to] = files[from];
        files.erase(from);
        return true;
    }
    bool DeleteFile(const std::string& path, int&) override { return files.erase(path) > 0; }
    bool RemoveFolder(const std::string&, int&) override { return true; }
    std::map<std::string, std::string> files;
};
#endif

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
#if FUZZ_TARGET == 5  // GetState's answer, parsed and dispatched
    static char folder[] = "/tmp/dorv-fuzz-XXXXXX";
    static bool made = mkdtemp(folder) != nullptr;
    (void)made;
    test::ViewRig rig;
    rig.app.m_strConfig = std::string(folder) + "/course.xml";
    if (FILE* f = std::fopen(rig.app.m_strConfig.c_str(), "w")) {
        std::fputs("<config file_title=\"T\" courseware=\"C Ver 1\"/>", f);
        std::fclose(f);
    }
    rig.page.elements.insert("isApp");
    rig.page.functions["GetState"] = [&](const std::vector<std::string>&) { return std::optional<std::string>(input); };
    for (const char* name : {"GetPrefSize", "GetPrefData", "GetPosData", "GetScoreData", "GetLogData"}) {
        rig.page.functions[name] = [&](const std::vector<std::string>&) { return std::optional<std::string>(input); };
    }
    rig.view.OnDocumentComplete();
    rig.view.OnTimer(CDORVView::kPollTimer);
    rig.timers.RunPosted();
#elif FUZZ_TARGET == 6  // the history file's start, and a record appended
    MemoryFiles files;
    test::FakeDriveList drives;
    test::FakeMessageBox box;
    drives.places = {{'F', DriveType::Removable, "/stick", true, false, false}};
    CLearnerStore store(files, drives, box);
    store.SetCourseFolderName("T");
    store.SetDrive("F:");
    store.SetHistoryLearner("a");
    files.files[store.GetHistoryFilePath()] = input;
    store.AppendHistoryRecord(input);
    const std::string& after = files.files[store.GetHistoryFilePath()];
    if (after.compare(0, CLearnerStore::kHistoryHeaderSize, CLearnerStore::kHistoryHeader) != 0) __builtin_trap();
#elif FUZZ_TARGET == 7  // the course configuration file
    static char path[] = "/tmp/dorv-fuzz-config-XXXXXX.xml";
    static int fd = mkstemps(path, 4);
    if (fd < 0) return 0;
    if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) return 0;
    CConfig config(path, nullptr);
    std::string value;
    for (const char* attribute : {"file_title", "software", "courseware", "copyright"}) {
        config.GetValue("config", attribute, value);
    }
#endif
    return 0;
}
