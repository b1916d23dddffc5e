// One learner's records in a window of their own: every line of the
// learner's history in its order, with its line number, the records in
// their eleven columns and the lines and values that cannot be read marked
// and named. The history is read again on a thread of its own, so that a
// share that stops answering holds no window.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <string>

#include "platform/system/DetachedWork.h"
#include "platform/window/TextTable.h"
#include "records/ClassRecords.h"
#include "records/RecordsTexts.h"

namespace dorv {

class RecordsLearnerWindow {
public:
    // Opens the window over `parent`, which it closes with; it is gone once
    // it is closed.
    static void Open(GtkWindow* parent, const CRecordsTexts& texts, const LearnerSummary& learner);

    RecordsLearnerWindow(const RecordsLearnerWindow&) = delete;
    RecordsLearnerWindow& operator=(const RecordsLearnerWindow&) = delete;

private:
    RecordsLearnerWindow(GtkWindow* parent, const CRecordsTexts& texts, const LearnerSummary& learner);
    ~RecordsLearnerWindow();

    void ShowHistory();
    static void OnDestroy(GtkWidget*, gpointer self);

    CRecordsTexts m_texts;
    std::string m_name;
    GtkWindow* m_window;
    GtkWidget* m_status;
    TextTable m_table;
    std::shared_ptr<LearnerHistory> m_history;
    std::unique_ptr<DetachedWork> m_reading;
};

}  // namespace dorv
