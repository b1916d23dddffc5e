#include "platform/window/WindowZoom.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "common/PageArea.h"
#include "common/Trace.h"
#include "platform/window/GtkMainWindow.h"

namespace dorv {
namespace {

constexpr const char* kWindowClass = "zoomable";

int Scaled(int size, int percent) { return static_cast<int>(std::lround(size * percent / 100.0)); }

std::string Px(int size, int percent) { return std::to_string(Scaled(size, percent)) + "px"; }

// "1.25rem": written out by hand, as the locale's decimal mark is no CSS.
std::string Rem(int percent) {
    int hundredths = percent % 100;
    return std::to_string(percent / 100) + "." + (hundredths < 10 ? "0" : "") + std::to_string(hundredths) + "rem";
}

// The main window's menu bar, its menus and the recording mark at `percent`:
// the text from the desktop's font size, the spacing from the default
// theme's sizes. Nothing at 100 %, where the theme's own sizes hold.
std::string MenuCss(int percent) {
    if (percent == zoom::kNormal) return {};
    const std::string window = std::string("window.") + kWindowClass;
    std::string css;
    auto rule = [&css, &window](const std::string& selector, const std::string& declarations) {
        css += window + " " + selector + " { " + declarations + " }\n";
    };
    css += window + " { font-size: " + Rem(percent) + "; }\n";
    // Menus reset their font to the desktop's: theirs is set as well.
    rule("popover", "font-size: " + Rem(percent) + ";");
    rule("menubar > item",
         "min-height: " + Px(16, percent) + "; padding: " + Px(4, percent) + " " + Px(8, percent) + ";");
    rule("menubar > item popover.menu.background > contents", "padding: " + Px(5, percent) + ";");
    rule("popover.menu modelbutton", "min-height: " + Px(30, percent) + "; min-width: " + Px(40, percent) +
                                         "; padding: 0 " + Px(12, percent) + ";");
    rule("popover.menu accelerator", "margin-left: " + Px(12, percent) + ";");
    // Beside the mark's own 8 pixels.
    rule(".recording-mark", "margin-right: " + std::to_string(Scaled(8, percent) - 8) + "px;");
    return css;
}

void OnCssError(GtkCssProvider*, GtkCssSection*, GError* error, gpointer) {
    Trace("zoom style not understood: %s", error->message);
}

}  // namespace

WindowZoom::WindowZoom(GtkWindow* window, WebKitWebView* page, int percent)
    : m_window(window), m_page(page), m_controller(gtk_event_controller_legacy_new()), m_css(gtk_css_provider_new()) {
    for (const zoom::KeyBinding& key : zoom::KeyBindings()) {
        guint keyval = gdk_keyval_from_name(key.name);
        if (keyval != GDK_KEY_VoidSymbol) m_keys.emplace_back(keyval, key.command);
    }
    gtk_widget_add_css_class(GTK_WIDGET(window), kWindowClass);
    g_signal_connect(m_css.get(), "parsing-error", G_CALLBACK(OnCssError), nullptr);
    gtk_style_context_add_provider_for_display(gtk_widget_get_display(GTK_WIDGET(window)),
                                               GTK_STYLE_PROVIDER(m_css.get()),
                                               GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    // Before the page and everything else in the window sees the key.
    gtk_event_controller_set_propagation_phase(m_controller, GTK_PHASE_CAPTURE);
    g_signal_connect(m_controller, "event", G_CALLBACK(OnEvent), this);
    gtk_widget_add_controller(GTK_WIDGET(window), m_controller);
    Set(percent);
}

WindowZoom::~WindowZoom() {
    g_signal_handlers_disconnect_by_data(m_controller, this);
    gtk_widget_remove_controller(GTK_WIDGET(m_window), m_controller);
    gtk_style_context_remove_provider_for_display(gtk_widget_get_display(GTK_WIDGET(m_window)),
                                                  GTK_STYLE_PROVIDER(m_css.get()));
    if (m_afterPaint) g_signal_handler_disconnect(m_clock.get(), m_afterPaint);
}

gboolean WindowZoom::OnEvent(GtkEventControllerLegacy*, GdkEvent* event, gpointer self) {
    auto* zoom = static_cast<WindowZoom*>(self);
    switch (gdk_event_get_event_type(event)) {
        case GDK_KEY_PRESS:
            return zoom->TakePress(event);
        case GDK_KEY_RELEASE:
            return zoom->TakeRelease(event);
        default:
            return FALSE;
    }
}

// Ctrl with one of the keys, and no other modifier than Shift where the key
// needs it (Ctrl+Shift+= is Ctrl++ on many keyboards).
std::optional<zoom::Command> WindowZoom::CommandOf(GdkEvent* press) const {
    for (const auto& [keyval, command] : m_keys) {
        if (gdk_key_event_matches(press, keyval, GDK_CONTROL_MASK) != GDK_KEY_MATCH_NONE) return command;
    }
    return std::nullopt;
}

bool WindowZoom::TakePress(GdkEvent* press) {
    std::optional<zoom::Command> command = CommandOf(press);
    guint keycode = gdk_key_event_get_keycode(press);
    if (!command) {
        // A new press of the key, its release goes with it.
        std::erase(m_down, keycode);
        return false;
    }
    if (std::find(m_down.begin(), m_down.end(), keycode) == m_down.end()) m_down.push_back(keycode);
    int percent = zoom::Apply(m_percent, *command);
    if (percent != m_percent) Set(percent);
    return true;
}

bool WindowZoom::TakeRelease(GdkEvent* release) {
    auto down = std::find(m_down.begin(), m_down.end(), gdk_key_event_get_keycode(release));
    if (down == m_down.end()) return false;
    m_down.erase(down);
    return true;
}

// A step takes two frames. The menu bar's new style takes effect with the
// next frame, but the window measures its content for its size before that
// in the frame: so the page area and the engine's zoom follow once that
// frame is drawn, and the window is measured again. (The page may see its
// size change in between for a frame, as the engine learns of its new size
// and zoom one after the other.)
void WindowZoom::Set(int percent) {
    m_percent = percent;
    gtk_css_provider_load_from_data(m_css.get(), MenuCss(percent).c_str(), -1);
    GdkFrameClock* clock = gtk_widget_get_frame_clock(GTK_WIDGET(m_window));
    if (!clock) {
        SizePage();
        return;
    }
    gtk_widget_queue_draw(GTK_WIDGET(m_window));
    if (!m_afterPaint) {
        m_clock = GObjectPtr<GdkFrameClock>(GDK_FRAME_CLOCK(g_object_ref(clock)));
        m_afterPaint = g_signal_connect_swapped(clock, "after-paint", G_CALLBACK(OnAfterPaint), this);
    }
}

void WindowZoom::OnAfterPaint(gpointer self) {
    auto* zoom = static_cast<WindowZoom*>(self);
    g_signal_handler_disconnect(zoom->m_clock.get(), std::exchange(zoom->m_afterPaint, 0));
    zoom->m_clock.Reset();
    zoom->SizePage();
}

void WindowZoom::SizePage() {
    int width = Scaled(kPageWidth, m_percent);
    int height = Scaled(kPageHeight, m_percent);
    Trace("zoom %d %%: page area %dx%d", m_percent, width, height);
    gtk_widget_set_size_request(GTK_WIDGET(m_page), width, height);
    webkit_web_view_set_zoom_level(m_page, m_percent / 100.0);
}

}  // namespace dorv
