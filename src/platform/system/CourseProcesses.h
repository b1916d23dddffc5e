// The library's courses run in processes of their own: the program's own
// binary started with the course folder, as "dorv FOLDER" from a terminal.
// A running course is asked to bring its window to the front with a signal,
// kFrontSignal, which the course process handles from the start: the signal
// is blocked in the new process until its handler is in place, so that an
// early one never ends the course.
#pragma once

#include <gio/gio.h>
#include <signal.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "library/CourseStart.h"
#include "platform/system/GObjectPtr.h"

namespace dorv {

// The signal that asks a course to bring its window to the front. Not
// SIGUSR1: WebKit's JavaScript engine takes that one for its own threads,
// replacing any handler of the program, and a SIGUSR1 from outside ends the
// course with a crash.
constexpr int kFrontSignal = SIGUSR2;

class CourseProcesses : public ICourseLauncher {
public:
    // `workingFolder`: where the courses are started from; `changed` is
    // called on the main thread when a course's process started or ended.
    CourseProcesses(std::string workingFolder, std::function<void(const std::string& folder)> changed);
    // The courses go on running; they are no longer watched.
    ~CourseProcesses() override;
    CourseProcesses(const CourseProcesses&) = delete;
    CourseProcesses& operator=(const CourseProcesses&) = delete;

    bool Start(const std::string& folder, std::string& error) override;
    bool IsRunning(const std::string& folder) const override;
    bool Present(const std::string& folder) override;

    // The process of the course in `folder` ended.
    void Ended(const std::string& folder, GSubprocess* process);

    struct Child;

private:
    std::string m_workingFolder;
    std::function<void(const std::string&)> m_changed;
    std::map<std::string, std::shared_ptr<Child>> m_running;
    GObjectPtr<GCancellable> m_cancel;
};

// The program's own binary, to start a course with; "" when it cannot be
// told.
std::string OwnProgram();

}  // namespace dorv
