// The records window's course on show, and what the teacher does with it:
// the CSV files written into a folder of their choice, the printout.
#include <sys/stat.h>

#include "common/TextJoin.h"
#include "common/Trace.h"
#include "platform/window/GtkModalDialog.h"
#include "platform/window/RecordsPrint.h"
#include "platform/window/RecordsWindow.h"
#include "records/RecordsExport.h"
#include "records/RecordsTable.h"

namespace dorv {
namespace {

bool Exists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

std::string DamageLine(const DamagedThing& thing, bool japanese) {
    std::string text = DamageText(thing.kind, japanese);
    return thing.detail.empty() ? text : text + ": " + thing.detail;
}

}  // namespace

const CourseSummary* RecordsWindow::Course() const {
    return m_records && m_course < m_records->courses.size() ? &m_records->courses[m_course] : nullptr;
}

void RecordsWindow::ShowCourses() {
    // The course on show before the place was read again stays on show.
    size_t shown = 0;
    GtkStringList* titles = gtk_string_list_new(nullptr);
    for (size_t i = 0; i < m_records->courses.size(); ++i) {
        gtk_string_list_append(titles, m_records->courses[i].title.c_str());
        if (m_records->courses[i].folder == m_courseFolder ||
            (m_courseFolder.empty() && !m_courseTitle.empty() && m_records->courses[i].title == m_courseTitle)) {
            shown = i;
        }
    }
    g_signal_handlers_block_by_func(m_courses, reinterpret_cast<gpointer>(OnCourseChosen), this);
    gtk_drop_down_set_model(GTK_DROP_DOWN(m_courses), G_LIST_MODEL(titles));
    gtk_drop_down_set_selected(GTK_DROP_DOWN(m_courses), static_cast<guint>(shown));
    g_signal_handlers_unblock_by_func(m_courses, reinterpret_cast<gpointer>(OnCourseChosen), this);
    g_object_unref(titles);
    ShowCourse(shown);
    gtk_widget_grab_focus(m_table.View());
}

void RecordsWindow::ShowCourse(size_t index) {
    m_course = index;
    const CourseSummary* course = Course();
    if (!course) return;
    m_courseFolder = course->folder;
    bool japanese = m_texts.Japanese();
    m_table.Show(m_records, course);
    m_chart.Show(&course->weekly, nullptr);

    std::vector<TextRow> damage;
    for (const DamagedThing& thing : course->damage) {
        damage.push_back({{thing.learner, DamageLine(thing, japanese), thing.file,
                           thing.modified ? FormatLocalMinute(*thing.modified) : std::string()},
                          true});
    }
    std::vector<TextRow> unreadable;
    long long records = 0;
    long long values = 0;
    for (const LearnerSummary& learner : course->learners) {
        records += learner.unreadableRecords;
        values += learner.unreadableValues;
        for (const UnreadableLine& line : UnreadableOf(learner)) {
            std::string column = line.column.empty() ? m_texts.WholeLine() : m_texts.HistoryColumn(line.column);
            unreadable.push_back({{learner.name, std::to_string(line.line), column, line.text}, true});
        }
    }
    gtk_label_set_text(GTK_LABEL(m_damageTab), m_texts.DamageTab(damage.size()).c_str());
    gtk_label_set_text(GTK_LABEL(m_unreadableTab), m_texts.UnreadableTab(records + values).c_str());
    gtk_label_set_text(GTK_LABEL(m_unreadableSummary),
                       m_texts.UnreadableSummary(records, values, kKeptUnreadableLines).c_str());
    m_damage.SetRows(std::move(damage));
    m_unreadable.SetRows(std::move(unreadable));

    gtk_widget_set_visible(m_courseRow, m_records->courses.size() > 1);
    gtk_stack_set_visible_child_name(GTK_STACK(m_stack), "records");
    gtk_widget_set_visible(m_messageBar, FALSE);
    if (!course->problem.empty()) ShowMessage(GTK_MESSAGE_ERROR, m_texts.CourseProblem(course->problem));
    SetActionsEnabled(course->problem.empty());

    std::vector<std::string> names;
    for (const LearnerSummary* learner : m_table.ShownLearners()) names.push_back(learner->name);
    Trace("records: course %s shows %zu learners: %s", course->title.c_str(), names.size(),
          Joined(names, ", ").c_str());
    Trace("records: course %s: %zu damaged things, %lld unreadable lines, %lld unreadable values",
          course->title.c_str(), course->damage.size(), records, values);
}

void RecordsWindow::ShowMessage(GtkMessageType type, const std::string& text) {
    gtk_info_bar_set_message_type(GTK_INFO_BAR(m_messageBar), type);
    gtk_label_set_text(GTK_LABEL(m_messageLabel), text.c_str());
    gtk_widget_set_visible(m_messageBar, TRUE);
}

void RecordsWindow::SetActionsEnabled(bool enabled) {
    for (const char* name : {"export", "print"}) {
        GAction* action = g_action_map_lookup_action(G_ACTION_MAP(m_actions), name);
        g_simple_action_set_enabled(G_SIMPLE_ACTION(action), enabled);
    }
}

void RecordsWindow::Export() {
    if (!Course() || m_chooser || m_export) return;
    m_chooser =
        gtk_file_chooser_native_new(m_texts.ExportTitle().c_str(), m_window, GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER,
                                    m_texts.ExportAccept().c_str(), m_texts.Cancel().c_str());
    gtk_native_dialog_set_modal(GTK_NATIVE_DIALOG(m_chooser), TRUE);
    if (!m_exportFolder.empty()) {
        GFile* folder = g_file_new_for_path(m_exportFolder.c_str());
        gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(m_chooser), folder, nullptr);
        g_object_unref(folder);
    }
    g_signal_connect(m_chooser, "response", G_CALLBACK(OnExportResponse), this);
    gtk_native_dialog_show(GTK_NATIVE_DIALOG(m_chooser));
    Trace("records: export folder asked for");
}

void RecordsWindow::OnExportResponse(GtkNativeDialog* dialog, int response, gpointer self) {
    auto* window = static_cast<RecordsWindow*>(self);
    std::string folder;
    if (response == GTK_RESPONSE_ACCEPT) {
        GFile* chosen = gtk_file_chooser_get_file(GTK_FILE_CHOOSER(dialog));
        gchar* path = chosen ? g_file_get_path(chosen) : nullptr;
        if (path) folder = path;
        g_free(path);
        if (chosen) g_object_unref(chosen);
    }
    g_signal_handlers_disconnect_by_data(dialog, self);
    gtk_native_dialog_destroy(dialog);
    g_object_unref(dialog);
    window->m_chooser = nullptr;
    if (response != GTK_RESPONSE_ACCEPT) {
        Trace("records: export cancelled");
    } else if (folder.empty()) {
        window->ShowMessage(GTK_MESSAGE_ERROR, window->m_texts.ExportFailed("the folder chosen is no local folder"));
    } else {
        window->ExportTo(folder);
    }
}

void RecordsWindow::ExportTo(const std::string& folder) {
    const CourseSummary* course = Course();
    if (!course) return;
    m_exportFolder = folder;
    std::string base = ExportFileBase(course->title);
    std::string prefix = folder.back() == '/' ? folder + base : folder + "/" + base;
    std::vector<std::string> present;
    for (const char* suffix : {"-learners.csv", "-records.csv"}) {
        if (Exists(prefix + suffix)) present.push_back(prefix + suffix);
    }
    // An earlier export the teacher may have worked on is replaced only
    // when they say so.
    if (!present.empty()) {
        size_t answer =
            RunModalDialog(m_window, {.title = m_texts.ReplaceTitle(),
                                      .iconName = "dialog-question",
                                      .text = m_texts.ReplaceQuestion(present),
                                      .buttons = {m_texts.ReplaceButton(), WithoutMnemonic(m_texts.Cancel())},
                                      .defaultButton = 1,
                                      .cancelButton = 1});
        if (answer != 0) {
            Trace("records: export into %s cancelled: the files exist", folder.c_str());
            return;
        }
    }
    ShowMessage(GTK_MESSAGE_INFO, m_texts.Exporting(course->title));
    SetActionsEnabled(false);
    auto written = std::make_shared<ExportedFiles>();
    auto error = std::make_shared<std::string>();
    auto work = [records = m_records, index = m_course, folder, base, japanese = m_texts.Japanese(), written, error](
                    const std::atomic<bool>&, const DetachedWork::Report&) {
        ExportCourseRecords(records->courses[index], folder, base, japanese, *written, *error);
    };
    m_export = std::make_unique<DetachedWork>(std::move(work), nullptr,
                                              [this, folder, written, error] { OnExported(folder, written, error); });
}

void RecordsWindow::OnExported(const std::string& folder, const std::shared_ptr<ExportedFiles>& written,
                               const std::shared_ptr<std::string>& error) {
    std::string failure = m_export->Failure();
    m_export.reset();
    SetActionsEnabled(Course() != nullptr);
    std::vector<std::string> files;
    for (const std::string& file : {written->learners, written->records}) {
        if (file.empty()) continue;
        files.push_back(file);
        Trace("records: exported %s", file.c_str());
    }
    if (failure.empty()) failure = *error;
    if (!failure.empty()) {
        Trace("records: export into %s failed: %s", folder.c_str(), failure.c_str());
        // A file written before the one that failed is named too.
        std::string text = m_texts.ExportFailed(failure);
        if (!files.empty()) text += "\n" + m_texts.Exported(files);
        ShowMessage(GTK_MESSAGE_ERROR, text);
    } else {
        ShowMessage(GTK_MESSAGE_INFO, m_texts.Exported(files));
    }
}

void RecordsWindow::Print() {
    const CourseSummary* course = Course();
    if (!course) return;
    RecordsPrintout printout;
    printout.jobName = m_texts.Title() + " " + course->title;
    printout.heading = m_texts.PrintHeading(course->title, m_shownPlace);
    for (TableColumn column : kAllTableColumns) {
        printout.titles.push_back(TableColumnTitle(column, m_texts.Japanese()));
        printout.numeric.push_back(IsNumericColumn(column));
    }
    for (const LearnerSummary* learner : m_table.ShownLearners()) {
        std::vector<std::string>& row = printout.rows.emplace_back();
        for (TableColumn column : kAllTableColumns) row.push_back(TableCellText(*learner, column, m_texts.Japanese()));
    }
    printout.chart = m_chart.Chart();
    printout.look = m_chart.Look();
    Trace("records: print dialog for %s", course->title.c_str());
    // The print dialog may outlive the window.
    std::weak_ptr<bool> alive = m_alive;
    PrintRecords(m_window, std::move(printout), [this, alive](int pages, const std::string& error) {
        if (alive.expired()) return;
        if (!error.empty()) {
            Trace("records: printing failed: %s", error.c_str());
            ShowMessage(GTK_MESSAGE_ERROR, m_texts.PrintFailed(error));
        } else if (pages > 0) {
            Trace("records: printed %d pages", pages);
        } else {
            Trace("records: printing cancelled");
        }
    });
}

void RecordsWindow::OnAction(GSimpleAction* action, GVariant*, gpointer self) {
    auto* window = static_cast<RecordsWindow*>(self);
    std::string name = g_action_get_name(G_ACTION(action));
    if (name == "export") {
        window->Export();
    } else if (name == "print") {
        window->Print();
    } else if (name == "reload") {
        window->Start();
    }
}

void RecordsWindow::OnCourseChosen(GObject*, GParamSpec*, gpointer self) {
    auto* window = static_cast<RecordsWindow*>(self);
    guint selected = gtk_drop_down_get_selected(GTK_DROP_DOWN(window->m_courses));
    if (selected != GTK_INVALID_LIST_POSITION) window->ShowCourse(selected);
}

}  // namespace dorv
