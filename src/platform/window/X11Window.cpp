#include "platform/window/X11Window.h"

#ifdef GDK_WINDOWING_X11
#include <X11/Xatom.h>
#include <gdk/x11/gdkx.h>
#endif

#include <algorithm>
#include <string>
#include <vector>

#include "common/Trace.h"

namespace dorv {

void CentreOnMonitor(GtkWindow* window, int width, int height, const char* what) {
#ifdef GDK_WINDOWING_X11
    GdkSurface* surface = gtk_native_get_surface(GTK_NATIVE(window));
    if (!surface || !GDK_IS_X11_SURFACE(surface)) return;  // elsewhere the compositor places windows
    GdkMonitor* monitor = gdk_display_get_monitor_at_surface(gdk_surface_get_display(surface), surface);
    if (!monitor) return;
    GdkRectangle area;
    gdk_monitor_get_geometry(monitor, &area);
    // A window larger than the monitor keeps its top left (the menu bar) on it.
    int x = std::max(area.x, area.x + (area.width - width) / 2);
    int y = std::max(area.y, area.y + (area.height - height) / 2);
    // GDK measures in its own pixels, X in the screen's: GDK_SCALE=2 makes
    // each of GDK's two of the screen's.
    int scale = gdk_surface_get_scale_factor(surface);
    XMoveWindow(GDK_SURFACE_XDISPLAY(surface), GDK_SURFACE_XID(surface), x * scale, y * scale);
    Trace("%s placed at %d,%d", what, x * scale, y * scale);
#else
    (void)window, (void)width, (void)height, (void)what;
#endif
}

void MarkAsDialog(GtkWindow* window) {
#ifdef GDK_WINDOWING_X11
    GdkSurface* surface = gtk_native_get_surface(GTK_NATIVE(window));
    if (!surface || !GDK_IS_X11_SURFACE(surface)) return;
    Display* display = GDK_SURFACE_XDISPLAY(surface);
    Window xid = GDK_SURFACE_XID(surface);
    Atom type = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
    Atom dialog = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
    XChangeProperty(display, xid, type, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&dialog), 1);
    // The Motif hints that window managers read for the frame's buttons:
    // functions move and close; decorations border, title and window menu.
    constexpr long kFunctions = 1L << 0, kDecorations = 1L << 1;
    constexpr long kMove = 1L << 2, kClose = 1L << 5;
    constexpr long kBorder = 1L << 1, kTitle = 1L << 3, kMenu = 1L << 4;
    long hints[5] = {kFunctions | kDecorations, kMove | kClose, kBorder | kTitle | kMenu, 0, 0};
    Atom motif = XInternAtom(display, "_MOTIF_WM_HINTS", False);
    XChangeProperty(display, xid, motif, motif, 32, PropModeReplace, reinterpret_cast<unsigned char*>(hints), 5);
    SetProgramIcon(window);
#else
    (void)window;
#endif
}

void SetProgramClass(GtkWindow* window) {
#ifdef GDK_WINDOWING_X11
    GdkSurface* native = gtk_native_get_surface(GTK_NATIVE(window));
    if (GDK_IS_X11_SURFACE(native)) {
        char name[] = "dorv";
        XClassHint hint{name, name};
        XSetClassHint(GDK_SURFACE_XDISPLAY(native), GDK_SURFACE_XID(native), &hint);
        SetProgramIcon(window);
    }
#else
    (void)window;
#endif
}

void SetProgramIcon(GtkWindow* window) {
#ifdef GDK_WINDOWING_X11
    GdkSurface* surface = gtk_native_get_surface(GTK_NATIVE(window));
    if (!surface || !GDK_IS_X11_SURFACE(surface)) return;
    // Width, height, then the pixels as non-premultiplied ARGB, one long each.
    std::vector<long> data;
    for (int size : {16, 32, 48, 64}) {
        std::string path =
            "/org/dorv/Dorv/icons/" + std::to_string(size) + "x" + std::to_string(size) + "/apps/dorv.png";
        GdkTexture* texture = gdk_texture_new_from_resource(path.c_str());
        if (!texture) continue;
        int width = gdk_texture_get_width(texture), height = gdk_texture_get_height(texture);
        std::vector<guint32> pixels(static_cast<size_t>(width) * height);
        gdk_texture_download(texture, reinterpret_cast<guchar*>(pixels.data()), static_cast<gsize>(width) * 4);
        g_object_unref(texture);
        data.push_back(width);
        data.push_back(height);
        for (guint32 pixel : pixels) {
            guint32 a = pixel >> 24;
            auto channel = [&](int shift) { return a ? (((pixel >> shift) & 0xff) * 255 + a / 2) / a : 0; };
            data.push_back(static_cast<long>((a << 24) | (channel(16) << 16) | (channel(8) << 8) | channel(0)));
        }
    }
    Display* display = GDK_SURFACE_XDISPLAY(surface);
    XChangeProperty(display, GDK_SURFACE_XID(surface), XInternAtom(display, "_NET_WM_ICON", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(data.data()), static_cast<int>(data.size()));
#else
    (void)window;
#endif
}

namespace {

void OnLayout(GdkSurface* surface, int width, int height, gpointer window) {
    g_signal_handlers_disconnect_by_func(surface, reinterpret_cast<gpointer>(OnLayout), window);
    CentreOnMonitor(GTK_WINDOW(window), width, height, "dialog");
}

void OnRealize(GtkWidget* widget, gpointer) {
    g_signal_handlers_disconnect_by_func(widget, reinterpret_cast<gpointer>(OnRealize), nullptr);
    g_signal_connect(gtk_native_get_surface(GTK_NATIVE(widget)), "layout", G_CALLBACK(OnLayout), widget);
}

}  // namespace

void CentreWhenShown(GtkWindow* window) { g_signal_connect(window, "realize", G_CALLBACK(OnRealize), nullptr); }

}  // namespace dorv
