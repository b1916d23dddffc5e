// The class records on paper: a heading, the chart of study time per week
// and the class table, as many pages as the table takes, landscape by
// default. The print dialog of GTK chooses the printer; its "Print to File"
// makes a PDF.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/window/RecordsChartView.h"
#include "records/RecordsChart.h"

namespace dorv {

struct RecordsPrintout {
    std::string jobName;
    std::string heading;
    std::vector<std::string> titles;  // of the table's columns
    std::vector<bool> numeric;        // of the table's columns
    std::vector<std::vector<std::string>> rows;
    WeeklyChart chart;
    ChartLook look;
};

// Shows the print dialog over `parent` and prints. `finished` is called once
// it is over, with the pages printed (0 when the dialog was cancelled) or
// what went wrong.
void PrintRecords(GtkWindow* parent, RecordsPrintout printout,
                  std::function<void(int pages, const std::string& error)> finished);

}  // namespace dorv
