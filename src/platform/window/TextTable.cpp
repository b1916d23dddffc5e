#include "platform/window/TextTable.h"

namespace dorv {
namespace {

constexpr const char* kRowKey = "dorv-text-row";
// Texts of the last column longer than this may be cut at its edge: their
// tooltip shows them whole.
constexpr size_t kLongText = 24;

}  // namespace

struct TextTable::Column {
    size_t index;
    bool rightAligned;
    bool last;  // takes the room that is left, and cuts what does not fit
};

TextTable::TextTable(const std::vector<std::string>& titles, const std::vector<size_t>& rightAligned,
                     const std::string& label)
    : m_scroller(gtk_scrolled_window_new()) {
    m_store = g_list_store_new(G_TYPE_OBJECT);
    GtkSelectionModel* selection = GTK_SELECTION_MODEL(gtk_single_selection_new(G_LIST_MODEL(m_store)));
    gtk_single_selection_set_autoselect(GTK_SINGLE_SELECTION(selection), FALSE);
    m_view = gtk_column_view_new(selection);
    gtk_column_view_set_show_column_separators(GTK_COLUMN_VIEW(m_view), TRUE);
    gtk_column_view_set_reorderable(GTK_COLUMN_VIEW(m_view), FALSE);
    for (size_t i = 0; i < titles.size(); ++i) {
        bool right = false;
        for (size_t index : rightAligned) right = right || index == i;
        // The factory owns its column's description: the view may bind rows
        // for as long as it lives, which can be longer than this object.
        auto* column = new Column{i, right, i + 1 == titles.size()};
        GtkListItemFactory* factory = gtk_signal_list_item_factory_new();
        g_signal_connect(factory, "setup", G_CALLBACK(OnSetup), column);
        g_signal_connect_data(
            factory, "bind", G_CALLBACK(OnBind), column,
            [](gpointer data, GClosure*) { delete static_cast<Column*>(data); }, GConnectFlags(0));
        GtkColumnViewColumn* viewColumn = gtk_column_view_column_new(titles[i].c_str(), factory);
        gtk_column_view_column_set_resizable(viewColumn, TRUE);
        if (i + 1 == titles.size()) gtk_column_view_column_set_expand(viewColumn, TRUE);
        gtk_column_view_append_column(GTK_COLUMN_VIEW(m_view), viewColumn);
        g_object_unref(viewColumn);
    }
    SetLabel(label);
    gtk_scrolled_window_set_child(GTK_SCROLLED_WINDOW(m_scroller.get()), m_view);
    gtk_widget_set_vexpand(m_scroller.get(), TRUE);
    gtk_widget_set_hexpand(m_scroller.get(), TRUE);
}

TextTable::~TextTable() = default;

void TextTable::SetRows(std::vector<TextRow> rows) {
    std::vector<gpointer> items;
    items.reserve(rows.size());
    for (TextRow& row : rows) {
        GObject* item = G_OBJECT(g_object_new(G_TYPE_OBJECT, nullptr));
        g_object_set_data_full(item, kRowKey, new TextRow(std::move(row)),
                               [](gpointer data) { delete static_cast<TextRow*>(data); });
        items.push_back(item);
    }
    guint old = g_list_model_get_n_items(G_LIST_MODEL(m_store));
    g_list_store_splice(m_store, 0, old, items.data(), static_cast<guint>(items.size()));
    for (gpointer item : items) g_object_unref(item);
}

void TextTable::SetLabel(const std::string& label) {
    gtk_accessible_update_property(GTK_ACCESSIBLE(m_view), GTK_ACCESSIBLE_PROPERTY_LABEL, label.c_str(), -1);
}

void TextTable::OnSetup(GtkSignalListItemFactory*, GtkListItem* item, gpointer data) {
    const auto* column = static_cast<const Column*>(data);
    GtkWidget* label = gtk_label_new(nullptr);
    gtk_label_set_xalign(GTK_LABEL(label), column->rightAligned ? 1.0f : 0.0f);
    if (column->last) {
        gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
        gtk_label_set_width_chars(GTK_LABEL(label), 16);
    }
    gtk_list_item_set_child(item, label);
}

void TextTable::OnBind(GtkSignalListItemFactory*, GtkListItem* item, gpointer data) {
    const auto* column = static_cast<const Column*>(data);
    GtkWidget* label = gtk_list_item_get_child(item);
    const auto* row = static_cast<const TextRow*>(g_object_get_data(G_OBJECT(gtk_list_item_get_item(item)), kRowKey));
    if (!label || !row) return;
    const std::string& text = column->index < row->cells.size() ? row->cells[column->index] : std::string();
    gtk_label_set_text(GTK_LABEL(label), text.c_str());
    gtk_widget_set_tooltip_text(label, column->last && text.size() > kLongText ? text.c_str() : nullptr);
    if (row->marked) {
        gtk_widget_add_css_class(label, "error");
    } else {
        gtk_widget_remove_css_class(label, "error");
    }
}

}  // namespace dorv
