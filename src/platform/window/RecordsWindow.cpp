#include "platform/window/RecordsWindow.h"

#include "common/DialogTexts.h"
#include "common/Trace.h"
#include "platform/system/UserLanguages.h"
#include "platform/window/RecordsLearnerWindow.h"
#include "platform/window/Shortcuts.h"
#include "platform/window/X11Window.h"
#include "records/RecordsCommand.h"

namespace dorv {
namespace {

// Fits a screen of 1024 x 768 with the desktop's panels.
constexpr int kDefaultWidth = 980;
constexpr int kDefaultHeight = 660;
// How long a reading goes before its progress shows.
constexpr guint kProgressDelayMs = 500;
constexpr int kCancelResponse = 1;

GtkWidget* WrappedLabel() {
    GtkWidget* label = gtk_label_new(nullptr);
    gtk_label_set_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
    gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    gtk_label_set_selectable(GTK_LABEL(label), TRUE);
    return label;
}

void OnRealize(GtkWidget* widget, gpointer) { SetProgramClass(GTK_WINDOW(widget)); }

}  // namespace

void OpenRecordsWindow(GtkWindow* parent, const std::string& place, std::function<void()> closed,
                       const std::string& course) {
    // Deleted when its window is destroyed; the place is read later, on
    // another thread, so the course to show first is known in time.
    auto* window = new RecordsWindow(parent, place, std::move(closed));
    window->ShowFirst(course);
}

RecordsWindow::RecordsWindow(GtkWindow* parent, std::string place, std::function<void()> closed)
    : m_texts(PrefersJapanese(UserLanguages())),
      m_place(std::move(place)),
      m_shownPlace(m_place.empty() ? "C:" : m_place),
      m_closed(std::move(closed)),
      m_window(GTK_WINDOW(gtk_window_new())),
      m_table(m_texts, {.activated =
                            [this](const LearnerSummary& learner) {
                                Trace("records: the records of %s opened", learner.name.c_str());
                                RecordsLearnerWindow::Open(m_window, m_texts, learner);
                            },
                        .selected =
                            [this](const LearnerSummary* learner) {
                                const CourseSummary* course = Course();
                                m_chart.Show(course ? &course->weekly : nullptr, learner);
                            }}),
      m_chart(m_texts),
      m_damage(m_texts.DamageColumns(), {}, m_texts.DamageLabel()),
      m_unreadable(m_texts.UnreadableColumns(), {1}, m_texts.UnreadableLabel()) {
    gtk_window_set_title(m_window, m_texts.WindowTitle(m_shownPlace).c_str());
    gtk_window_set_default_size(m_window, kDefaultWidth, kDefaultHeight);
    if (parent) gtk_window_set_transient_for(m_window, parent);
    AddActions();
    gtk_window_set_titlebar(m_window, BuildHeaderBar());
    gtk_window_set_child(m_window, BuildContent());

    GtkEventController* keys = gtk_shortcut_controller_new();
    gtk_event_controller_set_propagation_phase(keys, GTK_PHASE_CAPTURE);
    AddShortcut(keys, GDK_KEY_w, GDK_CONTROL_MASK, "window.close");
    AddShortcut(keys, GDK_KEY_e, GDK_CONTROL_MASK, "records.export");
    AddShortcut(keys, GDK_KEY_p, GDK_CONTROL_MASK, "records.print");
    AddShortcut(keys, GDK_KEY_r, GDK_CONTROL_MASK, "records.reload");
    AddShortcut(keys, GDK_KEY_F5, GdkModifierType(0), "records.reload");
    gtk_widget_add_controller(GTK_WIDGET(m_window), keys);
    // Escape closes the window once the control with the keyboard (a
    // course selector's list) did not take it.
    GtkEventController* escape = gtk_shortcut_controller_new();
    AddShortcut(escape, GDK_KEY_Escape, GdkModifierType(0), "window.close");
    gtk_widget_add_controller(GTK_WIDGET(m_window), escape);

    g_signal_connect(m_window, "realize", G_CALLBACK(OnRealize), nullptr);
    g_signal_connect(m_window, "destroy", G_CALLBACK(OnDestroy), this);
    gtk_window_present(m_window);
    Trace("records: window shown for %s", m_shownPlace.c_str());
    Start();
}

// The window is destroyed by now, its widgets gone with it: only the work
// and the sources are let go here.
RecordsWindow::~RecordsWindow() {
    if (m_resolve) g_source_remove(m_resolve);
    if (m_progressDue) g_source_remove(m_progressDue);
    m_reading.reset();
    if (m_chooser) {
        g_signal_handlers_disconnect_by_data(m_chooser, this);
        gtk_native_dialog_destroy(GTK_NATIVE_DIALOG(m_chooser));
        g_object_unref(m_chooser);
    }
    m_export.reset();
    g_object_unref(m_actions);
    Trace("records: window closed");
    if (m_closed) m_closed();
}

void RecordsWindow::AddActions() {
    m_actions = g_simple_action_group_new();
    for (const char* name : {"export", "print", "reload"}) {
        GSimpleAction* action = g_simple_action_new(name, nullptr);
        g_signal_connect(action, "activate", G_CALLBACK(OnAction), this);
        g_action_map_add_action(G_ACTION_MAP(m_actions), G_ACTION(action));
        g_object_unref(action);
    }
    gtk_widget_insert_action_group(GTK_WIDGET(m_window), "records", G_ACTION_GROUP(m_actions));
    SetActionsEnabled(false);
}

GtkWidget* RecordsWindow::BuildHeaderBar() {
    GtkWidget* header = gtk_header_bar_new();
    GtkWidget* titles = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_widget_set_valign(titles, GTK_ALIGN_CENTER);
    GtkWidget* title = gtk_label_new(m_texts.Title().c_str());
    gtk_widget_add_css_class(title, "title");
    m_subtitle = gtk_label_new(m_shownPlace.c_str());
    gtk_widget_add_css_class(m_subtitle, "subtitle");
    gtk_label_set_ellipsize(GTK_LABEL(m_subtitle), PANGO_ELLIPSIZE_MIDDLE);
    gtk_box_append(GTK_BOX(titles), title);
    gtk_box_append(GTK_BOX(titles), m_subtitle);
    gtk_header_bar_set_title_widget(GTK_HEADER_BAR(header), titles);

    GtkWidget* reload = gtk_button_new_from_icon_name("view-refresh-symbolic");
    gtk_actionable_set_action_name(GTK_ACTIONABLE(reload), "records.reload");
    std::string reloadTip = m_texts.ReloadLabel() + " (F5)";
    gtk_widget_set_tooltip_text(reload, reloadTip.c_str());
    gtk_accessible_update_property(GTK_ACCESSIBLE(reload), GTK_ACCESSIBLE_PROPERTY_LABEL, m_texts.ReloadLabel().c_str(),
                                   GTK_ACCESSIBLE_PROPERTY_KEY_SHORTCUTS, "F5", -1);
    gtk_header_bar_pack_start(GTK_HEADER_BAR(header), reload);

    GtkWidget* print = gtk_button_new_with_mnemonic(m_texts.PrintButton().c_str());
    gtk_actionable_set_action_name(GTK_ACTIONABLE(print), "records.print");
    gtk_widget_set_tooltip_text(print, "Ctrl+P");
    gtk_accessible_update_property(GTK_ACCESSIBLE(print), GTK_ACCESSIBLE_PROPERTY_LABEL,
                                   WithoutMnemonic(m_texts.PrintButton()).c_str(),
                                   GTK_ACCESSIBLE_PROPERTY_KEY_SHORTCUTS, "Control+P", -1);
    GtkWidget* exportButton = gtk_button_new_with_mnemonic(m_texts.ExportButton().c_str());
    gtk_actionable_set_action_name(GTK_ACTIONABLE(exportButton), "records.export");
    gtk_widget_set_tooltip_text(exportButton, "Ctrl+E");
    gtk_accessible_update_property(GTK_ACCESSIBLE(exportButton), GTK_ACCESSIBLE_PROPERTY_LABEL,
                                   WithoutMnemonic(m_texts.ExportButton()).c_str(),
                                   GTK_ACCESSIBLE_PROPERTY_KEY_SHORTCUTS, "Control+E", -1);
    gtk_header_bar_pack_end(GTK_HEADER_BAR(header), print);
    gtk_header_bar_pack_end(GTK_HEADER_BAR(header), exportButton);
    return header;
}

GtkWidget* RecordsWindow::BuildContent() {
    m_silenceBar = gtk_info_bar_new();
    gtk_info_bar_set_message_type(GTK_INFO_BAR(m_silenceBar), GTK_MESSAGE_WARNING);
    m_silenceLabel = WrappedLabel();
    gtk_info_bar_add_child(GTK_INFO_BAR(m_silenceBar), m_silenceLabel);
    gtk_info_bar_add_button(GTK_INFO_BAR(m_silenceBar), m_texts.Cancel().c_str(), kCancelResponse);
    g_signal_connect(m_silenceBar, "response", G_CALLBACK(OnSilenceResponse), this);
    gtk_widget_set_visible(m_silenceBar, FALSE);

    m_messageBar = gtk_info_bar_new();
    gtk_info_bar_set_show_close_button(GTK_INFO_BAR(m_messageBar), TRUE);
    m_messageLabel = WrappedLabel();
    gtk_info_bar_add_child(GTK_INFO_BAR(m_messageBar), m_messageLabel);
    g_signal_connect(m_messageBar, "response", G_CALLBACK(OnMessageResponse), nullptr);
    gtk_widget_set_visible(m_messageBar, FALSE);

    m_progressRow = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
    gtk_widget_set_margin_start(m_progressRow, 12);
    gtk_widget_set_margin_end(m_progressRow, 12);
    gtk_widget_set_margin_top(m_progressRow, 8);
    m_progress = gtk_progress_bar_new();
    gtk_progress_bar_set_show_text(GTK_PROGRESS_BAR(m_progress), TRUE);
    gtk_widget_set_hexpand(m_progress, TRUE);
    gtk_widget_set_valign(m_progress, GTK_ALIGN_CENTER);
    m_progressCancel = gtk_button_new_with_mnemonic(m_texts.Cancel().c_str());
    GtkWidget* cancel = m_progressCancel;
    g_signal_connect_swapped(cancel, "clicked",
                             G_CALLBACK(+[](gpointer self) { static_cast<RecordsWindow*>(self)->Cancel(); }), this);
    gtk_box_append(GTK_BOX(m_progressRow), m_progress);
    gtk_box_append(GTK_BOX(m_progressRow), cancel);
    gtk_widget_set_visible(m_progressRow, FALSE);

    m_courseRow = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
    gtk_widget_set_margin_start(m_courseRow, 12);
    gtk_widget_set_margin_top(m_courseRow, 8);
    GtkWidget* courseLabel = gtk_label_new_with_mnemonic(m_texts.CourseLabel().c_str());
    m_courses = gtk_drop_down_new(nullptr, nullptr);
    gtk_label_set_mnemonic_widget(GTK_LABEL(courseLabel), m_courses);
    gtk_accessible_update_relation(GTK_ACCESSIBLE(m_courses), GTK_ACCESSIBLE_RELATION_LABELLED_BY, courseLabel, nullptr,
                                   -1);
    g_signal_connect(m_courses, "notify::selected", G_CALLBACK(OnCourseChosen), this);
    gtk_box_append(GTK_BOX(m_courseRow), courseLabel);
    gtk_box_append(GTK_BOX(m_courseRow), m_courses);
    gtk_widget_set_visible(m_courseRow, FALSE);

    m_status = WrappedLabel();
    gtk_label_set_xalign(GTK_LABEL(m_status), 0.5f);
    gtk_label_set_justify(GTK_LABEL(m_status), GTK_JUSTIFY_CENTER);
    gtk_widget_set_margin_start(m_status, 24);
    gtk_widget_set_margin_end(m_status, 24);
    GtkWidget* paned = gtk_paned_new(GTK_ORIENTATION_VERTICAL);
    gtk_paned_set_start_child(GTK_PANED(paned), m_table.Widget());
    gtk_paned_set_end_child(GTK_PANED(paned), BuildLists());
    gtk_paned_set_position(GTK_PANED(paned), kDefaultHeight / 2);
    gtk_paned_set_shrink_start_child(GTK_PANED(paned), FALSE);
    gtk_paned_set_shrink_end_child(GTK_PANED(paned), FALSE);
    m_stack = gtk_stack_new();
    gtk_stack_add_named(GTK_STACK(m_stack), m_status, "status");
    gtk_stack_add_named(GTK_STACK(m_stack), paned, "records");
    gtk_widget_set_vexpand(m_stack, TRUE);

    GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    for (GtkWidget* part : {m_silenceBar, m_messageBar, m_progressRow, m_courseRow, m_stack}) {
        gtk_box_append(GTK_BOX(column), part);
    }
    return column;
}

GtkWidget* RecordsWindow::BuildLists() {
    m_notebook = gtk_notebook_new();
    gtk_notebook_append_page(GTK_NOTEBOOK(m_notebook), m_chart.Widget(),
                             gtk_label_new_with_mnemonic(m_texts.ChartTab().c_str()));
    m_damageTab = gtk_label_new(m_texts.DamageTab(0).c_str());
    gtk_notebook_append_page(GTK_NOTEBOOK(m_notebook), m_damage.Widget(), m_damageTab);
    GtkWidget* unreadable = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
    m_unreadableSummary = WrappedLabel();
    gtk_widget_set_margin_start(m_unreadableSummary, 8);
    gtk_widget_set_margin_top(m_unreadableSummary, 4);
    gtk_box_append(GTK_BOX(unreadable), m_unreadableSummary);
    gtk_box_append(GTK_BOX(unreadable), m_unreadable.Widget());
    m_unreadableTab = gtk_label_new(m_texts.UnreadableTab(0).c_str());
    gtk_notebook_append_page(GTK_NOTEBOOK(m_notebook), unreadable, m_unreadableTab);
    return m_notebook;
}

void RecordsWindow::Start() {
    StopReading();
    gtk_widget_set_visible(m_messageBar, FALSE);
    m_records.reset();
    m_table.Show(nullptr, nullptr);
    SetActionsEnabled(false);
    ShowStatus(m_texts.Resolving(m_shownPlace));
    // The drive list may take a moment: it is built once the window is drawn.
    m_resolve = g_idle_add_full(
        G_PRIORITY_LOW,
        [](gpointer self) -> gboolean {
            auto* window = static_cast<RecordsWindow*>(self);
            window->m_resolve = 0;
            window->Resolve();
            return G_SOURCE_REMOVE;
        },
        this, nullptr);
}

void RecordsWindow::Resolve() {
    std::string argument = m_place.empty() ? "C:" : m_place;
    std::string folder;
    std::string problem;
    // A list of its own each time: the medium a letter stands for may have
    // come since the last reading.
    m_drives.emplace(std::vector<std::pair<char, std::string>>{});
    if (!ResolveRecordsPlace(argument, &*m_drives, folder, problem)) {
        Trace("records: %s: %s", m_shownPlace.c_str(), problem.c_str());
        ShowStatus(m_texts.PlaceProblem(problem));
        return;
    }
    if (folder != argument) m_shownPlace = argument + " (" + folder + ")";
    gtk_window_set_title(m_window, m_texts.WindowTitle(m_shownPlace).c_str());
    gtk_label_set_text(GTK_LABEL(m_subtitle), m_shownPlace.c_str());
    gtk_widget_set_tooltip_text(m_subtitle, m_shownPlace.c_str());
    Read(folder);
}

void RecordsWindow::Read(const std::string& folder) {
    ShowStatus(m_texts.Reading(m_shownPlace));
    gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(m_progress), 0);
    gtk_progress_bar_set_text(GTK_PROGRESS_BAR(m_progress), m_texts.Reading(m_shownPlace).c_str());
    Trace("records: reading %s", folder.c_str());
    m_reading = std::make_unique<RecordsReading>(
        folder, RecordsReading::Listener{
                    .progress = [this](size_t done, size_t found) { OnProgress(done, found); },
                    .silence = [this](bool silent) { OnSilence(silent); },
                    .finished = [this](std::shared_ptr<const PlaceRecords> records, const std::string& failure,
                                       int64_t ms) { OnRead(std::move(records), failure, ms); }});
    m_progressDue = g_timeout_add(kProgressDelayMs, OnProgressDue, this);
}

void RecordsWindow::OnProgress(size_t done, size_t found) {
    gtk_progress_bar_set_text(GTK_PROGRESS_BAR(m_progress), m_texts.Progress(done, found).c_str());
    gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(m_progress),
                                  found ? static_cast<double>(done) / static_cast<double>(found) : 0.0);
}

void RecordsWindow::OnSilence(bool silent) {
    gtk_label_set_text(GTK_LABEL(m_silenceLabel), m_texts.NotAnswering(m_shownPlace).c_str());
    gtk_widget_set_visible(m_silenceBar, silent);
    // The bar's Cancel takes the place of the progress's, and its key.
    gtk_widget_set_visible(m_progressCancel, !silent);
    Trace(silent ? "records: %s does not answer" : "records: %s answers again", m_shownPlace.c_str());
    Trace("records: %s so far", gtk_progress_bar_get_text(GTK_PROGRESS_BAR(m_progress)));
}

void RecordsWindow::OnRead(std::shared_ptr<const PlaceRecords> records, const std::string& failure, int64_t ms) {
    StopReading();
    if (!failure.empty() || !records) {
        Trace("records: %s could not be read: %s", m_shownPlace.c_str(), failure.c_str());
        ShowStatus(m_texts.ReadFailed(failure));
        return;
    }
    size_t learners = 0;
    for (const CourseSummary& course : records->courses) learners += course.learners.size();
    Trace("records: %s: %zu courses, %zu learners read in %lld ms", m_shownPlace.c_str(), records->courses.size(),
          learners, static_cast<long long>(ms));
    if (!records->problem.empty()) {
        ShowStatus(m_texts.PlaceProblem(records->problem));
    } else if (records->courses.empty()) {
        ShowStatus(m_texts.NoCourses(records->place));
    } else {
        m_records = std::move(records);
        ShowCourses();
    }
}

void RecordsWindow::Cancel() {
    if (!m_reading) return;
    StopReading();
    Trace("records: reading %s cancelled", m_shownPlace.c_str());
    ShowStatus(m_texts.Cancelled(m_shownPlace));
}

void RecordsWindow::StopReading() {
    if (m_resolve) g_source_remove(m_resolve);
    if (m_progressDue) g_source_remove(m_progressDue);
    m_resolve = 0;
    m_progressDue = 0;
    // A reading caught in a place that does not answer is left to end on
    // its own; what it would still tell goes nowhere.
    m_reading.reset();
    gtk_widget_set_visible(m_progressRow, FALSE);
    gtk_widget_set_visible(m_progressCancel, TRUE);
    gtk_widget_set_visible(m_silenceBar, FALSE);
}

void RecordsWindow::ShowStatus(const std::string& text) {
    gtk_label_set_text(GTK_LABEL(m_status), text.c_str());
    gtk_stack_set_visible_child_name(GTK_STACK(m_stack), "status");
    gtk_widget_set_visible(m_courseRow, FALSE);
}

gboolean RecordsWindow::OnProgressDue(gpointer self) {
    auto* window = static_cast<RecordsWindow*>(self);
    window->m_progressDue = 0;
    gtk_widget_set_visible(window->m_progressRow, TRUE);
    Trace("records: progress shown");
    return G_SOURCE_REMOVE;
}

void RecordsWindow::OnSilenceResponse(GtkInfoBar*, int response, gpointer self) {
    if (response == kCancelResponse) static_cast<RecordsWindow*>(self)->Cancel();
}

void RecordsWindow::OnMessageResponse(GtkInfoBar* bar, int response, gpointer) {
    if (response == GTK_RESPONSE_CLOSE) gtk_widget_set_visible(GTK_WIDGET(bar), FALSE);
}

void RecordsWindow::OnDestroy(GtkWidget*, gpointer self) { delete static_cast<RecordsWindow*>(self); }

}  // namespace dorv
