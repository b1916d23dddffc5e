// The learner data's file work, off the window's thread: every call runs on
// a worker thread while the window goes on repainting, and one that has not
// finished after 10 s (a network server that hangs, a dying stick) fails
// with ETIMEDOUT, so that the course goes on and the learner is told which
// file. While a call waits, the owner holds the page's poll and input back
// (the wait hooks), as during a page call.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "learner/FileStore.h"

namespace dorv {

class TimedFileStore : public IFileStore {
public:
    static constexpr unsigned kDeadlineMs = 10000;

    // `inner` must stand calls from several threads at once. Workers that
    // still wait on a hung server when this store goes keep it alive.
    explicit TimedFileStore(std::shared_ptr<IFileStore> inner, unsigned deadlineMs = kDeadlineMs)
        : m_inner(std::move(inner)), m_deadlineMs(deadlineMs) {}

    void SetWaitHooks(std::function<void()> begin, std::function<void()> end) {
        m_begin = std::move(begin);
        m_end = std::move(end);
    }

    Kind GetKind(const std::string& path) const override;
    bool GetInfo(const std::string& path, Info& info, int& err) const override;
    bool ListFolder(const std::string& path, std::vector<std::string>& names, int& err) override;
    bool CreateFolder(const std::string& path) override;
    std::unique_ptr<IOpenFile> Open(const std::string& path, OpenMode mode, int& err) override;
    bool CreateNew(const std::string& path, const std::string& bytes, int& err) override;
    bool WriteAtomically(const std::string& path, const std::string& bytes, int& err) override;
    bool Rename(const std::string& from, const std::string& to, int& err) override;
    bool DeleteFile(const std::string& path, int& err) override;
    bool RemoveFolder(const std::string& path, int& err) override;
    bool TakeLock(const std::string& path, const std::string& owner, unsigned waitMs, const TakeOverRule& mayTakeOver,
                  int& err) override;
    void ReleaseLock(const std::string& path, const std::string& owner) override;
    bool IsShared(const std::string& path) override;
    const CopyId& Self() const override { return m_inner->Self(); }
    bool IsRunningHere(long pid) const override { return m_inner->IsRunningHere(pid); }
    long long Now() const override { return m_inner->Now(); }

    // Runs `work` on a worker thread and waits for it, the main loop going
    // on meanwhile; false (ETIMEDOUT in `err`) when it ran out of time.
    bool RunTimed(const std::string& path, const std::function<bool(int& err)>& work, int& err) const;

private:
    // Folders where a call ran out of time and its worker still waits:
    // calls there fail at once, rather than wait out the time again.
    struct Stuck {
        std::mutex lock;
        std::multiset<std::string> folders;
    };

    std::shared_ptr<IFileStore> m_inner;
    std::shared_ptr<Stuck> m_stuck = std::make_shared<Stuck>();
    unsigned m_deadlineMs;
    std::function<void()> m_begin;
    std::function<void()> m_end;
};

}  // namespace dorv
