// The course library (dorv --library): the courses of the machine, of the
// school's share and of the media inserted, each checked as "dorv --check"
// checks it, started in a process of its own. The platform looks for the
// courses and checks them away from the window (ILibraryWork) and shows
// them (ILibraryView); this object decides what happens.
#pragma once

#include <string>
#include <vector>

#include "check/CourseCheck.h"
#include "learner/DriveList.h"
#include "library/CourseList.h"
#include "library/CourseStart.h"
#include "library/LibraryPlaces.h"

namespace dorv {

class ILibraryWork {
public:
    virtual ~ILibraryWork() = default;
    // Looks for the courses of `places`; the answer comes to
    // CCourseLibrary::OnFound (only the newest search's answer).
    virtual void Find(const std::vector<CoursePlace>& places) = 0;
    // Checks the courses in `folders`: the start-up checks one after
    // another, then their files; each answer comes to OnStartUpChecked and
    // OnFilesChecked.
    virtual void Check(const std::vector<std::string>& folders) = 0;
    // The drives found, for the drive letters of the courses' DORV.ini.
    virtual void SetDrives(const std::vector<DrivePlace>& found) = 0;
};

class ILibraryView {
public:
    virtual ~ILibraryView() = default;
    // The list of courses is another (or the places looked in are).
    virtual void ListChanged() = 0;
    // What is known of one course changed (its checks, whether it runs).
    virtual void CourseChanged(const std::string& folder) = 0;
    // The course could not be started: `error` says why.
    virtual void ShowStartFailure(const std::string& name, const std::string& error) = 0;
};

class CCourseLibrary {
public:
    CCourseLibrary(LibraryEnvironment env, LibrarySettings settings, IDriveList& drives, ILibraryWork& work,
                   ICourseLauncher& launcher);

    void SetView(ILibraryView* view) { m_view = view; }

    // Builds the list of places anew (the removable media from the drive
    // list) and looks for the courses. `mountChanged`: because media or
    // shares came or went.
    void Rebuild(bool mountChanged);

    // The answers of the work.
    void OnFound(const std::vector<FoundCourse>& found);
    void OnStartUpChecked(const CourseCheckReport& report);
    void OnFilesChecked(const CourseCheckReport& report);
    // A course's process started or ended.
    void OnRunningChanged(const std::string& folder);

    // The learner asked for the course in `folder` (a row activated, its
    // start button).
    StartOutcome Start(const std::string& folder);

    const std::vector<CourseEntry>& Courses() const { return m_list.Entries(); }
    const CourseEntry* Find(const std::string& folder) const { return m_list.Find(folder); }
    bool IsRunning(const std::string& folder) const { return m_launcher.IsRunning(folder); }
    const std::vector<CoursePlace>& Places() const { return m_places; }
    const LibrarySettings& Settings() const { return m_settings; }
    // Whether the first search has answered.
    bool HasSearched() const { return m_searched; }

private:
    LibraryEnvironment m_env;
    LibrarySettings m_settings;
    IDriveList& m_drives;
    ILibraryWork& m_work;
    ICourseLauncher& m_launcher;
    ILibraryView* m_view = nullptr;
    CCourseList m_list;
    std::vector<CoursePlace> m_places;
    bool m_searched = false;
    bool m_mountChanged = false;  // the search under way is for a change of mounts
};

}  // namespace dorv
