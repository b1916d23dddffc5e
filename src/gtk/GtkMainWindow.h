// The program's top-level window: menu bar, then the 800 x 600 page area.
// Fixed size, centred where the windowing system allows a program to place
// its window.
#pragma once

#include <gtk/gtk.h>

#include <functional>

#include "app/FrameWindow.h"

namespace dorv {

class GtkMainWindow : public IFrameWindow {
public:
    static constexpr int kPageWidth = 800;
    static constexpr int kPageHeight = 600;

    struct Handlers {
        std::function<void()> close;      // close button, Alt+F4, Exit, Ctrl+W
        std::function<void()> about;      // Help > About
        std::function<void()> destroyed;  // the window is gone
    };

    // `page` fills the page area.
    GtkMainWindow(GtkWidget* page, Handlers handlers);
    ~GtkMainWindow() override;

    GtkWindow* Window() const { return m_window; }
    void Present();

    void SetTitle(const std::string& title) override;
    void Destroy() override;

private:
    static gboolean OnCloseRequest(GtkWindow*, gpointer self);
    static void OnLayout(GdkSurface*, int width, int height, gpointer self);
    static void OnRealize(GtkWidget*, gpointer self);
    void Centre(int width, int height);

    GtkWindow* m_window;
    Handlers m_handlers;
    bool m_centred = false;
};

}  // namespace dorv
