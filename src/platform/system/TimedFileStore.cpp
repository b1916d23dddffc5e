#include "platform/system/TimedFileStore.h"

#include <glib.h>

#include <atomic>
#include <cerrno>
#include <thread>

#include "common/Trace.h"
#include "platform/system/MainLoopWait.h"

namespace dorv {
namespace {

// One call's state, shared with its worker, which may outlive the wait.
struct Call {
    std::function<bool(int&)> work;
    std::atomic<bool> done{false};
    // Set when the wait gave up on the work before it finished. Read and
    // written only under the lock of the list of places that do not answer.
    bool late = false;
    bool ok = false;
    int err = 0;
};

// An open file whose reads and writes are timed too.
class TimedOpenFile : public IOpenFile {
public:
    TimedOpenFile(const TimedFileStore& store, std::string path, std::unique_ptr<IOpenFile> inner)
        : m_store(store), m_path(std::move(path)), m_inner(std::move(inner)) {}
    ~TimedOpenFile() override {
        // Closing may wait on the server as well, so a worker closes it; it
        // is waited for, since the file's lock goes with it and the next
        // open of the same file must find it gone.
        struct Closing {
            std::shared_ptr<IOpenFile> file;
            std::atomic<bool> started{false};
        };
        auto closing = std::make_shared<Closing>();
        closing->file = std::move(m_inner);
        int err = 0;
        m_store.RunTimed(
            m_path,
            [closing](int&) {
                closing->started = true;
                closing->file.reset();
                return true;
            },
            err);
        // Where the place had already stopped answering, RunTimed gave up at
        // once and started no worker, so the file is still open: a thread of
        // its own closes it, however long the server takes, and nobody waits.
        if (!closing->started) std::thread([closing] { closing->file.reset(); }).detach();
    }
    TimedOpenFile(const TimedOpenFile&) = delete;
    TimedOpenFile& operator=(const TimedOpenFile&) = delete;

    bool GetLength(std::uint64_t& length, int& err) override {
        auto file = m_inner;
        auto result = std::make_shared<std::uint64_t>(0);
        bool ok = m_store.RunTimed(
            m_path, [file, result](int& e) { return file->GetLength(*result, e); }, err);
        if (ok) length = *result;
        return ok;
    }
    bool ReadAt(std::uint64_t offset, std::size_t count, std::string& bytes, int& err) override {
        auto file = m_inner;
        auto result = std::make_shared<std::string>();
        bool ok = m_store.RunTimed(
            m_path, [file, result, offset, count](int& e) { return file->ReadAt(offset, count, *result, e); }, err);
        if (ok) bytes = std::move(*result);
        return ok;
    }
    bool Append(const std::string& bytes, int& err) override {
        auto file = m_inner;
        return m_store.RunTimed(
            m_path, [file, bytes](int& e) { return file->Append(bytes, e); }, err);
    }

private:
    const TimedFileStore& m_store;
    std::string m_path;
    std::shared_ptr<IOpenFile> m_inner;
};

}  // namespace

bool TimedFileStore::RunTimed(const std::string& path, const std::function<bool(int&)>& work, int& err) const {
    const std::string folder = path.substr(0, path.rfind('/') + 1);
    {
        std::lock_guard<std::mutex> hold(m_stuck->lock);
        if (m_stuck->folders.count(folder)) {
            Trace("%s: its place still does not answer: given up at once", path.c_str());
            err = ETIMEDOUT;
            return false;
        }
    }
    auto call = std::make_shared<Call>();
    call->work = work;
    if (m_begin) m_begin();
    std::thread([call, stuck = m_stuck, folder] {
        int e = 0;
        bool ok = call->work(e);
        // What the work holds (an open file and its lock) goes before the
        // caller hears that it is done: a close that follows must find the
        // file closed, not still held by this thread's copy.
        call->work = nullptr;
        std::lock_guard<std::mutex> hold(stuck->lock);
        call->ok = ok;
        call->err = e;
        call->done.store(true, std::memory_order_release);
        // The work finished after the wait had given up on it: the place
        // answers again, and the next call to it is tried.
        if (call->late) stuck->folders.erase(stuck->folders.find(folder));
        g_main_context_wakeup(nullptr);
    }).detach();
    // The window repaints meanwhile.
    WaitInMainLoop([&call] { return call->done.load(std::memory_order_acquire); }, m_deadlineMs);
    if (m_end) m_end();
    {
        std::lock_guard<std::mutex> hold(m_stuck->lock);
        if (!call->done.load(std::memory_order_acquire)) {
            call->late = true;
            m_stuck->folders.insert(folder);
            Trace("%s: no answer within %u ms: given up", path.c_str(), m_deadlineMs);
            err = ETIMEDOUT;
            return false;
        }
    }
    err = call->err;
    return call->ok;
}

IFileStore::Kind TimedFileStore::GetKind(const std::string& path) const {
    auto kind = std::make_shared<Kind>(Kind::None);
    std::shared_ptr<IFileStore> inner = m_inner;
    int err = 0;
    RunTimed(
        path,
        [inner, kind, path](int&) {
            *kind = inner->GetKind(path);
            return true;
        },
        err);
    return err == ETIMEDOUT ? Kind::None : *kind;
}

bool TimedFileStore::CreateFolder(const std::string& path) {
    std::shared_ptr<IFileStore> inner = m_inner;
    int err = 0;
    return RunTimed(
        path, [inner, path](int&) { return inner->CreateFolder(path); }, err);
}

std::unique_ptr<IOpenFile> TimedFileStore::Open(const std::string& path, OpenMode mode, int& err) {
    std::shared_ptr<IFileStore> inner = m_inner;
    auto opened = std::make_shared<std::unique_ptr<IOpenFile>>();
    bool ok = RunTimed(
        path,
        [inner, opened, path, mode](int& e) {
            *opened = inner->Open(path, mode, e);
            return *opened != nullptr;
        },
        err);
    if (!ok) {
        // An open that finishes after the wait gave up on it is closed when
        // the worker's copy of the file goes out of scope.
        return nullptr;
    }
    return std::make_unique<TimedOpenFile>(*this, path, std::move(*opened));
}

bool TimedFileStore::WriteAtomically(const std::string& path, const std::string& bytes, int& err) {
    std::shared_ptr<IFileStore> inner = m_inner;
    return RunTimed(
        path, [inner, path, bytes](int& e) { return inner->WriteAtomically(path, bytes, e); }, err);
}

bool TimedFileStore::Rename(const std::string& from, const std::string& to, int& err) {
    std::shared_ptr<IFileStore> inner = m_inner;
    return RunTimed(
        from, [inner, from, to](int& e) { return inner->Rename(from, to, e); }, err);
}

bool TimedFileStore::DeleteFile(const std::string& path, int& err) {
    std::shared_ptr<IFileStore> inner = m_inner;
    return RunTimed(
        path, [inner, path](int& e) { return inner->DeleteFile(path, e); }, err);
}

bool TimedFileStore::RemoveFolder(const std::string& path, int& err) {
    std::shared_ptr<IFileStore> inner = m_inner;
    return RunTimed(
        path, [inner, path](int& e) { return inner->RemoveFolder(path, e); }, err);
}

bool TimedFileStore::GetInfo(const std::string& path, Info& info, int& err) const {
    auto result = std::make_shared<Info>();
    std::shared_ptr<IFileStore> inner = m_inner;
    bool ok = RunTimed(
        path, [inner, result, path](int& e) { return inner->GetInfo(path, *result, e); }, err);
    if (ok) info = *result;
    return ok;
}

bool TimedFileStore::ListFolder(const std::string& path, std::vector<std::string>& names, int& err) {
    auto result = std::make_shared<std::vector<std::string>>();
    std::shared_ptr<IFileStore> inner = m_inner;
    // The folder's own place: a path ending in "/" is the folder itself.
    bool ok = RunTimed(
        path + "/", [inner, result, path](int& e) { return inner->ListFolder(path, *result, e); }, err);
    if (ok) names = std::move(*result);
    return ok;
}

bool TimedFileStore::CreateNew(const std::string& path, const std::string& bytes, int& err) {
    std::shared_ptr<IFileStore> inner = m_inner;
    return RunTimed(
        path, [inner, path, bytes](int& e) { return inner->CreateNew(path, bytes, e); }, err);
}

bool TimedFileStore::TakeLock(const std::string& path, const std::string& owner, unsigned waitMs,
                              const TakeOverRule& mayTakeOver, int& err) {
    std::shared_ptr<IFileStore> inner = m_inner;
    return RunTimed(
        path,
        [inner, path, owner, waitMs, mayTakeOver](int& e) {
            return inner->TakeLock(path, owner, waitMs, mayTakeOver, e);
        },
        err);
}

void TimedFileStore::ReleaseLock(const std::string& path, const std::string& owner) {
    std::shared_ptr<IFileStore> inner = m_inner;
    int err = 0;
    RunTimed(
        path,
        [inner, path, owner](int&) {
            inner->ReleaseLock(path, owner);
            return true;
        },
        err);
}

bool TimedFileStore::IsShared(const std::string& path) {
    std::shared_ptr<IFileStore> inner = m_inner;
    auto shared = std::make_shared<bool>(false);
    int err = 0;
    RunTimed(
        path,
        [inner, shared, path](int&) {
            *shared = inner->IsShared(path);
            return true;
        },
        err);
    return *shared;
}

}  // namespace dorv
