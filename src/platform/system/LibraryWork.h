// The course library's work away from the window: the search for courses on
// a thread of its own (a hung share holds no window), the start-up checks
// one after another on another thread (they change the process's working
// directory for a moment, and may fetch a course configuration from a
// server), and the checks of the courses' files on a few threads at once.
// Each answer is handed to the library on the main thread.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "library/CourseLibrary.h"

namespace dorv {

class LibraryWork : public ILibraryWork {
public:
    // `home`: the user's own space, drive C of the courses' drive letters.
    explicit LibraryWork(std::string home);
    // Answers that are still to come are dropped; the threads that are busy
    // finish on their own, for at most a second before the program goes on.
    ~LibraryWork() override;
    LibraryWork(const LibraryWork&) = delete;
    LibraryWork& operator=(const LibraryWork&) = delete;

    // The library the answers go to, on the main thread; nullptr: nowhere.
    void SetLibrary(CCourseLibrary* library);

    void Find(const std::vector<CoursePlace>& places) override;
    void Check(const std::vector<std::string>& folders) override;
    void SetDrives(const std::vector<DrivePlace>& found) override;

    struct Shared;

private:
    std::shared_ptr<Shared> m_shared;
};

}  // namespace dorv
