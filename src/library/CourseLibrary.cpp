#include "library/CourseLibrary.h"

#include "common/Trace.h"
#include "library/CheckPlaces.h"

namespace dorv {
namespace {

const char* KindName(PlaceKind kind) {
    switch (kind) {
        case PlaceKind::User:
            return "user";
        case PlaceKind::System:
            return "system";
        case PlaceKind::Configured:
            return "configured";
        case PlaceKind::Removable:
            return "removable";
    }
    return "";
}

}  // namespace

CCourseLibrary::CCourseLibrary(LibraryEnvironment env, LibrarySettings settings, IDriveList& drives, ILibraryWork& work,
                               ICourseLauncher& launcher)
    : m_env(std::move(env)), m_settings(std::move(settings)), m_drives(drives), m_work(work), m_launcher(launcher) {
    if (!m_settings.file.empty()) Trace("library: settings from %s", m_settings.file.c_str());
    for (const std::string& problem : m_settings.problems) Trace("library: %s", problem.c_str());
    Trace("library: class records %s", m_settings.recordsEnabled ? "on" : "off");
}

void CCourseLibrary::Rebuild(bool mountChanged) {
    std::vector<DrivePlace> drives = m_drives.BuildList();
    m_work.SetDrives(FoundDrivePlaces(drives));
    std::vector<CoursePlace> places = CoursePlaces(m_env, m_settings, RemovableRoots(drives));
    bool placesChanged = places != m_places;
    m_places = std::move(places);
    if (placesChanged) {
        for (const CoursePlace& place : m_places) {
            Trace("library: looking in %s (%s)", place.folder.c_str(), KindName(place.kind));
        }
    }
    m_mountChanged = m_mountChanged || mountChanged;
    m_work.Find(m_places);
    if (placesChanged && m_view) m_view->ListChanged();
}

void CCourseLibrary::OnFound(const std::vector<FoundCourse>& found) {
    std::vector<std::string> before;
    for (const CourseEntry& entry : m_list.Entries()) before.push_back(entry.folder);
    std::vector<std::string> fresh = m_list.SetFound(found);
    for (const std::string& folder : before) {
        if (!m_list.Find(folder)) Trace("library: gone %s", folder.c_str());
    }
    for (const std::string& folder : fresh) Trace("library: found %s", folder.c_str());
    if (m_mountChanged) {
        Trace("library: list rebuilt after a change of mounts: %zu courses", found.size());
        m_mountChanged = false;
    } else if (!m_searched) {
        Trace("library: %zu courses found", found.size());
    }
    m_searched = true;
    if (m_view) m_view->ListChanged();
    if (!fresh.empty()) m_work.Check(fresh);
}

void CCourseLibrary::OnStartUpChecked(const CourseCheckReport& report) {
    if (!m_list.ApplyStartUp(report)) return;
    const CourseEntry& entry = *m_list.Find(report.given);
    Trace("library: course %s: %s%s", entry.folder.c_str(), entry.DisplayName().c_str(),
          entry.starts ? "" : " (will not start)");
    if (m_view) m_view->CourseChanged(entry.folder);
}

void CCourseLibrary::OnFilesChecked(const CourseCheckReport& report) {
    if (!m_list.ApplyFiles(report)) return;
    Trace("library: %s", report.Summary().c_str());
    if (m_view) m_view->CourseChanged(report.given);
}

void CCourseLibrary::OnRunningChanged(const std::string& folder) {
    if (m_view && m_list.Find(folder)) m_view->CourseChanged(folder);
}

StartOutcome CCourseLibrary::Start(const std::string& folder) {
    const CourseEntry* entry = m_list.Find(folder);
    if (!entry) return StartOutcome::WillNotStart;
    std::string error;
    StartOutcome outcome = StartCourse(*entry, m_launcher, error);
    if (outcome == StartOutcome::Failed && m_view) m_view->ShowStartFailure(entry->DisplayName(), error);
    if (outcome == StartOutcome::Started && m_view) m_view->CourseChanged(folder);
    return outcome;
}

}  // namespace dorv
