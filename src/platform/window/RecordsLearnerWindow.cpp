#include "platform/window/RecordsLearnerWindow.h"

#include "common/Trace.h"
#include "platform/window/Shortcuts.h"
#include "records/RecordsTable.h"

namespace dorv {
namespace {

constexpr int kDefaultWidth = 900;
constexpr int kDefaultHeight = 480;

}  // namespace

void RecordsLearnerWindow::Open(GtkWindow* parent, const CRecordsTexts& texts, const LearnerSummary& learner) {
    // Deleted when its window is destroyed.
    new RecordsLearnerWindow(parent, texts, learner);
}

RecordsLearnerWindow::RecordsLearnerWindow(GtkWindow* parent, const CRecordsTexts& texts, const LearnerSummary& learner)
    : m_texts(texts),
      m_name(learner.name),
      m_window(GTK_WINDOW(gtk_window_new())),
      m_status(gtk_label_new(texts.Reading(learner.name).c_str())),
      m_table(texts.LearnerColumns(), {0}, texts.LearnerTableLabel(learner.name)),
      m_history(std::make_shared<LearnerHistory>()) {
    gtk_window_set_title(m_window, m_texts.LearnerTitle(m_name).c_str());
    gtk_window_set_titlebar(m_window, gtk_header_bar_new());
    gtk_window_set_default_size(m_window, kDefaultWidth, kDefaultHeight);
    if (parent) {
        gtk_window_set_transient_for(m_window, parent);
        gtk_window_set_destroy_with_parent(m_window, TRUE);
    }
    gtk_label_set_xalign(GTK_LABEL(m_status), 0.0f);
    gtk_label_set_wrap(GTK_LABEL(m_status), TRUE);
    gtk_label_set_selectable(GTK_LABEL(m_status), TRUE);
    gtk_widget_set_margin_start(m_status, 12);
    gtk_widget_set_margin_end(m_status, 12);
    gtk_widget_set_margin_top(m_status, 8);
    gtk_widget_set_margin_bottom(m_status, 8);
    GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_box_append(GTK_BOX(column), m_status);
    gtk_box_append(GTK_BOX(column), m_table.Widget());
    gtk_window_set_child(m_window, column);

    GtkEventController* keys = gtk_shortcut_controller_new();
    gtk_event_controller_set_propagation_phase(keys, GTK_PHASE_CAPTURE);
    AddShortcut(keys, GDK_KEY_w, GDK_CONTROL_MASK, "window.close");
    AddShortcut(keys, GDK_KEY_Escape, GdkModifierType(0), "window.close");
    gtk_widget_add_controller(GTK_WIDGET(m_window), keys);
    g_signal_connect(m_window, "destroy", G_CALLBACK(OnDestroy), this);

    std::string folder = learner.folder;
    auto read = [folder, history = m_history](const std::atomic<bool>&, const DetachedWork::Report&) {
        *history = ReadLearnerHistory(folder);
    };
    m_reading = std::make_unique<DetachedWork>(std::move(read), nullptr, [this] { ShowHistory(); });
    gtk_window_present(m_window);
    gtk_widget_grab_focus(m_table.View());
}

RecordsLearnerWindow::~RecordsLearnerWindow() = default;

void RecordsLearnerWindow::ShowHistory() {
    std::string failure = m_reading->Failure();
    if (!failure.empty()) {
        gtk_label_set_text(GTK_LABEL(m_status), m_texts.ReadFailed(failure).c_str());
        return;
    }
    const LearnerHistory& history = *m_history;
    std::vector<LearnerRow> rows = LearnerRows(history, m_texts);
    std::vector<TextRow> shown;
    shown.reserve(rows.size());
    for (LearnerRow& row : rows) {
        TextRow& text = shown.emplace_back();
        text.cells.push_back(std::to_string(row.line));
        text.cells.push_back(std::move(row.note));
        for (std::string& cell : row.columns) text.cells.push_back(std::move(cell));
        text.marked = row.unreadable;
    }
    std::string status = m_texts.LearnerSummaryLine(history.records.size(), history.unreadableRecords);
    if (history.state != HistoryState::Ok) {
        status = HistoryStateText(history.state, m_texts.Japanese()) +
                 (history.error.empty() ? std::string() : ": " + history.error) + "\n" + status;
    }
    if (history.unreadableRecords > static_cast<long long>(history.unreadableLines.size())) {
        status += "\n" + m_texts.LinesLeftOut(history.unreadableRecords, history.unreadableLines.size());
    }
    gtk_label_set_text(GTK_LABEL(m_status), status.c_str());
    m_table.SetRows(std::move(shown));
    Trace("records: the records of %s: %zu records, %lld unreadable lines", m_name.c_str(), history.records.size(),
          history.unreadableRecords);
}

void RecordsLearnerWindow::OnDestroy(GtkWidget*, gpointer self) { delete static_cast<RecordsLearnerWindow*>(self); }

}  // namespace dorv
