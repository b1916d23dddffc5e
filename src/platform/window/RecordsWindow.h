// The class records window: the teacher's view of who studied what, read
// straight from the learners' files on a place. A header bar titled "Class
// Records" with the place, the export and print buttons and a button that
// reads the place again; a course selector where the place holds several
// courses; the class table; below it the chart of study time per week, the
// damaged files and the unreadable lines.
//
// The window shows at once and stays responsive while the place is read on
// threads of their own: progress shows after half a second, a place that
// stops answering is named in the window with a Cancel, and closing the
// window never waits for a reading.
//
// Keys: Tab moves through the controls, Enter on a row opens the learner's
// records, Ctrl+E exports, Ctrl+P prints, F5 (or Ctrl+R) reads again,
// Ctrl+W and Escape close.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/system/DetachedWork.h"
#include "platform/system/GObjectPtr.h"
#include "platform/system/GioDriveList.h"
#include "platform/system/RecordsReading.h"
#include "platform/window/RecordsChartView.h"
#include "platform/window/RecordsTableView.h"
#include "platform/window/TextTable.h"
#include "records/ClassRecords.h"
#include "records/RecordsExport.h"
#include "records/RecordsTexts.h"

namespace dorv {

// Opens a records window for `place` (a drive letter "F:" or "F", a folder,
// or "" for the user's documents, drive C:), over `parent` when given.
// `closed` is called once the window is gone. `course`: the file title of
// the course to show first, where the place holds several.
void OpenRecordsWindow(GtkWindow* parent, const std::string& place, std::function<void()> closed = nullptr,
                       const std::string& course = "");

class RecordsWindow {
public:
    RecordsWindow(GtkWindow* parent, std::string place, std::function<void()> closed);
    RecordsWindow(const RecordsWindow&) = delete;
    RecordsWindow& operator=(const RecordsWindow&) = delete;

    // The file title of the course to show first, where the place holds
    // several (until the teacher chose one).
    void ShowFirst(std::string courseTitle) { m_courseTitle = std::move(courseTitle); }

private:
    ~RecordsWindow();  // once the window is destroyed

    // Building (RecordsWindow.cpp).
    GtkWidget* BuildHeaderBar();
    GtkWidget* BuildContent();
    GtkWidget* BuildLists();
    void AddActions();

    // Reading the place (RecordsWindow.cpp).
    void Start();
    void Resolve();
    void Read(const std::string& folder);
    void OnProgress(size_t done, size_t found);
    void OnSilence(bool silent);
    void OnRead(std::shared_ptr<const PlaceRecords> records, const std::string& failure, int64_t ms);
    void Cancel();
    void ShowStatus(const std::string& text);
    void StopReading();

    // Showing a course, exporting and printing (RecordsWindowActions.cpp).
    void ShowCourses();
    void ShowCourse(size_t index);
    const CourseSummary* Course() const;
    void ShowMessage(GtkMessageType type, const std::string& text);
    void Export();
    void ExportTo(const std::string& folder);
    void OnExported(const std::string& folder, const std::shared_ptr<ExportedFiles>& written,
                    const std::shared_ptr<std::string>& error);
    void Print();
    void SetActionsEnabled(bool enabled);

    static void OnAction(GSimpleAction* action, GVariant*, gpointer self);
    static void OnCourseChosen(GObject*, GParamSpec*, gpointer self);
    static void OnExportResponse(GtkNativeDialog* dialog, int response, gpointer self);
    static void OnSilenceResponse(GtkInfoBar*, int response, gpointer self);
    static void OnMessageResponse(GtkInfoBar* bar, int response, gpointer);
    static gboolean OnProgressDue(gpointer self);
    static void OnDestroy(GtkWidget*, gpointer self);

    CRecordsTexts m_texts;
    std::string m_place;  // as given ("" for drive C:)
    std::string m_shownPlace;
    std::function<void()> m_closed;
    GtkWindow* m_window;
    GtkWidget* m_subtitle = nullptr;
    GtkWidget* m_silenceBar = nullptr;
    GtkWidget* m_silenceLabel = nullptr;
    GtkWidget* m_messageBar = nullptr;
    GtkWidget* m_messageLabel = nullptr;
    GtkWidget* m_progressRow = nullptr;
    GtkWidget* m_progress = nullptr;
    GtkWidget* m_progressCancel = nullptr;
    GtkWidget* m_courseRow = nullptr;
    GtkWidget* m_courses = nullptr;
    GtkWidget* m_stack = nullptr;
    GtkWidget* m_status = nullptr;
    GtkWidget* m_notebook = nullptr;
    GtkWidget* m_damageTab = nullptr;
    GtkWidget* m_unreadableTab = nullptr;
    GtkWidget* m_unreadableSummary = nullptr;
    GSimpleActionGroup* m_actions = nullptr;
    RecordsTableView m_table;
    RecordsChartView m_chart;
    TextTable m_damage;
    TextTable m_unreadable;

    std::optional<GioDriveList> m_drives;
    std::unique_ptr<RecordsReading> m_reading;
    guint m_resolve = 0;
    guint m_progressDue = 0;
    std::shared_ptr<const PlaceRecords> m_records;
    size_t m_course = 0;
    std::string m_courseFolder;  // of the course on show
    std::string m_courseTitle;   // the course to show first, until one was shown
    GtkFileChooserNative* m_chooser = nullptr;
    std::unique_ptr<DetachedWork> m_export;
    std::string m_exportFolder;  // the last one chosen
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace dorv
