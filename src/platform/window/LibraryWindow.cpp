#include "platform/window/LibraryWindow.h"

#include <set>

#include "common/Trace.h"
#include "library/NameSearch.h"
#include "platform/window/GtkModalDialog.h"
#include "platform/window/X11Window.h"

namespace dorv {
namespace {

// Fits a screen of 800 x 600 with the desktop's panels.
constexpr int kDefaultWidth = 720;
constexpr int kDefaultHeight = 520;

GtkWidget* CentredLabel(const std::string& text) {
    GtkWidget* label = gtk_label_new(text.c_str());
    gtk_label_set_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_justify(GTK_LABEL(label), GTK_JUSTIFY_CENTER);
    return label;
}

void AddShortcut(GtkEventController* controller, guint key, GtkShortcutAction* action) {
    gtk_shortcut_controller_add_shortcut(GTK_SHORTCUT_CONTROLLER(controller),
                                         gtk_shortcut_new(gtk_keyval_trigger_new(key, GDK_CONTROL_MASK), action));
}

}  // namespace

// GTK keeps toplevel windows until they are destroyed; the extra reference
// keeps the object itself valid until this one is gone.
LibraryWindow::LibraryWindow(CCourseLibrary& library, CLibraryTexts texts, Handlers handlers)
    : m_library(library),
      m_texts(texts),
      m_handlers(std::move(handlers)),
      m_window(GTK_WINDOW(g_object_ref(gtk_window_new()))) {
    GtkWindow* window = m_window.get();
    gtk_window_set_title(window, m_texts.Title().c_str());
    gtk_window_set_default_size(window, kDefaultWidth, kDefaultHeight);
    gtk_window_set_titlebar(window, BuildHeaderBar());
    gtk_window_set_child(window, BuildContent());

    GtkEventController* shortcuts = gtk_shortcut_controller_new();
    gtk_event_controller_set_propagation_phase(shortcuts, GTK_PHASE_CAPTURE);
    AddShortcut(shortcuts, GDK_KEY_q, gtk_named_action_new("window.close"));
    AddShortcut(shortcuts, GDK_KEY_w, gtk_named_action_new("window.close"));
    AddShortcut(shortcuts, GDK_KEY_f, gtk_callback_action_new(OnFind, this, nullptr));
    gtk_widget_add_controller(GTK_WIDGET(window), shortcuts);
    // Escape closes the search wherever the keyboard is; the search entry
    // takes it first.
    GtkEventController* escape = gtk_shortcut_controller_new();
    gtk_shortcut_controller_add_shortcut(GTK_SHORTCUT_CONTROLLER(escape),
                                         gtk_shortcut_new(gtk_keyval_trigger_new(GDK_KEY_Escape, GdkModifierType(0)),
                                                          gtk_callback_action_new(OnEscape, this, nullptr)));
    gtk_widget_add_controller(GTK_WIDGET(window), escape);

    g_signal_connect(window, "close-request", G_CALLBACK(+[](GtkWindow*, gpointer self) -> gboolean {
                         if (IsModalDialogOpen()) return TRUE;
                         OnDestroy(nullptr, self);
                         return FALSE;
                     }),
                     this);
    g_signal_connect(window, "realize", G_CALLBACK(OnRealize), nullptr);
    ListChanged();
}

LibraryWindow::~LibraryWindow() {
    g_signal_handlers_disconnect_by_data(m_window.get(), this);
    gtk_list_box_set_filter_func(GTK_LIST_BOX(m_list), nullptr, nullptr, nullptr);
    if (!m_destroyed) gtk_window_destroy(m_window.get());
}

GtkWidget* LibraryWindow::BuildHeaderBar() {
    GtkWidget* header = gtk_header_bar_new();
    m_searchButton = gtk_toggle_button_new();
    gtk_button_set_icon_name(GTK_BUTTON(m_searchButton), "system-search-symbolic");
    std::string searchLabel = m_texts.SearchButton() + " (Ctrl+F)";
    gtk_widget_set_tooltip_text(m_searchButton, searchLabel.c_str());
    gtk_accessible_update_property(GTK_ACCESSIBLE(m_searchButton), GTK_ACCESSIBLE_PROPERTY_LABEL,
                                   m_texts.SearchButton().c_str(), GTK_ACCESSIBLE_PROPERTY_KEY_SHORTCUTS, "Control+F",
                                   -1);
    gtk_widget_set_visible(m_searchButton, FALSE);
    gtk_header_bar_pack_start(GTK_HEADER_BAR(header), m_searchButton);
    if (m_handlers.records) {
        GtkWidget* records = gtk_button_new_with_mnemonic(m_texts.RecordsButton().c_str());
        gtk_widget_set_tooltip_text(records, m_texts.RecordsButtonLabel().c_str());
        gtk_accessible_update_property(GTK_ACCESSIBLE(records), GTK_ACCESSIBLE_PROPERTY_DESCRIPTION,
                                       m_texts.RecordsButtonLabel().c_str(), -1);
        g_signal_connect(records, "clicked", G_CALLBACK(OnRecords), this);
        gtk_header_bar_pack_end(GTK_HEADER_BAR(header), records);
        Trace("library: the records button is shown");
    }
    return header;
}

GtkWidget* LibraryWindow::BuildContent() {
    m_searchEntry = gtk_search_entry_new();
    g_object_set(m_searchEntry, "placeholder-text", m_texts.SearchPlaceholder().c_str(), nullptr);
    gtk_accessible_update_property(GTK_ACCESSIBLE(m_searchEntry), GTK_ACCESSIBLE_PROPERTY_LABEL,
                                   m_texts.SearchButton().c_str(), -1);
    gtk_widget_set_hexpand(m_searchEntry, TRUE);
    g_signal_connect(m_searchEntry, "search-changed", G_CALLBACK(OnSearchChanged), this);
    g_signal_connect(m_searchEntry, "activate", G_CALLBACK(OnSearchActivated), this);
    m_searchBar = gtk_search_bar_new();
    gtk_search_bar_set_child(GTK_SEARCH_BAR(m_searchBar), m_searchEntry);
    gtk_search_bar_connect_entry(GTK_SEARCH_BAR(m_searchBar), GTK_EDITABLE(m_searchEntry));
    // Typing anywhere in the window goes to the search (opening it), also
    // while the search bar is still being revealed and cannot take focus.
    gtk_search_bar_set_key_capture_widget(GTK_SEARCH_BAR(m_searchBar), GTK_WIDGET(m_window.get()));
    GtkEventController* focus = gtk_event_controller_focus_new();
    g_signal_connect(focus, "enter", G_CALLBACK(+[](GtkEventControllerFocus*, gpointer) {
                         Trace("library: the search has the keyboard");
                     }),
                     nullptr);
    gtk_widget_add_controller(m_searchEntry, focus);
    g_object_bind_property(m_searchButton, "active", m_searchBar, "search-mode-enabled",
                           GBindingFlags(G_BINDING_BIDIRECTIONAL | G_BINDING_SYNC_CREATE));
    g_signal_connect(m_searchBar, "notify::search-mode-enabled", G_CALLBACK(OnSearchMode), this);

    m_list = gtk_list_box_new();
    gtk_list_box_set_selection_mode(GTK_LIST_BOX(m_list), GTK_SELECTION_SINGLE);
    gtk_list_box_set_activate_on_single_click(GTK_LIST_BOX(m_list), FALSE);
    gtk_list_box_set_filter_func(GTK_LIST_BOX(m_list), Filter, this, nullptr);
    gtk_list_box_set_sort_func(GTK_LIST_BOX(m_list), Sort, nullptr, nullptr);
    gtk_accessible_update_property(GTK_ACCESSIBLE(m_list), GTK_ACCESSIBLE_PROPERTY_LABEL, m_texts.ListLabel().c_str(),
                                   -1);
    m_noMatch = CentredLabel("");
    gtk_widget_set_margin_top(m_noMatch, 24);
    gtk_list_box_set_placeholder(GTK_LIST_BOX(m_list), m_noMatch);
    g_signal_connect(m_list, "row-activated", G_CALLBACK(OnRowActivated), this);
    m_scroller = gtk_scrolled_window_new();
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(m_scroller), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_child(GTK_SCROLLED_WINDOW(m_scroller), m_list);
    gtk_widget_set_vexpand(m_scroller, TRUE);
    g_signal_connect(gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(m_scroller)), "changed",
                     G_CALLBACK(OnScrollChanged), this);

    GtkWidget* empty = gtk_box_new(GTK_ORIENTATION_VERTICAL, 12);
    gtk_widget_set_valign(empty, GTK_ALIGN_CENTER);
    gtk_widget_set_margin_start(empty, 24);
    gtk_widget_set_margin_end(empty, 24);
    GtkWidget* emptyTitle = CentredLabel(m_texts.EmptyTitle());
    gtk_widget_add_css_class(emptyTitle, "title-2");
    m_emptyText = CentredLabel("");
    gtk_label_set_selectable(GTK_LABEL(m_emptyText), TRUE);
    gtk_box_append(GTK_BOX(empty), emptyTitle);
    gtk_box_append(GTK_BOX(empty), m_emptyText);

    m_stack = gtk_stack_new();
    gtk_stack_add_named(GTK_STACK(m_stack), CentredLabel(m_texts.SearchingText()), "searching");
    gtk_stack_add_named(GTK_STACK(m_stack), empty, "empty");
    gtk_stack_add_named(GTK_STACK(m_stack), m_scroller, "list");

    GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_box_append(GTK_BOX(column), m_searchBar);
    gtk_box_append(GTK_BOX(column), m_stack);
    return column;
}

void LibraryWindow::Present() {
    gtk_window_present(m_window.get());
    Trace("library: window shown");
    FocusFirstRow();
}

void LibraryWindow::ListChanged() {
    const std::vector<CourseEntry>& courses = m_library.Courses();
    std::set<std::string> listed;
    for (const CourseEntry& entry : courses) listed.insert(entry.folder);
    for (auto it = m_rows.begin(); it != m_rows.end();) {
        if (listed.count(it->first)) {
            ++it;
            continue;
        }
        gtk_list_box_remove(GTK_LIST_BOX(m_list), it->second->Widget());
        it = m_rows.erase(it);
    }
    int order = 0;
    for (const CourseEntry& entry : courses) {
        std::unique_ptr<LibraryRow>& row = m_rows[entry.folder];
        if (!row) {
            row = std::make_unique<LibraryRow>(entry.folder, [this](const std::string& folder) { Start(folder); });
            gtk_list_box_append(GTK_LIST_BOX(m_list), row->Widget());
        }
        row->order = order++;
        row->Show(entry, m_library.IsRunning(entry.folder), m_texts);
    }
    gtk_list_box_invalidate_sort(GTK_LIST_BOX(m_list));
    gtk_list_box_invalidate_filter(GTK_LIST_BOX(m_list));
    gtk_label_set_text(GTK_LABEL(m_emptyText), m_texts.EmptyText(m_library.Places()).c_str());
    ShowPage();
}

void LibraryWindow::CourseChanged(const std::string& folder) {
    auto it = m_rows.find(folder);
    const CourseEntry* entry = m_library.Find(folder);
    if (it == m_rows.end() || !entry) return;
    it->second->Show(*entry, m_library.IsRunning(folder), m_texts);
    gtk_list_box_row_changed(GTK_LIST_BOX_ROW(it->second->Widget()));
}

void LibraryWindow::ShowStartFailure(const std::string& name, const std::string& error) {
    RunModalDialog(m_window.get(), {.title = m_texts.StartFailedTitle(),
                                    .iconName = "dialog-error",
                                    .text = m_texts.StartFailed(name, error),
                                    .buttons = {"OK"}});
}

void LibraryWindow::ShowPage() {
    const char* page = !m_library.HasSearched() ? "searching" : m_library.Courses().empty() ? "empty" : "list";
    gtk_stack_set_visible_child_name(GTK_STACK(m_stack), page);
    GtkWidget* focus = gtk_window_get_focus(m_window.get());
    // The keyboard goes to the list when it first has courses, and back to
    // it when the row that had it went with its medium.
    bool lost = !focus || !gtk_widget_get_mapped(focus);
    if (page == std::string("list") && (!m_focused || lost) && gtk_widget_get_visible(GTK_WIDGET(m_window.get()))) {
        FocusFirstRow();
    }
}

void LibraryWindow::FocusFirstRow() {
    GtkListBoxRow* selected = gtk_list_box_get_selected_row(GTK_LIST_BOX(m_list));
    GtkListBoxRow* row = selected && gtk_widget_get_child_visible(GTK_WIDGET(selected)) ? selected : nullptr;
    for (int i = 0; !row; ++i) {
        GtkListBoxRow* candidate = gtk_list_box_get_row_at_index(GTK_LIST_BOX(m_list), i);
        if (!candidate) return;
        if (gtk_widget_get_child_visible(GTK_WIDGET(candidate))) row = candidate;
    }
    gtk_list_box_select_row(GTK_LIST_BOX(m_list), row);
    gtk_widget_grab_focus(GTK_WIDGET(row));
    m_focused = true;
}

std::string LibraryWindow::SelectedFolder() const {
    GtkListBoxRow* selected = gtk_list_box_get_selected_row(GTK_LIST_BOX(m_list));
    LibraryRow* row = selected ? LibraryRow::Of(selected) : nullptr;
    return row ? row->Folder() : std::string();
}

void LibraryWindow::Start(const std::string& folder) { m_library.Start(folder); }

void LibraryWindow::UpdateSearchButton() {
    GtkAdjustment* scroll = gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(m_scroller));
    bool scrolls = gtk_adjustment_get_upper(scroll) > gtk_adjustment_get_page_size(scroll) + 0.5;
    bool searching = gtk_search_bar_get_search_mode(GTK_SEARCH_BAR(m_searchBar));
    gtk_widget_set_visible(m_searchButton, scrolls || searching);
}

void LibraryWindow::OnRowActivated(GtkListBox*, GtkListBoxRow* widget, gpointer self) {
    LibraryRow* row = LibraryRow::Of(widget);
    if (row && row->CanStart()) static_cast<LibraryWindow*>(self)->Start(row->Folder());
}

gboolean LibraryWindow::Filter(GtkListBoxRow* widget, gpointer self) {
    LibraryRow* row = LibraryRow::Of(widget);
    return !row || MatchesSearch(row->Name(), static_cast<LibraryWindow*>(self)->m_query);
}

int LibraryWindow::Sort(GtkListBoxRow* a, GtkListBoxRow* b, gpointer) {
    LibraryRow* first = LibraryRow::Of(a);
    LibraryRow* second = LibraryRow::Of(b);
    return (first ? first->order : 0) - (second ? second->order : 0);
}

void LibraryWindow::OnSearchChanged(GtkSearchEntry* entry, gpointer self) {
    auto* window = static_cast<LibraryWindow*>(self);
    window->m_query = gtk_editable_get_text(GTK_EDITABLE(entry));
    gtk_label_set_text(GTK_LABEL(window->m_noMatch), window->m_texts.NoMatch(window->m_query).c_str());
    gtk_list_box_invalidate_filter(GTK_LIST_BOX(window->m_list));
}

// Enter in the search goes to the first course found, with what was typed
// up to the Enter (the entry tells of changes only after a pause).
void LibraryWindow::OnSearchActivated(GtkSearchEntry* entry, gpointer self) {
    auto* window = static_cast<LibraryWindow*>(self);
    OnSearchChanged(entry, self);
    gtk_list_box_unselect_all(GTK_LIST_BOX(window->m_list));
    window->FocusFirstRow();
    Trace("library: search \"%s\" went to the first course found", window->m_query.c_str());
}

void LibraryWindow::OnSearchMode(GObject*, GParamSpec*, gpointer self) {
    auto* window = static_cast<LibraryWindow*>(self);
    if (gtk_search_bar_get_search_mode(GTK_SEARCH_BAR(window->m_searchBar))) {
        gtk_widget_grab_focus(window->m_searchEntry);
        Trace("library: search opened");
    } else {
        window->FocusFirstRow();
    }
    window->UpdateSearchButton();
}

void LibraryWindow::OnScrollChanged(GtkAdjustment*, gpointer self) {
    static_cast<LibraryWindow*>(self)->UpdateSearchButton();
}

gboolean LibraryWindow::OnFind(GtkWidget*, GVariant*, gpointer self) {
    auto* window = static_cast<LibraryWindow*>(self);
    gtk_search_bar_set_search_mode(GTK_SEARCH_BAR(window->m_searchBar), TRUE);
    gtk_widget_grab_focus(window->m_searchEntry);
    return TRUE;
}

gboolean LibraryWindow::OnEscape(GtkWidget*, GVariant*, gpointer self) {
    auto* window = static_cast<LibraryWindow*>(self);
    if (!gtk_search_bar_get_search_mode(GTK_SEARCH_BAR(window->m_searchBar))) return FALSE;
    gtk_search_bar_set_search_mode(GTK_SEARCH_BAR(window->m_searchBar), FALSE);
    return TRUE;
}

void LibraryWindow::OnRecords(GtkButton*, gpointer self) {
    auto* window = static_cast<LibraryWindow*>(self);
    if (window->m_handlers.records) window->m_handlers.records(window->SelectedFolder());
}

void LibraryWindow::OnDestroy(GtkWidget*, gpointer self) {
    auto* window = static_cast<LibraryWindow*>(self);
    if (window->m_destroyed) return;
    window->m_destroyed = true;
    Trace("library: window closed");
    if (window->m_handlers.destroyed) window->m_handlers.destroyed();
}

void LibraryWindow::OnRealize(GtkWidget* widget, gpointer) { SetProgramClass(GTK_WINDOW(widget)); }

}  // namespace dorv
