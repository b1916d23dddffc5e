// Starting a course from the library: each course runs in a process of its
// own, at most one per course; starting a course that runs already brings
// its window to the front instead, and a course that will not start is not
// started.
#pragma once

#include <string>

#include "library/CourseList.h"

namespace dorv {

class ICourseLauncher {
public:
    virtual ~ICourseLauncher() = default;
    // Starts the course in `folder` as "dorv FOLDER" would; false with
    // `error` set when it could not be started.
    virtual bool Start(const std::string& folder, std::string& error) = 0;
    // Whether a process started for the course has not ended yet.
    virtual bool IsRunning(const std::string& folder) const = 0;
    // Asks the course's running process to bring its window to the front;
    // false when none runs.
    virtual bool Present(const std::string& folder) = 0;
};

enum class StartOutcome {
    Started,         // a process was started
    BroughtToFront,  // it ran already: its window was brought to the front
    WillNotStart,    // the start-up checks said it will not start: nothing happened
    Failed,          // the process could not be started (error set)
};

// Starts the course `entry` with `launcher`. A course whose checks have not
// answered yet is started: the course's own start-up says what is wrong.
StartOutcome StartCourse(const CourseEntry& entry, ICourseLauncher& launcher, std::string& error);

}  // namespace dorv
