#include "gtk/GtkMessageBox.h"

namespace dorv {
namespace {

struct Wait {
    GMainLoop* loop;
};

void OnOk(GtkButton*, gpointer data) { g_main_loop_quit(static_cast<Wait*>(data)->loop); }

gboolean OnCloseRequest(GtkWindow*, gpointer data) {
    g_main_loop_quit(static_cast<Wait*>(data)->loop);
    return TRUE;  // the box is destroyed by Show
}

}  // namespace

void GtkMessageBox::Show(const std::string& text) {
    GtkWidget* box = gtk_window_new();
    GtkWindow* window = GTK_WINDOW(box);
    gtk_window_set_title(window, "DORV");
    gtk_window_set_modal(window, TRUE);
    gtk_window_set_resizable(window, FALSE);
    if (m_parent) gtk_window_set_transient_for(window, m_parent);

    GtkWidget* content = gtk_box_new(GTK_ORIENTATION_VERTICAL, 18);
    gtk_widget_set_margin_top(content, 18);
    gtk_widget_set_margin_bottom(content, 12);
    gtk_widget_set_margin_start(content, 18);
    gtk_widget_set_margin_end(content, 18);

    GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
    GtkWidget* icon = gtk_image_new_from_icon_name("dialog-warning");
    gtk_image_set_pixel_size(GTK_IMAGE(icon), 48);
    gtk_widget_set_valign(icon, GTK_ALIGN_START);
    GtkWidget* label = gtk_label_new(text.c_str());
    gtk_label_set_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
    gtk_label_set_width_chars(GTK_LABEL(label), 30);
    gtk_label_set_max_width_chars(GTK_LABEL(label), 60);
    gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    gtk_box_append(GTK_BOX(row), icon);
    gtk_box_append(GTK_BOX(row), label);

    GtkWidget* ok = gtk_button_new_with_label("OK");
    gtk_widget_set_halign(ok, GTK_ALIGN_END);
    gtk_widget_set_size_request(ok, 88, -1);
    gtk_box_append(GTK_BOX(content), row);
    gtk_box_append(GTK_BOX(content), ok);
    gtk_window_set_child(window, content);
    gtk_window_set_default_widget(window, ok);

    // Escape answers the box like the OK button.
    GtkEventController* keys = gtk_shortcut_controller_new();
    gtk_shortcut_controller_add_shortcut(
        GTK_SHORTCUT_CONTROLLER(keys),
        gtk_shortcut_new(gtk_keyval_trigger_new(GDK_KEY_Escape, GdkModifierType(0)),
                         gtk_named_action_new("window.close")));
    gtk_widget_add_controller(box, keys);

    Wait wait{g_main_loop_new(nullptr, FALSE)};
    g_signal_connect(ok, "clicked", G_CALLBACK(OnOk), &wait);
    g_signal_connect(box, "close-request", G_CALLBACK(OnCloseRequest), &wait);

    gtk_window_present(window);
    gtk_widget_grab_focus(ok);
    g_main_loop_run(wait.loop);
    g_main_loop_unref(wait.loop);
    gtk_window_destroy(window);
}

}  // namespace dorv
