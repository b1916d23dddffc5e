// One course in the library's list: its name in bold, its copyright line,
// where it lies, and its state (being checked, running, why it will not
// start, what in it will not work), with a button that starts it. A course
// that will not start keeps its row, which the keyboard still reaches, but
// neither the row nor its button starts it.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <string>

#include "library/CourseList.h"
#include "library/LibraryTexts.h"
#include "platform/system/GObjectPtr.h"

namespace dorv {

class LibraryRow {
public:
    // `start` is called with the course's folder when its button is pressed.
    LibraryRow(std::string folder, std::function<void(const std::string&)> start);
    LibraryRow(const LibraryRow&) = delete;
    LibraryRow& operator=(const LibraryRow&) = delete;

    // The GtkListBoxRow.
    GtkWidget* Widget() const { return m_row.get(); }
    const std::string& Folder() const { return m_folder; }
    // The row that `widget` (a GtkListBoxRow of the library) is.
    static LibraryRow* Of(GtkListBoxRow* widget);

    void Show(const CourseEntry& entry, bool running, const CLibraryTexts& texts);
    // The name the row shows, for the search.
    const std::string& Name() const { return m_name; }
    bool CanStart() const { return m_canStart; }

    // Its place in the list.
    int order = 0;

private:
    static void OnStart(GtkButton*, gpointer self);

    std::string m_folder;
    std::function<void(const std::string&)> m_start;
    GObjectPtr<GtkWidget> m_row;
    GtkWidget* m_nameLabel;
    GtkWidget* m_copyrightLabel;
    GtkWidget* m_placeLabel;
    GtkWidget* m_statusLabel;
    GtkWidget* m_startButton;
    std::string m_name;
    bool m_canStart = true;
};

}  // namespace dorv
