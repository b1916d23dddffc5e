#include "platform/window/GtkInputFilter.h"

namespace dorv {
namespace {

constexpr size_t kDecidedKept = 64;
constexpr guint kRetryMs = 10;

PageInput::Key KeyOf(guint keyval) {
    switch (keyval) {
        case GDK_KEY_Control_L:
        case GDK_KEY_Control_R:
            return PageInput::Key::Control;
        case GDK_KEY_Escape:
            return PageInput::Key::Escape;
        case GDK_KEY_space:
        case GDK_KEY_KP_Space:
            return PageInput::Key::Space;
        default:
            return PageInput::Key::Other;
    }
}

bool IsKey(GdkEventType type) { return type == GDK_KEY_PRESS || type == GDK_KEY_RELEASE; }

bool IsInput(GdkEventType type) {
    switch (type) {
        case GDK_KEY_PRESS:
        case GDK_KEY_RELEASE:
        case GDK_BUTTON_PRESS:
        case GDK_BUTTON_RELEASE:
        case GDK_MOTION_NOTIFY:
        case GDK_SCROLL:
        case GDK_TOUCH_BEGIN:
        case GDK_TOUCH_UPDATE:
        case GDK_TOUCH_END:
        case GDK_TOUCH_CANCEL:
            return true;
        default:
            return false;
    }
}

// What the filter is asked about; nothing for input it does not examine.
bool ToPageInput(GdkEvent* event, PageInput& input) {
    switch (gdk_event_get_event_type(event)) {
        case GDK_KEY_PRESS:
            input = {PageInput::Kind::KeyDown, KeyOf(gdk_key_event_get_keyval(event))};
            return true;
        case GDK_KEY_RELEASE:
            input = {PageInput::Kind::KeyUp, KeyOf(gdk_key_event_get_keyval(event))};
            return input.key == PageInput::Key::Control;
        case GDK_BUTTON_PRESS:
            input = {PageInput::Kind::LeftButtonDown};
            return gdk_button_event_get_button(event) == GDK_BUTTON_PRIMARY;
        default:
            return false;
    }
}

// The same physical key event: the engine hands keys that the page did not
// use back to the window, where they pass this controller a second time.
bool SameKeyEvent(GdkEvent* a, GdkEvent* b) {
    return gdk_event_get_event_type(a) == gdk_event_get_event_type(b) &&
           gdk_event_get_time(a) == gdk_event_get_time(b) &&
           gdk_key_event_get_keycode(a) == gdk_key_event_get_keycode(b);
}

}  // namespace

GtkInputFilter::GtkInputFilter(GtkWindow* window, GtkWidget* page, Filter filter, Ready ready)
    : m_window(window),
      m_page(page),
      m_filter(std::move(filter)),
      m_ready(std::move(ready)),
      m_controller(gtk_event_controller_legacy_new()) {
    gtk_event_controller_set_propagation_phase(m_controller, GTK_PHASE_CAPTURE);
    g_signal_connect(m_controller, "event", G_CALLBACK(OnEvent), this);
    gtk_widget_add_controller(GTK_WIDGET(window), m_controller);
}

GtkInputFilter::~GtkInputFilter() {
    g_signal_handlers_disconnect_by_data(m_controller, this);
    gtk_widget_remove_controller(GTK_WIDGET(m_window), m_controller);
    if (m_decideSource) g_source_remove(m_decideSource);
    for (GdkEvent* event : m_held) gdk_event_unref(event);
    for (GdkEvent* event : m_decided) gdk_event_unref(event);
}

// Only input for the page itself: a dialog that the engine lays over the
// page (the page's alert, confirm or prompt) is a child of the page widget,
// and its clicks and keys pass untouched, so that the learner can always
// answer it.
bool GtkInputFilter::IsForPage(GdkEvent* event) const {
    if (!gtk_widget_is_sensitive(m_page)) return false;  // GTK gives it nothing anyway
    if (IsKey(gdk_event_get_event_type(event))) return gtk_window_get_focus(m_window) == m_page;
    double x = 0, y = 0, dx = 0, dy = 0;
    if (!gdk_event_get_position(event, &x, &y)) return false;
    gtk_native_get_surface_transform(GTK_NATIVE(m_window), &dx, &dy);
    return gtk_widget_pick(GTK_WIDGET(m_window), x - dx, y - dy, GTK_PICK_DEFAULT) == m_page;
}

bool GtkInputFilter::WasDecided(GdkEvent* event) const {
    bool key = IsKey(gdk_event_get_event_type(event));
    for (GdkEvent* seen : m_decided) {
        if (seen == event || (key && IsKey(gdk_event_get_event_type(seen)) && SameKeyEvent(seen, event))) return true;
    }
    return false;
}

void GtkInputFilter::Remember(GdkEvent* event) {
    m_decided.push_back(gdk_event_ref(event));
    if (m_decided.size() > kDecidedKept) {
        gdk_event_unref(m_decided.front());
        m_decided.pop_front();
    }
}

bool GtkInputFilter::IsForInputMethod(GdkEvent* event) const {
    for (GdkEvent* held : m_forInputMethod) {
        if (held == event) return true;
    }
    return false;
}

gboolean GtkInputFilter::OnEvent(GtkEventControllerLegacy*, GdkEvent* event, gpointer self) {
    auto* filter = static_cast<GtkInputFilter*>(self);
    if (!IsInput(gdk_event_get_event_type(event)) || filter->WasDecided(event) || !filter->IsForPage(event)) {
        return FALSE;
    }
    PageInput input{};
    bool examined = ToPageInput(event, input);
    // Judged as the key comes: what the input method does with the keys
    // held before it may change its pre-edit.
    bool forInputMethod = examined && input.kind == PageInput::Kind::KeyDown &&
                          (input.key == PageInput::Key::Space || input.key == PageInput::Key::Escape) &&
                          filter->m_composing && filter->m_composing();
    if (filter->m_held.empty() && forInputMethod) {
        filter->Remember(event);  // also when the engine hands it back
        return FALSE;
    }
    if (filter->m_held.empty() && !examined) return FALSE;
    if (forInputMethod) filter->m_forInputMethod.push_back(event);
    // Hold it: examined input is decided just after this dispatch, and all
    // input behind it waits for that decision.
    filter->m_held.push_back(gdk_event_ref(event));
    if (!filter->m_decideSource && !filter->m_deciding) {
        filter->m_decideSource = g_idle_add_full(G_PRIORITY_HIGH, OnDecide, filter, nullptr);
    }
    return TRUE;
}

gboolean GtkInputFilter::OnDecide(gpointer self) {
    auto* filter = static_cast<GtkInputFilter*>(self);
    filter->m_decideSource = 0;
    filter->Decide();
    return G_SOURCE_REMOVE;
}

void GtkInputFilter::Decide() {
    if (m_deciding) return;
    m_deciding = true;
    GdkDisplay* display = gtk_widget_get_display(GTK_WIDGET(m_window));
    while (!m_held.empty()) {
        GdkEvent* event = m_held.front();
        PageInput input{};
        bool examined = !IsForInputMethod(event) && ToPageInput(event, input);
        if (examined && !m_ready()) {
            // A page call is on its way: decide once it has returned, so
            // that the page is asked as usual, in the order of the input.
            m_decideSource = g_timeout_add(kRetryMs, OnDecide, this);
            break;
        }
        // The filter's page calls run a nested loop; input arriving during
        // it joins the back of m_held.
        bool consumed = examined && m_filter(input);
        m_held.pop_front();
        if (!m_forInputMethod.empty() && m_forInputMethod.front() == event) m_forInputMethod.pop_front();
        Remember(event);
        if (!consumed) {
            G_GNUC_BEGIN_IGNORE_DEPRECATIONS
            gdk_display_put_event(display, event);
            G_GNUC_END_IGNORE_DEPRECATIONS
        }
        gdk_event_unref(event);
    }
    m_deciding = false;
}

}  // namespace dorv
