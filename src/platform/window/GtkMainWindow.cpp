#include "platform/window/GtkMainWindow.h"

#include "common/PageArea.h"
#include "common/Trace.h"
#include "platform/window/GtkModalDialog.h"
#include "platform/window/X11Window.h"

namespace dorv {
namespace {

GMenuModel* BuildMenu() {
    GMenu* bar = g_menu_new();
    GMenu* file = g_menu_new();
    g_menu_append(file, "終了(_X)", "win.exit");
    g_menu_append_submenu(bar, "ファイル(_F)", G_MENU_MODEL(file));
    GMenu* help = g_menu_new();
    g_menu_append(help, "バージョン情報(_A)...", "win.about");
    g_menu_append_submenu(bar, "ヘルプ(_H)", G_MENU_MODEL(help));
    g_object_unref(file);
    g_object_unref(help);
    return G_MENU_MODEL(bar);
}

void RunHandler(GSimpleAction*, GVariant*, gpointer data) {
    auto& handler = *static_cast<std::function<void()>*>(data);
    if (handler) handler();
}

bool IsWithin(GtkWidget* widget, GtkWidget* container) {
    return widget && (widget == container || gtk_widget_is_ancestor(widget, container));
}

// Inside an open menu of the menu bar.
bool IsInPopover(GtkWidget* widget) {
    for (; widget; widget = gtk_widget_get_parent(widget)) {
        if (GTK_IS_POPOVER(widget)) return true;
    }
    return false;
}

// The page area is the size set for the page (800 x 600, larger when the
// window is zoomed) whatever the page asks for: the engine's own dialogs
// over the page (alert, confirm, prompt) ask for more, and the window, which
// takes its content's natural size, would grow with them.
void MeasurePageArea(GtkWidget* area, GtkOrientation orientation, int, int* minimum, int* natural, int* minimumBaseline,
                     int* naturalBaseline) {
    for (GtkWidget* child = gtk_widget_get_first_child(area); child; child = gtk_widget_get_next_sibling(child)) {
        gtk_widget_measure(child, orientation, -1, nullptr, nullptr, nullptr, nullptr);
    }
    int width = kPageWidth, height = kPageHeight;
    if (GtkWidget* page = gtk_widget_get_first_child(area)) gtk_widget_get_size_request(page, &width, &height);
    *minimum = *natural = orientation == GTK_ORIENTATION_HORIZONTAL ? width : height;
    *minimumBaseline = *naturalBaseline = -1;
}

void AllocatePageArea(GtkWidget* area, int width, int height, int) {
    for (GtkWidget* child = gtk_widget_get_first_child(area); child; child = gtk_widget_get_next_sibling(child)) {
        gtk_widget_allocate(child, width, height, -1, nullptr);
    }
}

GtkWidget* PageArea(GtkWidget* page) {
    GtkWidget* area = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_widget_set_layout_manager(area, gtk_custom_layout_new(nullptr, MeasurePageArea, AllocatePageArea));
    gtk_box_append(GTK_BOX(area), page);
    return area;
}

}  // namespace

// GTK keeps toplevel windows until they are destroyed; the extra reference
// keeps the object itself valid until this one is gone.
GtkMainWindow::GtkMainWindow(GtkWidget* page) : m_window(GTK_WINDOW(g_object_ref(gtk_window_new()))), m_page(page) {
    GtkWindow* window = m_window.get();
    gtk_window_set_title(window, "DORV");
    gtk_window_set_resizable(window, FALSE);

    GSimpleActionGroup* actions = g_simple_action_group_new();
    GSimpleAction* exit = g_simple_action_new("exit", nullptr);
    g_signal_connect(exit, "activate", G_CALLBACK(RunHandler), &m_handlers.close);
    GSimpleAction* about = g_simple_action_new("about", nullptr);
    g_signal_connect(about, "activate", G_CALLBACK(RunHandler), &m_handlers.about);
    g_action_map_add_action(G_ACTION_MAP(actions), G_ACTION(exit));
    g_action_map_add_action(G_ACTION_MAP(actions), G_ACTION(about));
    g_object_unref(exit);
    g_object_unref(about);
    gtk_widget_insert_action_group(GTK_WIDGET(window), "win", G_ACTION_GROUP(actions));
    g_object_unref(actions);

    // Ctrl+W is Exit. Caught before the page sees the key, so that no page
    // can keep the window open by swallowing it.
    GtkEventController* shortcuts = gtk_shortcut_controller_new();
    gtk_event_controller_set_propagation_phase(shortcuts, GTK_PHASE_CAPTURE);
    gtk_shortcut_controller_add_shortcut(
        GTK_SHORTCUT_CONTROLLER(shortcuts),
        gtk_shortcut_new(gtk_keyval_trigger_new(GDK_KEY_w, GDK_CONTROL_MASK), gtk_named_action_new("win.exit")));
    gtk_widget_add_controller(GTK_WIDGET(window), shortcuts);

    GMenuModel* model = BuildMenu();
    m_menuBar = gtk_popover_menu_bar_new_from_model(model);
    g_object_unref(model);

    gtk_widget_set_size_request(page, kPageWidth, kPageHeight);
    gtk_widget_set_hexpand(page, FALSE);
    gtk_widget_set_vexpand(page, FALSE);

    // The menu bar's row ends in a mark that shows while a page records
    // the learner's voice (outside the page area, where no page can hide it).
    GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
    gtk_widget_set_hexpand(m_menuBar, TRUE);
    gtk_box_append(GTK_BOX(row), m_menuBar);
    m_recordingMark = gtk_label_new("● 録音中");
    gtk_widget_add_css_class(m_recordingMark, "recording-mark");
    gtk_widget_set_margin_end(m_recordingMark, 8);
    gtk_widget_set_visible(m_recordingMark, FALSE);
    gtk_widget_set_tooltip_text(m_recordingMark, "マイクで録音しています");
    gtk_box_append(GTK_BOX(row), m_recordingMark);

    GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_box_append(GTK_BOX(column), row);
    gtk_box_append(GTK_BOX(column), PageArea(page));
    gtk_window_set_child(window, column);

    g_signal_connect(window, "close-request", G_CALLBACK(OnCloseRequest), this);
    g_signal_connect(window, "realize", G_CALLBACK(OnRealize), this);
    g_signal_connect(window, "notify::focus-widget", G_CALLBACK(OnFocusChanged), this);
}

GtkMainWindow::~GtkMainWindow() {
    if (m_focusSource) g_source_remove(m_focusSource);
    if (m_surface) g_signal_handlers_disconnect_by_data(m_surface, this);
    g_signal_handlers_disconnect_by_data(m_window.get(), this);
    if (!m_destroyed) gtk_window_destroy(m_window.get());
}

void GtkMainWindow::Present() {
    gtk_window_present(m_window.get());
    gtk_widget_grab_focus(m_page);
}

void GtkMainWindow::ShowRecording(bool recording) { gtk_widget_set_visible(m_recordingMark, recording); }

void GtkMainWindow::SetTitle(const std::string& title) { gtk_window_set_title(m_window.get(), title.c_str()); }

void GtkMainWindow::Destroy() {
    if (m_destroyed) return;
    m_destroyed = true;
    // No dialog of the program stays on the screen without its window.
    DismissModalDialogs();
    // The window stays referenced by this object, so GTK does not emit
    // "destroy" here: say it ourselves.
    gtk_window_destroy(m_window.get());
    if (m_handlers.destroyed) m_handlers.destroyed();
}

// The menu bar gives the keyboard back to the page whenever a menu closes
// (by a choice, by Escape or by a click elsewhere): keys meant for the page,
// Space above all, must never reach a menu item instead.
void GtkMainWindow::OnFocusChanged(GObject*, GParamSpec*, gpointer self) {
    auto* window = static_cast<GtkMainWindow*>(self);
    GtkWidget* focus = gtk_window_get_focus(window->m_window.get());
    if (focus && !IsWithin(focus, window->m_menuBar)) return;
    // Decided once GTK has finished moving the focus: a menu that is
    // opening keeps it.
    if (!window->m_focusSource) window->m_focusSource = g_idle_add(ReturnFocusToPage, self);
}

gboolean GtkMainWindow::ReturnFocusToPage(gpointer self) {
    auto* window = static_cast<GtkMainWindow*>(self);
    window->m_focusSource = 0;
    GtkWidget* focus = gtk_window_get_focus(window->m_window.get());
    bool leftInMenuBar = !focus || (IsWithin(focus, window->m_menuBar) && !IsInPopover(focus));
    if (leftInMenuBar && gtk_widget_is_sensitive(window->m_page)) {
        Trace("keyboard focus back to the page");
        gtk_widget_grab_focus(window->m_page);
    }
    return G_SOURCE_REMOVE;
}

gboolean GtkMainWindow::OnCloseRequest(GtkWindow*, gpointer self) {
    if (IsModalDialogOpen()) {
        Trace("close button ignored: a dialog is open");
        return TRUE;
    }
    auto& close = static_cast<GtkMainWindow*>(self)->m_handlers.close;
    if (close) close();
    return TRUE;  // the close gate decides
}

void GtkMainWindow::OnRealize(GtkWidget* widget, gpointer self) {
    auto* window = static_cast<GtkMainWindow*>(self);
    SetProgramClass(window->m_window.get());
    if (window->m_surface) return;
    window->m_surface = gtk_native_get_surface(GTK_NATIVE(widget));
    g_signal_connect(window->m_surface, "layout", G_CALLBACK(OnLayout), self);
}

// Centred when first laid out, and again whenever its size changes (the
// window is zoomed): never moved otherwise.
void GtkMainWindow::OnLayout(GdkSurface*, int width, int height, gpointer self) {
    auto* window = static_cast<GtkMainWindow*>(self);
    if (width == window->m_centredWidth && height == window->m_centredHeight) return;
    window->m_centredWidth = width;
    window->m_centredHeight = height;
    window->Centre(width, height);
}

void GtkMainWindow::Centre(int width, int height) {
    Trace("window %dx%d", width, height);
    CentreOnMonitor(m_window.get(), width, height, "window");
}

}  // namespace dorv
