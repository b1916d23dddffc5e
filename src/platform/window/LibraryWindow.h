// The course library's window: a header bar titled "Course Library" with a
// search (Ctrl+F; its button shows once the list is longer than the window)
// and, where the class records are on, a records button; below, the list of
// courses. A row (double click, Enter) or its button starts the course.
// Ctrl+Q and Ctrl+W close the window; Escape closes the search.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "library/CourseLibrary.h"
#include "library/LibraryTexts.h"
#include "platform/system/GObjectPtr.h"
#include "platform/window/LibraryRow.h"

namespace dorv {

class LibraryWindow : public ILibraryView {
public:
    struct Handlers {
        // The records button, with the folder of the selected course ("" for
        // none); without it there is no records button.
        std::function<void(const std::string& folder)> records;
        std::function<void()> destroyed;  // the window is gone
    };

    LibraryWindow(CCourseLibrary& library, CLibraryTexts texts, Handlers handlers);
    ~LibraryWindow() override;
    LibraryWindow(const LibraryWindow&) = delete;
    LibraryWindow& operator=(const LibraryWindow&) = delete;

    GtkWindow* Window() const { return m_window.get(); }
    void Present();

    void ListChanged() override;
    void CourseChanged(const std::string& folder) override;
    void ShowStartFailure(const std::string& name, const std::string& error) override;

private:
    GtkWidget* BuildHeaderBar();
    GtkWidget* BuildContent();
    void ShowPage();
    void FocusFirstRow();
    std::string SelectedFolder() const;
    void Start(const std::string& folder);
    void UpdateSearchButton();

    static void OnRowActivated(GtkListBox*, GtkListBoxRow* row, gpointer self);
    static gboolean Filter(GtkListBoxRow* row, gpointer self);
    static int Sort(GtkListBoxRow* a, GtkListBoxRow* b, gpointer);
    static void OnSearchChanged(GtkSearchEntry*, gpointer self);
    static void OnSearchActivated(GtkSearchEntry*, gpointer self);
    static void OnSearchMode(GObject*, GParamSpec*, gpointer self);
    static void OnScrollChanged(GtkAdjustment*, gpointer self);
    static gboolean OnFind(GtkWidget*, GVariant*, gpointer self);
    static gboolean OnEscape(GtkWidget*, GVariant*, gpointer self);
    static void OnRecords(GtkButton*, gpointer self);
    static void OnDestroy(GtkWidget*, gpointer self);
    static void OnRealize(GtkWidget* widget, gpointer);

    CCourseLibrary& m_library;
    CLibraryTexts m_texts;
    Handlers m_handlers;
    GObjectPtr<GtkWindow> m_window;
    GtkWidget* m_stack = nullptr;
    GtkWidget* m_list = nullptr;
    GtkWidget* m_scroller = nullptr;
    GtkWidget* m_emptyText = nullptr;
    GtkWidget* m_noMatch = nullptr;
    GtkWidget* m_searchBar = nullptr;
    GtkWidget* m_searchEntry = nullptr;
    GtkWidget* m_searchButton = nullptr;
    std::map<std::string, std::unique_ptr<LibraryRow>> m_rows;
    std::string m_query;
    bool m_focused = false;  // the first row had the keyboard once
    bool m_destroyed = false;
};

}  // namespace dorv
