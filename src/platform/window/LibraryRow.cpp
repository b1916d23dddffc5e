#include "platform/window/LibraryRow.h"

namespace dorv {
namespace {

constexpr const char* kRowKey = "dorv-library-row";

GtkWidget* LineLabel(bool wrap) {
    GtkWidget* label = gtk_label_new(nullptr);
    gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    if (wrap) {
        gtk_label_set_wrap(GTK_LABEL(label), TRUE);
        gtk_label_set_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
    } else {
        gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_MIDDLE);
    }
    return label;
}

void SetText(GtkWidget* label, const std::string& text) {
    gtk_label_set_text(GTK_LABEL(label), text.c_str());
    gtk_widget_set_visible(label, !text.empty());
}

}  // namespace

LibraryRow::LibraryRow(std::string folder, std::function<void(const std::string&)> start)
    : m_folder(std::move(folder)), m_start(std::move(start)), m_row(gtk_list_box_row_new()) {
    m_nameLabel = LineLabel(false);
    PangoAttrList* bold = pango_attr_list_new();
    pango_attr_list_insert(bold, pango_attr_weight_new(PANGO_WEIGHT_BOLD));
    gtk_label_set_attributes(GTK_LABEL(m_nameLabel), bold);
    pango_attr_list_unref(bold);
    m_copyrightLabel = LineLabel(false);
    m_placeLabel = LineLabel(false);
    gtk_widget_add_css_class(m_copyrightLabel, "dim-label");
    gtk_widget_add_css_class(m_placeLabel, "dim-label");
    m_statusLabel = LineLabel(true);

    GtkWidget* lines = gtk_box_new(GTK_ORIENTATION_VERTICAL, 2);
    gtk_widget_set_hexpand(lines, TRUE);
    for (GtkWidget* label : {m_nameLabel, m_copyrightLabel, m_placeLabel, m_statusLabel}) {
        gtk_box_append(GTK_BOX(lines), label);
    }
    m_startButton = gtk_button_new_with_label("");
    gtk_widget_set_valign(m_startButton, GTK_ALIGN_CENTER);
    g_signal_connect(m_startButton, "clicked", G_CALLBACK(OnStart), this);

    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
    gtk_widget_set_margin_top(box, 8);
    gtk_widget_set_margin_bottom(box, 8);
    gtk_widget_set_margin_start(box, 12);
    gtk_widget_set_margin_end(box, 12);
    gtk_box_append(GTK_BOX(box), lines);
    gtk_box_append(GTK_BOX(box), m_startButton);
    gtk_list_box_row_set_child(GTK_LIST_BOX_ROW(m_row.get()), box);
    g_object_set_data(G_OBJECT(m_row.get()), kRowKey, this);
}

LibraryRow* LibraryRow::Of(GtkListBoxRow* widget) {
    return static_cast<LibraryRow*>(g_object_get_data(G_OBJECT(widget), kRowKey));
}

void LibraryRow::Show(const CourseEntry& entry, bool running, const CLibraryTexts& texts) {
    m_name = entry.DisplayName();
    m_canStart = running || !entry.StartUpChecked() || entry.starts;
    gtk_label_set_text(GTK_LABEL(m_nameLabel), m_name.c_str());
    SetText(m_copyrightLabel, entry.copyright);
    SetText(m_placeLabel, texts.PlaceLine(entry));
    std::string status = texts.StatusLine(entry, running);
    SetText(m_statusLabel, status);
    gtk_widget_remove_css_class(m_statusLabel, "error");
    gtk_widget_remove_css_class(m_statusLabel, "warning");
    if (!m_canStart) {
        gtk_widget_add_css_class(m_statusLabel, "error");
    } else if (!running && entry.hasProblems) {
        gtk_widget_add_css_class(m_statusLabel, "warning");
    }
    // The check's own last line, for the administrator.
    gtk_widget_set_tooltip_text(m_statusLabel, entry.summary.empty() ? nullptr : entry.summary.c_str());

    gtk_button_set_label(GTK_BUTTON(m_startButton), texts.StartButton(running).c_str());
    gtk_widget_set_sensitive(m_startButton, m_canStart);
    gtk_list_box_row_set_activatable(GTK_LIST_BOX_ROW(m_row.get()), m_canStart);

    std::string rowLabel = texts.RowLabel(entry, running);
    gtk_accessible_update_property(GTK_ACCESSIBLE(m_row.get()), GTK_ACCESSIBLE_PROPERTY_LABEL, rowLabel.c_str(),
                                   GTK_ACCESSIBLE_PROPERTY_DESCRIPTION, status.c_str(), -1);
    std::string buttonLabel = texts.StartButtonLabel(m_name, running);
    gtk_accessible_update_property(GTK_ACCESSIBLE(m_startButton), GTK_ACCESSIBLE_PROPERTY_LABEL, buttonLabel.c_str(),
                                   -1);
}

void LibraryRow::OnStart(GtkButton*, gpointer self) {
    auto* row = static_cast<LibraryRow*>(self);
    if (row->m_start) row->m_start(row->m_folder);
}

}  // namespace dorv
