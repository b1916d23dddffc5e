// The widgets that the engine and GTK make for a page of their own accord,
// known by their type names: the engine lays its script dialogs over the
// page as children of the view, and the page's print dialog is GTK's own
// window. These names are not part of any public interface, so they are
// matched here and nowhere else.
#pragma once

#include <gtk/gtk.h>

namespace dorv {

// One of the engine's dialogs laid over the page: the page's alert, confirm
// and prompt, or its log-in dialog. The view's other children (the input
// method's text view) are no dialogs.
bool IsEngineDialog(GtkWidget* child);

// The engine's alert, confirm and prompt dialog (not its log-in dialog).
bool IsScriptDialog(GtkWidget* child);

// The print dialog that the page's window.print() opens.
bool IsPrintDialog(GtkWindow* window);

}  // namespace dorv
