// Modal message box: title "DORV", a warning icon, the text and one OK button.
// GTK 4.8 has no blocking dialog call, so the caller waits in a nested main
// loop until the box is answered.
#pragma once

#include <gtk/gtk.h>

#include "common/MessageBox.h"

namespace dorv {

class GtkMessageBox : public IMessageBox {
public:
    // The main window, once it exists; the box is then modal to it.
    void SetParent(GtkWindow* parent) { m_parent = parent; }
    void Show(const std::string& text) override;

private:
    GtkWindow* m_parent = nullptr;
};

}  // namespace dorv
