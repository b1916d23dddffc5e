// Test tool: reads the X screen. "xshot FILE.png" saves the whole screen;
// "xshot X Y" prints the colour of one pixel as RRGGBB.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "xshot: cannot open display\n");
        return 1;
    }
    Window root = DefaultRootWindow(display);
    XWindowAttributes attrs;
    XGetWindowAttributes(display, root, &attrs);
    if (argc == 3) {
        XImage* image = XGetImage(display, root, std::atoi(argv[1]), std::atoi(argv[2]), 1, 1, AllPlanes, ZPixmap);
        if (!image) return 1;
        std::printf("%06lx\n", XGetPixel(image, 0, 0) & 0xFFFFFF);
        XDestroyImage(image);
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: xshot FILE.png | xshot X Y\n");
        return 2;
    }
    XImage* image = XGetImage(display, root, 0, 0, attrs.width, attrs.height, AllPlanes, ZPixmap);
    if (!image) return 1;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, attrs.width, attrs.height);
    unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < attrs.height; ++y) {
        auto* row = reinterpret_cast<unsigned int*>(data + y * stride);
        for (int x = 0; x < attrs.width; ++x) row[x] = XGetPixel(image, x, y) & 0xFFFFFF;
    }
    cairo_surface_mark_dirty(surface);
    int rc = cairo_surface_write_to_png(surface, argv[1]) == CAIRO_STATUS_SUCCESS ? 0 : 1;
    cairo_surface_destroy(surface);
    XDestroyImage(image);
    XCloseDisplay(display);
    return rc;
}
