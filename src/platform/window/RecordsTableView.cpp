#include "platform/window/RecordsTableView.h"

namespace dorv {
namespace {

constexpr const char* kLearnerKey = "dorv-learner";
constexpr const char* kRecordsKey = "dorv-records";

const LearnerSummary* LearnerOf(gpointer item) {
    return item ? static_cast<const LearnerSummary*>(g_object_get_data(G_OBJECT(item), kLearnerKey)) : nullptr;
}

}  // namespace

// What a column's factory and sorter need; the factory owns it.
struct RecordsTableView::Column {
    TableColumn column;
    bool japanese;

    static void Setup(GtkSignalListItemFactory*, GtkListItem* item, gpointer data) {
        const auto* column = static_cast<const Column*>(data);
        GtkWidget* label = gtk_label_new(nullptr);
        bool numeric = IsNumericColumn(column->column);
        gtk_label_set_xalign(GTK_LABEL(label), numeric ? 1.0f : 0.0f);
        if (column->column == TableColumn::Lectures || column->column == TableColumn::Problems) {
            gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
            gtk_label_set_width_chars(GTK_LABEL(label), 12);
        }
        gtk_list_item_set_child(item, label);
    }

    static void Bind(GtkSignalListItemFactory*, GtkListItem* item, gpointer data) {
        const auto* column = static_cast<const Column*>(data);
        const LearnerSummary* learner = LearnerOf(gtk_list_item_get_item(item));
        GtkWidget* label = gtk_list_item_get_child(item);
        if (!learner || !label) return;
        std::string text = TableCellText(*learner, column->column, column->japanese);
        gtk_label_set_text(GTK_LABEL(label), text.c_str());
        bool cut = column->column == TableColumn::Lectures || column->column == TableColumn::Problems;
        gtk_widget_set_tooltip_text(label, cut && !text.empty() ? text.c_str() : nullptr);
        bool wrong =
            (column->column == TableColumn::Problems && !learner->damage.empty()) ||
            (column->column == TableColumn::Unreadable && learner->unreadableRecords + learner->unreadableValues > 0);
        if (wrong) {
            gtk_widget_add_css_class(label, "error");
        } else {
            gtk_widget_remove_css_class(label, "error");
        }
    }

    static int Compare(gconstpointer a, gconstpointer b, gpointer data) {
        const LearnerSummary* first = LearnerOf(const_cast<gpointer>(a));
        const LearnerSummary* second = LearnerOf(const_cast<gpointer>(b));
        if (!first || !second) return 0;
        return CompareLearners(*first, *second, static_cast<const Column*>(data)->column);
    }
};

RecordsTableView::RecordsTableView(const CRecordsTexts& texts, Handlers handlers)
    : m_texts(texts), m_handlers(std::move(handlers)), m_scroller(gtk_scrolled_window_new()) {
    m_store = g_list_store_new(G_TYPE_OBJECT);
    // The view's sorter goes on the sorted model once the view is there.
    GtkSortListModel* sorted = gtk_sort_list_model_new(G_LIST_MODEL(m_store), nullptr);
    m_selection = gtk_single_selection_new(G_LIST_MODEL(sorted));
    gtk_single_selection_set_autoselect(m_selection, FALSE);
    gtk_single_selection_set_can_unselect(m_selection, TRUE);
    m_view = gtk_column_view_new(GTK_SELECTION_MODEL(m_selection));
    gtk_column_view_set_show_column_separators(GTK_COLUMN_VIEW(m_view), TRUE);
    gtk_column_view_set_show_row_separators(GTK_COLUMN_VIEW(m_view), TRUE);
    GtkColumnViewColumn* byName = nullptr;
    for (TableColumn column : kAllTableColumns) {
        // The factory and the sorter each own a description of the column:
        // either may outlive the other.
        auto* described = new Column{column, texts.Japanese()};
        GtkListItemFactory* factory = gtk_signal_list_item_factory_new();
        g_signal_connect(factory, "setup", G_CALLBACK(Column::Setup), described);
        g_signal_connect_data(
            factory, "bind", G_CALLBACK(Column::Bind), described,
            [](gpointer data, GClosure*) { delete static_cast<Column*>(data); }, GConnectFlags(0));
        GtkColumnViewColumn* viewColumn =
            gtk_column_view_column_new(TableColumnTitle(column, texts.Japanese()).c_str(), factory);
        GtkCustomSorter* sorter = gtk_custom_sorter_new(Column::Compare, new Column{column, texts.Japanese()},
                                                        [](gpointer data) { delete static_cast<Column*>(data); });
        gtk_column_view_column_set_sorter(viewColumn, GTK_SORTER(sorter));
        g_object_unref(sorter);
        gtk_column_view_column_set_resizable(viewColumn, TRUE);
        if (column == TableColumn::Problems) gtk_column_view_column_set_expand(viewColumn, TRUE);
        gtk_column_view_append_column(GTK_COLUMN_VIEW(m_view), viewColumn);
        if (column == TableColumn::Learner) byName = viewColumn;
        g_object_unref(viewColumn);
    }
    gtk_sort_list_model_set_sorter(sorted, gtk_column_view_get_sorter(GTK_COLUMN_VIEW(m_view)));
    gtk_column_view_sort_by_column(GTK_COLUMN_VIEW(m_view), byName, GTK_SORT_ASCENDING);
    g_signal_connect(m_view, "activate", G_CALLBACK(OnActivate), this);
    g_signal_connect(m_selection, "selection-changed", G_CALLBACK(OnSelectionChanged), this);

    gtk_scrolled_window_set_child(GTK_SCROLLED_WINDOW(m_scroller.get()), m_view);
    gtk_widget_set_vexpand(m_scroller.get(), TRUE);
    gtk_widget_set_hexpand(m_scroller.get(), TRUE);
}

RecordsTableView::~RecordsTableView() {
    g_signal_handlers_disconnect_by_data(m_view, this);
    g_signal_handlers_disconnect_by_data(m_selection, this);
}

void RecordsTableView::Show(const std::shared_ptr<const PlaceRecords>& records, const CourseSummary* course) {
    std::vector<gpointer> items;
    if (course) {
        items.reserve(course->learners.size());
        for (const LearnerSummary& learner : course->learners) {
            GObject* item = G_OBJECT(g_object_new(G_TYPE_OBJECT, nullptr));
            // Each row keeps the records it points into.
            g_object_set_data_full(
                item, kRecordsKey, new std::shared_ptr<const PlaceRecords>(records),
                [](gpointer data) { delete static_cast<std::shared_ptr<const PlaceRecords>*>(data); });
            g_object_set_data(item, kLearnerKey, const_cast<LearnerSummary*>(&learner));
            items.push_back(item);
        }
    }
    guint old = g_list_model_get_n_items(G_LIST_MODEL(m_store));
    g_list_store_splice(m_store, 0, old, items.data(), static_cast<guint>(items.size()));
    for (gpointer item : items) g_object_unref(item);
    std::string label = m_texts.TableLabel(course ? course->title : std::string());
    gtk_accessible_update_property(GTK_ACCESSIBLE(m_view), GTK_ACCESSIBLE_PROPERTY_LABEL, label.c_str(), -1);
}

std::vector<const LearnerSummary*> RecordsTableView::ShownLearners() const {
    std::vector<const LearnerSummary*> learners;
    guint count = g_list_model_get_n_items(G_LIST_MODEL(m_selection));
    for (guint i = 0; i < count; ++i) {
        if (const LearnerSummary* learner = At(i)) learners.push_back(learner);
    }
    return learners;
}

const LearnerSummary* RecordsTableView::Selected() const {
    guint position = gtk_single_selection_get_selected(m_selection);
    return position == GTK_INVALID_LIST_POSITION ? nullptr : At(position);
}

const LearnerSummary* RecordsTableView::At(guint position) const {
    gpointer item = g_list_model_get_item(G_LIST_MODEL(m_selection), position);
    const LearnerSummary* learner = LearnerOf(item);
    if (item) g_object_unref(item);
    return learner;
}

void RecordsTableView::OnActivate(GtkColumnView*, guint position, gpointer self) {
    auto* view = static_cast<RecordsTableView*>(self);
    const LearnerSummary* learner = view->At(position);
    if (learner && view->m_handlers.activated) view->m_handlers.activated(*learner);
}

void RecordsTableView::OnSelectionChanged(GtkSelectionModel*, guint, guint, gpointer self) {
    auto* view = static_cast<RecordsTableView*>(self);
    if (view->m_handlers.selected) view->m_handlers.selected(view->Selected());
}

}  // namespace dorv
