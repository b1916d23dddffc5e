// The chart of study time per week: the class's hours as bars, the chosen
// learner's as a line over them. The same drawing goes on the screen and on
// the printed page. For screen readers the chart is an image whose
// description says what it shows.
#pragma once

#include <gtk/gtk.h>

#include <map>
#include <string>

#include "platform/system/GObjectPtr.h"
#include "records/ClassRecords.h"
#include "records/RecordsChart.h"
#include "records/RecordsTexts.h"

namespace dorv {

struct ChartLook {
    std::string classSeries;   // the legend's name of the bars
    std::string learnerName;   // the legend's name of the line
    std::string hoursAxis;     // over the hour axis
    std::string noStudyTime;   // instead of an empty chart
    GdkRGBA text{0, 0, 0, 1};  // the colour of texts and axes
};

// Draws `chart` into the rectangle from 0,0 `width` × `height` of `cr`, with
// the texts laid out in `pango`'s font and resolution.
void DrawWeeklyChart(cairo_t* cr, PangoContext* pango, double width, double height, const WeeklyChart& chart,
                     const ChartLook& look);

class RecordsChartView {
public:
    explicit RecordsChartView(const CRecordsTexts& texts);
    ~RecordsChartView();
    RecordsChartView(const RecordsChartView&) = delete;
    RecordsChartView& operator=(const RecordsChartView&) = delete;

    GtkWidget* Widget() const { return m_area.get(); }

    // The class's weeks (nullptr: nothing to show), with `learner`'s as the
    // second series when given.
    void Show(const std::map<CivilDay, long long>* classWeekly, const LearnerSummary* learner);

    const WeeklyChart& Chart() const { return m_chart; }
    ChartLook Look() const;

private:
    static void Draw(GtkDrawingArea* area, cairo_t* cr, int width, int height, gpointer self);

    const CRecordsTexts& m_texts;
    GObjectPtr<GtkWidget> m_area;
    WeeklyChart m_chart;
    std::string m_learnerName;
};

}  // namespace dorv
