// Test tool for the X screen:
//   xprobe shot FILE.png [X Y W H]   saves the whole screen, or a part
//   xprobe pixel X Y       prints the colour of one pixel as RRGGBB
//   xprobe close WINDOW    asks the window to close, as a window manager's
//                          close button or Alt+F4 does (WM_DELETE_WINDOW)
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int Shot(Display* display, Window root, const char* file, int x, int y, int width, int height) {
    XWindowAttributes attrs;
    XGetWindowAttributes(display, root, &attrs);
    if (width <= 0 || height <= 0) {
        x = y = 0;
        width = attrs.width;
        height = attrs.height;
    }
    attrs.width = width;
    attrs.height = height;
    XImage* image = XGetImage(display, root, x, y, width, height, AllPlanes, ZPixmap);
    if (!image) return 1;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, attrs.width, attrs.height);
    unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < attrs.height; ++y) {
        auto* row = reinterpret_cast<unsigned int*>(data + y * stride);
        for (int x = 0; x < attrs.width; ++x) row[x] = XGetPixel(image, x, y) & 0xFFFFFF;
    }
    cairo_surface_mark_dirty(surface);
    int rc = cairo_surface_write_to_png(surface, file) == CAIRO_STATUS_SUCCESS ? 0 : 1;
    cairo_surface_destroy(surface);
    XDestroyImage(image);
    return rc;
}

int Pixel(Display* display, Window root, int x, int y) {
    XImage* image = XGetImage(display, root, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 1;
    std::printf("%06lx\n", XGetPixel(image, 0, 0) & 0xFFFFFF);
    XDestroyImage(image);
    return 0;
}

int Close(Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "xprobe: cannot open display\n");
        return 1;
    }
    Window root = DefaultRootWindow(display);
    int rc = 2;
    if (argc == 3 && std::strcmp(argv[1], "shot") == 0) {
        rc = Shot(display, root, argv[2], 0, 0, 0, 0);
    } else if (argc == 7 && std::strcmp(argv[1], "shot") == 0) {
        rc = Shot(display, root, argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]),
                  std::atoi(argv[6]));
    } else if (argc == 4 && std::strcmp(argv[1], "pixel") == 0) {
        rc = Pixel(display, root, std::atoi(argv[2]), std::atoi(argv[3]));
    } else if (argc == 3 && std::strcmp(argv[1], "close") == 0) {
        rc = Close(display, static_cast<Window>(std::strtoul(argv[2], nullptr, 0)));
    } else {
        std::fprintf(stderr, "usage: xprobe shot FILE.png [X Y W H] | pixel X Y | close WINDOW\n");
    }
    XCloseDisplay(display);
    return rc;
}
