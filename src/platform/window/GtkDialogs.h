// The quit confirmation and the about box on GTK.
#pragma once

#include <gtk/gtk.h>

#include "app/AboutDlg.h"
#include "app/CloseGate.h"

namespace dorv {

class GtkQuitDialog : public IQuitDialog {
public:
    explicit GtkQuitDialog(GtkWindow* parent) : m_parent(parent) {}
    bool Confirm(const std::string& caption, const std::string& text) override;

private:
    GtkWindow* m_parent;
};

class GtkAboutBox : public IAboutBox {
public:
    explicit GtkAboutBox(GtkWindow* parent) : m_parent(parent) {}
    void Show(const std::string& text) override;

private:
    GtkWindow* m_parent;
};

}  // namespace dorv
