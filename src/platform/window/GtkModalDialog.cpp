#include "platform/window/GtkModalDialog.h"

#include "platform/engine/EngineWidgets.h"
#include "platform/system/MainLoopWait.h"
#include "platform/window/X11Window.h"

#include <algorithm>

namespace dorv {
namespace {

struct Answer {
    bool answered = false;
    size_t button;
    size_t cancel;
    size_t standard;  // the default button
};

// The dialogs now open, innermost last.
std::vector<Answer*> g_open;

void OnButton(GtkButton* button, gpointer data) {
    auto* answer = static_cast<Answer*>(data);
    answer->button = GPOINTER_TO_SIZE(g_object_get_data(G_OBJECT(button), "dorv-index"));
    answer->answered = true;
}

gboolean OnCloseRequest(GtkWindow*, gpointer data) {
    auto* answer = static_cast<Answer*>(data);
    answer->button = answer->cancel;
    answer->answered = true;
    return TRUE;  // destroyed by RunModalDialog
}

}  // namespace

size_t RunModalDialog(GtkWindow* parent, const ModalDialog& dialog) {
    GtkWindow* window = GTK_WINDOW(gtk_window_new());
    gtk_window_set_title(window, dialog.title.c_str());
    gtk_window_set_modal(window, TRUE);
    gtk_window_set_resizable(window, FALSE);
    gtk_window_set_icon_name(window, "dorv");
    if (parent) gtk_window_set_transient_for(window, parent);
    g_signal_connect(window, "realize",
                     G_CALLBACK(+[](GtkWidget* widget, gpointer) { MarkAsDialog(GTK_WINDOW(widget)); }), nullptr);
    // Over the main window the window manager places it; a box with no
    // window yet (at start-up) goes to the middle of the screen, as the
    // main window does.
    if (!parent) CentreWhenShown(window);

    GtkWidget* content = gtk_box_new(GTK_ORIENTATION_VERTICAL, 18);
    gtk_widget_set_margin_top(content, 18);
    gtk_widget_set_margin_bottom(content, 12);
    gtk_widget_set_margin_start(content, 18);
    gtk_widget_set_margin_end(content, 18);

    GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
    GtkWidget* icon = gtk_image_new_from_icon_name(dialog.iconName.c_str());
    gtk_image_set_pixel_size(GTK_IMAGE(icon), 48);
    gtk_widget_set_valign(icon, GTK_ALIGN_START);
    GtkWidget* label = gtk_label_new(dialog.text.c_str());
    gtk_label_set_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
    gtk_label_set_width_chars(GTK_LABEL(label), dialog.centred ? 20 : 40);
    gtk_label_set_max_width_chars(GTK_LABEL(label), 60);
    gtk_label_set_xalign(GTK_LABEL(label), dialog.centred ? 0.5f : 0.0f);
    if (dialog.centred) {
        gtk_label_set_justify(GTK_LABEL(label), GTK_JUSTIFY_CENTER);
        gtk_widget_set_hexpand(label, TRUE);
    }
    gtk_widget_set_valign(label, GTK_ALIGN_CENTER);
    gtk_box_append(GTK_BOX(row), icon);
    gtk_box_append(GTK_BOX(row), label);
    gtk_box_append(GTK_BOX(content), row);

    Answer answer{false, dialog.cancelButton, dialog.cancelButton, dialog.defaultButton};
    GtkWidget* buttons = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
    gtk_widget_set_halign(buttons, dialog.centred ? GTK_ALIGN_CENTER : GTK_ALIGN_END);
    if (dialog.centred) gtk_box_set_homogeneous(GTK_BOX(buttons), TRUE);
    GtkWidget* focus = nullptr;
    for (size_t i = 0; i < dialog.buttons.size(); ++i) {
        GtkWidget* button = gtk_button_new_with_label(dialog.buttons[i].c_str());
        gtk_widget_set_size_request(button, 88, -1);
        g_object_set_data(G_OBJECT(button), "dorv-index", GSIZE_TO_POINTER(i));
        g_signal_connect(button, "clicked", G_CALLBACK(OnButton), &answer);
        gtk_box_append(GTK_BOX(buttons), button);
        if (i == dialog.defaultButton) {
            gtk_window_set_default_widget(window, button);
            focus = button;
        }
    }
    gtk_box_append(GTK_BOX(content), buttons);
    gtk_window_set_child(window, content);

    // Escape answers as the window's close button does.
    GtkEventController* keys = gtk_shortcut_controller_new();
    gtk_shortcut_controller_add_shortcut(GTK_SHORTCUT_CONTROLLER(keys),
                                         gtk_shortcut_new(gtk_keyval_trigger_new(GDK_KEY_Escape, GdkModifierType(0)),
                                                          gtk_named_action_new("window.close")));
    gtk_widget_add_controller(GTK_WIDGET(window), keys);
    g_signal_connect(window, "close-request", G_CALLBACK(OnCloseRequest), &answer);

    gtk_window_present(window);
    if (focus) gtk_widget_grab_focus(focus);
    if (dialog.beep) gtk_widget_error_bell(GTK_WIDGET(window));
    g_open.push_back(&answer);
    WaitInMainLoop([&answer] { return answer.answered; }, 0);
    g_open.erase(std::find(g_open.begin(), g_open.end(), &answer));
    g_signal_handlers_disconnect_by_data(window, &answer);
    gtk_window_destroy(window);
    return answer.button;
}

bool IsModalDialogOpen() { return !g_open.empty(); }

void DismissModalDialogs() {
    for (Answer* answer : g_open) {
        answer->button = answer->standard;
        answer->answered = true;
    }
    // The page's print dialog is cancelled: nothing is printed unasked.
    GListModel* toplevels = gtk_window_get_toplevels();
    for (guint i = 0; i < g_list_model_get_n_items(toplevels); ++i) {
        auto* window = static_cast<GtkWindow*>(g_list_model_get_item(toplevels, i));
        if (IsPrintDialog(window)) gtk_window_close(window);
        g_object_unref(window);
    }
}

}  // namespace dorv
