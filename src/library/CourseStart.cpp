#include "library/CourseStart.h"

#include "common/Trace.h"

namespace dorv {

StartOutcome StartCourse(const CourseEntry& entry, ICourseLauncher& launcher, std::string& error) {
    if (launcher.IsRunning(entry.folder) && launcher.Present(entry.folder)) {
        Trace("library: %s runs: brought to the front", entry.folder.c_str());
        return StartOutcome::BroughtToFront;
    }
    if (entry.StartUpChecked() && !entry.starts) {
        Trace("library: %s will not start: not started", entry.folder.c_str());
        return StartOutcome::WillNotStart;
    }
    if (!launcher.Start(entry.folder, error)) {
        Trace("library: %s could not be started: %s", entry.folder.c_str(), error.c_str());
        return StartOutcome::Failed;
    }
    return StartOutcome::Started;
}

}  // namespace dorv
