// What the X11 window manager is told about the program's windows. On other
// window systems the compositor decides and these do nothing.
#pragma once

#include <gtk/gtk.h>

namespace dorv {

// Moves the realized `window`, `width` × `height` in GDK's pixels, to the
// middle of its monitor (no window manager may place it otherwise); traces
// where, naming it `what`.
void CentreOnMonitor(GtkWindow* window, int width, int height, const char* what);

// A realized dialog of the program: typed as a dialog, movable and closable
// but offering neither maximising nor minimising nor resizing.
void MarkAsDialog(GtkWindow* window);

// Writes the program's icon (built in at 16, 32, 48 and 64 pixels) onto the
// realized `window`, so that it is there before the window is first shown.
void SetProgramIcon(GtkWindow* window);

// Names the realized `window` as one of the program's: the desktop matches
// it to its launcher and icon by its class, "dorv", as the desktop entry's
// StartupWMClass says (GTK would write "Dorv"); the icon is written on it.
// On Wayland the application id is the program name, "dorv", already.
void SetProgramClass(GtkWindow* window);

// Centres `window` once its first size is known (call before it is shown).
void CentreWhenShown(GtkWindow* window);

}  // namespace dorv
