#include "platform/engine/PageDialogs.h"

#include <vector>

#include "common/DialogTexts.h"
#include "common/Tokens.h"
#include "common/Trace.h"
#include "platform/engine/EngineWidgets.h"
#include "platform/system/UserLanguages.h"

namespace dorv {
namespace {

constexpr const char* kRelabelled = "dorv-relabelled";

struct Pending {
    GWeakRef view;
    WebKitScriptDialogType type;
    std::string title;
};

void Collect(GtkWidget* widget, std::vector<GtkWidget*>& titles, std::vector<GtkWidget*>& buttons) {
    if (GTK_IS_LABEL(widget) && gtk_widget_has_css_class(widget, "title")) titles.push_back(widget);
    if (GTK_IS_BUTTON(widget)) {
        buttons.push_back(widget);
        return;
    }
    for (GtkWidget* child = gtk_widget_get_first_child(widget); child; child = gtk_widget_get_next_sibling(child)) {
        Collect(child, titles, buttons);
    }
}

const char* TypeName(WebKitScriptDialogType type) {
    switch (type) {
        case WEBKIT_SCRIPT_DIALOG_ALERT:
            return "alert";
        case WEBKIT_SCRIPT_DIALOG_CONFIRM:
            return "confirm";
        case WEBKIT_SCRIPT_DIALOG_PROMPT:
            return "prompt";
        default:
            return "before-unload confirm";
    }
}

}  // namespace

PageDialogs::PageDialogs(std::function<std::string()> caption) : m_caption(std::move(caption)) {}

PageDialogs::~PageDialogs() = default;

void PageDialogs::Watch(WebKitWebView* view) {
    g_signal_connect(view, "script-dialog", G_CALLBACK(OnScriptDialog), this);
}

// Runs before the engine's own handler builds the dialog: the dialog is
// relabelled just after, ahead of its first frame.
gboolean PageDialogs::OnScriptDialog(WebKitWebView* view, WebKitScriptDialog* dialog, gpointer self) {
    auto* dialogs = static_cast<PageDialogs*>(self);
    auto* pending = new Pending{{},
                                webkit_script_dialog_get_dialog_type(dialog),
                                TrimWhiteSpace(dialogs->m_caption ? dialogs->m_caption() : std::string())};
    g_weak_ref_init(&pending->view, view);
    g_idle_add_full(G_PRIORITY_HIGH, Relabel, pending, nullptr);
    return FALSE;
}

gboolean PageDialogs::Relabel(gpointer data) {
    auto* pending = static_cast<Pending*>(data);
    auto* view = static_cast<GtkWidget*>(g_weak_ref_get(&pending->view));
    if (view) {
        DialogButtonTexts texts = ButtonTextsFor(UserLanguages());
        for (GtkWidget* child = gtk_widget_get_first_child(view); child; child = gtk_widget_get_next_sibling(child)) {
            if (!IsScriptDialog(child) || g_object_get_data(G_OBJECT(child), kRelabelled)) {
                continue;
            }
            g_object_set_data(G_OBJECT(child), kRelabelled, GINT_TO_POINTER(1));
            std::vector<GtkWidget*> titles, buttons;
            Collect(child, titles, buttons);
            // A page that is being left keeps the engine's question.
            if (pending->type == WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM) continue;
            for (GtkWidget* title : titles) gtk_label_set_text(GTK_LABEL(title), pending->title.c_str());
            // The alert has one button that answers it; confirm and prompt
            // have Cancel, then OK.
            std::vector<std::string> labels = pending->type == WEBKIT_SCRIPT_DIALOG_ALERT
                                                  ? std::vector<std::string>{texts.ok}
                                                  : std::vector<std::string>{texts.cancel, texts.ok};
            std::string shown;
            if (buttons.size() == labels.size()) {
                for (size_t i = 0; i < buttons.size(); ++i) {
                    gtk_button_set_use_underline(GTK_BUTTON(buttons[i]), FALSE);
                    gtk_button_set_label(GTK_BUTTON(buttons[i]), labels[i].c_str());
                }
            }
            for (GtkWidget* button : buttons) {
                const char* label = gtk_button_get_label(GTK_BUTTON(button));
                shown += std::string(shown.empty() ? "" : ", ") + (label ? label : "");
            }
            Trace("page dialog (%s) titled \"%s\": %s", TypeName(pending->type),
                  titles.empty() ? "" : gtk_label_get_text(GTK_LABEL(titles.front())), shown.c_str());
        }
        g_object_unref(view);
    }
    g_weak_ref_clear(&pending->view);
    delete pending;
    return G_SOURCE_REMOVE;
}

}  // namespace dorv
