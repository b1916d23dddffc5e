// A file of the learner data held open by descriptor: reading at an
// offset and appending, with the length asked of the server each time.
#pragma once

#include <unistd.h>

#include <cerrno>

#include "learner/FileStore.h"

namespace dorv {

// Closes a descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() { Reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return m_fd; }
    int Release() {
        int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    void Reset(int fd = -1) {
        if (m_fd >= 0) close(m_fd);
        m_fd = fd;
    }
    // Closes now: a network file system may report a failed write only here.
    bool Close(int& err) {
        int fd = Release();
        if (fd < 0 || close(fd) == 0) return true;
        err = errno;
        return false;
    }

private:
    int m_fd;
};

// Writes every byte, again after an interruption; false with `err` set on
// the first failure.
bool WriteAll(int fd, const char* data, size_t size, int& err);
bool WriteAllAt(int fd, const char* data, size_t size, off_t offset, int& err);

class PosixOpenFile : public IOpenFile {
public:
    // `appending`: opened for appending, so that each write goes to the end.
    PosixOpenFile(int fd, bool appending) : m_fd(fd), m_appending(appending) {}

    bool GetLength(std::uint64_t& length, int& err) override;
    bool ReadAt(std::uint64_t offset, std::size_t count, std::string& bytes, int& err) override;
    bool Append(const std::string& bytes, int& err) override;

private:
    Descriptor m_fd;
    bool m_appending;
};

}  // namespace dorv
