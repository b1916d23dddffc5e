// A key of a window's shortcut controller that activates a named action
// ("window.close", "win.export" and the like).
#pragma once

#include <gtk/gtk.h>

namespace dorv {

inline void AddShortcut(GtkEventController* controller, guint key, GdkModifierType modifiers, const char* action) {
    gtk_shortcut_controller_add_shortcut(
        GTK_SHORTCUT_CONTROLLER(controller),
        gtk_shortcut_new(gtk_keyval_trigger_new(key, modifiers), gtk_named_action_new(action)));
}

}  // namespace dorv
