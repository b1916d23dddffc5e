// The class table: a column view with one row for each learner of a course
// and a column for each of the summary's figures, sorted by any column (a
// click on its title, or the column's menu). A row activated (Enter, a
// double click) opens the learner's records; the row selected is the
// learner whose weeks the chart shows.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <vector>

#include "platform/system/GObjectPtr.h"
#include "records/ClassRecords.h"
#include "records/RecordsTable.h"
#include "records/RecordsTexts.h"

namespace dorv {

class RecordsTableView {
public:
    struct Handlers {
        std::function<void(const LearnerSummary&)> activated;
        std::function<void(const LearnerSummary*)> selected;  // nullptr: none
    };

    RecordsTableView(const CRecordsTexts& texts, Handlers handlers);
    ~RecordsTableView();
    RecordsTableView(const RecordsTableView&) = delete;
    RecordsTableView& operator=(const RecordsTableView&) = delete;

    // The scrolled window that holds the table.
    GtkWidget* Widget() const { return m_scroller.get(); }
    // The column view, which takes the keyboard.
    GtkWidget* View() const { return m_view; }

    // Shows the learners of `course`, which `records` holds (nullptr: none).
    void Show(const std::shared_ptr<const PlaceRecords>& records, const CourseSummary* course);

    // The learners in the order the table shows them.
    std::vector<const LearnerSummary*> ShownLearners() const;
    const LearnerSummary* Selected() const;

    struct Column;

private:
    static void OnActivate(GtkColumnView*, guint position, gpointer self);
    static void OnSelectionChanged(GtkSelectionModel*, guint, guint, gpointer self);

    const LearnerSummary* At(guint position) const;

    const CRecordsTexts& m_texts;
    Handlers m_handlers;
    GObjectPtr<GtkWidget> m_scroller;
    GtkWidget* m_view = nullptr;
    GListStore* m_store = nullptr;              // owned by the sorted model
    GtkSingleSelection* m_selection = nullptr;  // owned by the view
};

}  // namespace dorv
