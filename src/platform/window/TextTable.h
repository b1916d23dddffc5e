// A table of texts in a scrolled column view: the lists below the class
// table (damaged files, unreadable lines) and a learner's records. Rows may
// be marked, which shows their texts in the theme's error colour; the rows'
// texts say why themselves, for those who cannot see the colour.
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "platform/system/GObjectPtr.h"

namespace dorv {

struct TextRow {
    std::vector<std::string> cells;
    bool marked = false;
};

class TextTable {
public:
    // `titles` name the columns; the columns in `rightAligned` (by index)
    // hold numbers. `label` names the table for screen readers.
    TextTable(const std::vector<std::string>& titles, const std::vector<size_t>& rightAligned,
              const std::string& label);
    ~TextTable();
    TextTable(const TextTable&) = delete;
    TextTable& operator=(const TextTable&) = delete;

    // The scrolled window that holds the table.
    GtkWidget* Widget() const { return m_scroller.get(); }
    // The column view, which takes the keyboard.
    GtkWidget* View() const { return m_view; }

    void SetRows(std::vector<TextRow> rows);
    void SetLabel(const std::string& label);

private:
    struct Column;
    static void OnSetup(GtkSignalListItemFactory*, GtkListItem* item, gpointer column);
    static void OnBind(GtkSignalListItemFactory*, GtkListItem* item, gpointer column);

    GObjectPtr<GtkWidget> m_scroller;
    GtkWidget* m_view = nullptr;
    GListStore* m_store = nullptr;  // owned by the view's selection model
};

}  // namespace dorv
