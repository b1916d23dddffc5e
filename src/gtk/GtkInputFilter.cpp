#include "gtk/GtkInputFilter.h"

namespace dorv {
namespace {

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

}  // namespace

GtkInputFilter::GtkInputFilter(GtkWindow* window, GtkWidget* page, Filter filter)
    : m_window(window), m_page(page), m_filter(std::move(filter)) {
    GtkEventController* keys = gtk_event_controller_key_new();
    gtk_event_controller_set_propagation_phase(keys, GTK_PHASE_CAPTURE);
    g_signal_connect(keys, "key-pressed", G_CALLBACK(OnKeyPressed), this);
    g_signal_connect(keys, "key-released", G_CALLBACK(OnKeyReleased), this);
    gtk_widget_add_controller(GTK_WIDGET(window), keys);

    GtkGesture* click = gtk_gesture_click_new();
    gtk_gesture_single_set_button(GTK_GESTURE_SINGLE(click), GDK_BUTTON_PRIMARY);
    gtk_event_controller_set_propagation_phase(GTK_EVENT_CONTROLLER(click), GTK_PHASE_CAPTURE);
    g_signal_connect(click, "pressed", G_CALLBACK(OnPressed), this);
    gtk_widget_add_controller(GTK_WIDGET(window), GTK_EVENT_CONTROLLER(click));
}

bool GtkInputFilter::PageHasFocus() const {
    GtkWidget* focus = gtk_window_get_focus(m_window);
    return focus && (focus == m_page || gtk_widget_is_ancestor(focus, m_page));
}

bool GtkInputFilter::IsRepeatOfSeenEvent(GtkEventController* controller) {
    GdkEvent* event = gtk_event_controller_get_current_event(controller);
    if (!event) return false;
    guint32 time = gdk_event_get_time(event);
    guint keycode = gdk_key_event_get_keycode(event);
    GdkEventType type = gdk_event_get_event_type(event);
    bool seen = time == m_lastTime && keycode == m_lastKeycode && type == m_lastType;
    m_lastTime = time;
    m_lastKeycode = keycode;
    m_lastType = type;
    return seen;
}

gboolean GtkInputFilter::OnKeyPressed(GtkEventControllerKey* keys, guint keyval, guint, GdkModifierType,
                                      gpointer self) {
    auto* filter = static_cast<GtkInputFilter*>(self);
    if (!filter->PageHasFocus() || filter->IsRepeatOfSeenEvent(GTK_EVENT_CONTROLLER(keys))) return FALSE;
    return filter->m_filter({PageInput::Kind::KeyDown, KeyOf(keyval)});
}

void GtkInputFilter::OnKeyReleased(GtkEventControllerKey* keys, guint keyval, guint, GdkModifierType,
                                   gpointer self) {
    auto* filter = static_cast<GtkInputFilter*>(self);
    if (!filter->PageHasFocus() || filter->IsRepeatOfSeenEvent(GTK_EVENT_CONTROLLER(keys))) return;
    filter->m_filter({PageInput::Kind::KeyUp, KeyOf(keyval)});
}

void GtkInputFilter::OnPressed(GtkGestureClick* gesture, int, double x, double y, gpointer self) {
    auto* filter = static_cast<GtkInputFilter*>(self);
    GtkWidget* target = gtk_widget_pick(GTK_WIDGET(filter->m_window), x, y, GTK_PICK_DEFAULT);
    if (!target || (target != filter->m_page && !gtk_widget_is_ancestor(target, filter->m_page))) {
        gtk_gesture_set_state(GTK_GESTURE(gesture), GTK_EVENT_SEQUENCE_DENIED);
        return;
    }
    bool consumed = filter->m_filter({PageInput::Kind::LeftButtonDown});
    gtk_gesture_set_state(GTK_GESTURE(gesture), consumed ? GTK_EVENT_SEQUENCE_CLAIMED : GTK_EVENT_SEQUENCE_DENIED);
}

}  // namespace dorv
