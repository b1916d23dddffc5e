// The program's top-level window: menu bar, then the 800 x 600 page area.
// Fixed size (the page's size request, which zoom changes), centred where the
// windowing system allows a program to place its window.
#pragma once

#include <gtk/gtk.h>

#include <functional>

#include "app/FrameWindow.h"
#include "platform/system/GObjectPtr.h"

namespace dorv {

class GtkMainWindow : public IFrameWindow {
public:
    struct Handlers {
        std::function<void()> close;      // close button, Alt+F4, Exit, Ctrl+W
        std::function<void()> about;      // Help > About
        std::function<void()> destroyed;  // the window is gone
    };

    // `page` fills the page area.
    explicit GtkMainWindow(GtkWidget* page);
    ~GtkMainWindow() override;
    GtkMainWindow(const GtkMainWindow&) = delete;
    GtkMainWindow& operator=(const GtkMainWindow&) = delete;

    GtkWindow* Window() const { return m_window.get(); }
    // What the window's requests do; until then they do nothing.
    void Connect(Handlers handlers) { m_handlers = std::move(handlers); }
    void Present();
    // The recording mark at the end of the menu bar.
    void ShowRecording(bool recording);
    bool IsShowingRecording() const { return gtk_widget_get_visible(m_recordingMark); }

    void SetTitle(const std::string& title) override;
    void Destroy() override;

private:
    static gboolean OnCloseRequest(GtkWindow*, gpointer self);
    static void OnLayout(GdkSurface*, int width, int height, gpointer self);
    static void OnRealize(GtkWidget*, gpointer self);
    static void OnFocusChanged(GObject*, GParamSpec*, gpointer self);
    static gboolean ReturnFocusToPage(gpointer self);
    void Centre(int width, int height);

    GObjectPtr<GtkWindow> m_window;
    GtkWidget* m_page;
    GtkWidget* m_menuBar;
    GtkWidget* m_recordingMark;
    Handlers m_handlers;
    GdkSurface* m_surface = nullptr;  // while its "layout" handler is connected
    guint m_focusSource = 0;
    int m_centredWidth = 0;  // the size it was last centred at
    int m_centredHeight = 0;
    bool m_destroyed = false;
};

}  // namespace dorv
