#include "gtk/GtkMainWindow.h"

#ifdef GDK_WINDOWING_X11
#include <gdk/x11/gdkx.h>
#endif

#include "common/Trace.h"

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
    (*static_cast<std::function<void()>*>(data))();
}

}  // namespace

GtkMainWindow::GtkMainWindow(GtkWidget* page, Handlers handlers)
    : m_window(GTK_WINDOW(gtk_window_new())), m_handlers(std::move(handlers)) {
    g_object_ref_sink(m_window);
    gtk_window_set_title(m_window, "DORV");
    gtk_window_set_resizable(m_window, FALSE);

    GSimpleActionGroup* actions = g_simple_action_group_new();
    GSimpleAction* exit = g_simple_action_new("exit", nullptr);
    g_signal_connect(exit, "activate", G_CALLBACK(RunHandler), &m_handlers.close);
    GSimpleAction* about = g_simple_action_new("about", nullptr);
    g_signal_connect(about, "activate", G_CALLBACK(RunHandler), &m_handlers.about);
    g_action_map_add_action(G_ACTION_MAP(actions), G_ACTION(exit));
    g_action_map_add_action(G_ACTION_MAP(actions), G_ACTION(about));
    g_object_unref(exit);
    g_object_unref(about);
    gtk_widget_insert_action_group(GTK_WIDGET(m_window), "win", G_ACTION_GROUP(actions));
    g_object_unref(actions);

    // Ctrl+W is Exit. Caught before the page sees the key, so that no page
    // can keep the window open by swallowing it.
    GtkEventController* shortcuts = gtk_shortcut_controller_new();
    gtk_event_controller_set_propagation_phase(shortcuts, GTK_PHASE_CAPTURE);
    gtk_shortcut_controller_add_shortcut(GTK_SHORTCUT_CONTROLLER(shortcuts),
                                         gtk_shortcut_new(gtk_keyval_trigger_new(GDK_KEY_w, GDK_CONTROL_MASK),
                                                          gtk_named_action_new("win.exit")));
    gtk_widget_add_controller(GTK_WIDGET(m_window), shortcuts);

    GMenuModel* model = BuildMenu();
    GtkWidget* menuBar = gtk_popover_menu_bar_new_from_model(model);
    g_object_unref(model);

    gtk_widget_set_size_request(page, kPageWidth, kPageHeight);
    gtk_widget_set_hexpand(page, FALSE);
    gtk_widget_set_vexpand(page, FALSE);

    GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_box_append(GTK_BOX(column), menuBar);
    gtk_box_append(GTK_BOX(column), page);
    gtk_window_set_child(m_window, column);

    g_signal_connect(m_window, "close-request", G_CALLBACK(OnCloseRequest), this);
    g_signal_connect(m_window, "realize", G_CALLBACK(OnRealize), this);
}

GtkMainWindow::~GtkMainWindow() {
    if (m_window) {
        g_signal_handlers_disconnect_by_data(m_window, this);
        gtk_window_destroy(m_window);
        g_object_unref(m_window);
    }
}

void GtkMainWindow::Present() { gtk_window_present(m_window); }

void GtkMainWindow::SetTitle(const std::string& title) { gtk_window_set_title(m_window, title.c_str()); }

void GtkMainWindow::Destroy() {
    // The window stays referenced by this object, so GTK does not emit
    // "destroy" here: say it ourselves.
    gtk_window_destroy(m_window);
    if (m_handlers.destroyed) m_handlers.destroyed();
}

gboolean GtkMainWindow::OnCloseRequest(GtkWindow*, gpointer self) {
    static_cast<GtkMainWindow*>(self)->m_handlers.close();
    return TRUE;  // the close gate decides
}

void GtkMainWindow::OnRealize(GtkWidget* widget, gpointer self) {
    GdkSurface* surface = gtk_native_get_surface(GTK_NATIVE(widget));
    g_signal_connect(surface, "layout", G_CALLBACK(OnLayout), self);
}

void GtkMainWindow::OnLayout(GdkSurface*, int width, int height, gpointer self) {
    static_cast<GtkMainWindow*>(self)->Centre(width, height);
}

void GtkMainWindow::Centre(int width, int height) {
    if (m_centred) return;
    m_centred = true;
    Trace("window %dx%d", width, height);
#ifdef GDK_WINDOWING_X11
    GdkSurface* surface = gtk_native_get_surface(GTK_NATIVE(m_window));
    if (!GDK_IS_X11_SURFACE(surface)) return;  // elsewhere the compositor places windows
    GdkDisplay* display = gdk_surface_get_display(surface);
    GdkMonitor* monitor = gdk_display_get_monitor_at_surface(display, surface);
    if (!monitor) return;
    GdkRectangle area;
    gdk_monitor_get_geometry(monitor, &area);
    int x = area.x + (area.width - width) / 2;
    int y = area.y + (area.height - height) / 2;
    XMoveWindow(GDK_SURFACE_XDISPLAY(surface), GDK_SURFACE_XID(surface), x, y);
    Trace("window placed at %d,%d", x, y);
#endif
}

}  // namespace dorv
