#include "platform/window/RecordsChartView.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace dorv {
namespace {

constexpr double kPad = 8;
constexpr double kBarShare = 0.7;  // of a week's width
constexpr double kSecondsPerHour = 3600.0;
constexpr GdkRGBA kBarColour{0.21, 0.52, 0.89, 0.85};
constexpr GdkRGBA kLineColour{0.90, 0.38, 0.0, 1.0};
// The widest label a week can have.
constexpr const char* kWidestWeekLabel = "2088/12/28";

void SetColour(cairo_t* cr, const GdkRGBA& colour, double alpha = 1.0) {
    cairo_set_source_rgba(cr, colour.red, colour.green, colour.blue, colour.alpha * alpha);
}

// A layout of one line of text, and its size.
struct Text {
    PangoLayout* layout;
    double width;
    double height;
};

Text MakeText(PangoContext* pango, const std::string& text) {
    PangoLayout* layout = pango_layout_new(pango);
    pango_layout_set_text(layout, text.c_str(), -1);
    int width = 0;
    int height = 0;
    pango_layout_get_size(layout, &width, &height);
    return {layout, static_cast<double>(width) / PANGO_SCALE, static_cast<double>(height) / PANGO_SCALE};
}

void ShowText(cairo_t* cr, PangoContext* pango, const std::string& text, double x, double y, double xAlign = 0) {
    Text shown = MakeText(pango, text);
    cairo_move_to(cr, x - shown.width * xAlign, y);
    pango_cairo_show_layout(cr, shown.layout);
    g_object_unref(shown.layout);
}

double TextWidth(PangoContext* pango, const std::string& text) {
    Text measured = MakeText(pango, text);
    g_object_unref(measured.layout);
    return measured.width;
}

double LineHeight(PangoContext* pango) {
    Text measured = MakeText(pango, "0");
    g_object_unref(measured.layout);
    return measured.height;
}

// The legend over the plot: a bar's square and the class, a line's dot and
// the learner.
void DrawLegend(cairo_t* cr, PangoContext* pango, double x, double y, double lineHeight, const WeeklyChart& chart,
                const ChartLook& look) {
    double mark = lineHeight * 0.6;
    SetColour(cr, kBarColour);
    cairo_rectangle(cr, x, y + (lineHeight - mark) / 2, mark, mark);
    cairo_fill(cr);
    SetColour(cr, look.text);
    x += mark + 4;
    ShowText(cr, pango, look.classSeries, x, y);
    x += TextWidth(pango, look.classSeries) + 16;
    if (!chart.hasLearner) return;
    SetColour(cr, kLineColour);
    cairo_set_line_width(cr, 2);
    cairo_move_to(cr, x, y + lineHeight / 2);
    cairo_line_to(cr, x + mark * 2, y + lineHeight / 2);
    cairo_stroke(cr);
    cairo_arc(cr, x + mark, y + lineHeight / 2, 3, 0, 2 * G_PI);
    cairo_fill(cr);
    SetColour(cr, look.text);
    ShowText(cr, pango, look.learnerName, x + mark * 2 + 4, y);
}

}  // namespace

void DrawWeeklyChart(cairo_t* cr, PangoContext* pango, double width, double height, const WeeklyChart& chart,
                     const ChartLook& look) {
    cairo_save(cr);
    double lineHeight = LineHeight(pango);
    bool empty = std::none_of(chart.weeks.begin(), chart.weeks.end(),
                              [](const ChartWeek& week) { return week.classSeconds > 0; });
    if (empty) {
        SetColour(cr, look.text, 0.7);
        ShowText(cr, pango, look.noStudyTime, width / 2, (height - lineHeight) / 2, 0.5);
        cairo_restore(cr);
        return;
    }
    double axisWidth = std::max(TextWidth(pango, HoursText(chart.topHours)), TextWidth(pango, look.hoursAxis));
    double left = kPad + axisWidth + 6;
    double right = width - kPad;
    double top = kPad + lineHeight * 2 + 6;
    double bottom = height - kPad - lineHeight - 4;
    if (right - left < 10 || bottom - top < 10) {
        cairo_restore(cr);
        return;
    }
    auto yOf = [&](double hours) { return bottom - hours / chart.topHours * (bottom - top); };

    // The hour axis and its lines.
    SetColour(cr, look.text);
    ShowText(cr, pango, look.hoursAxis, kPad, kPad);
    DrawLegend(cr, pango, left, kPad, lineHeight, chart, look);
    cairo_set_line_width(cr, 1);
    for (double hours = 0; hours <= chart.topHours + chart.stepHours / 100; hours += chart.stepHours) {
        double y = std::round(yOf(hours)) + 0.5;
        SetColour(cr, look.text, hours == 0 ? 0.8 : 0.2);
        cairo_move_to(cr, left, y);
        cairo_line_to(cr, right, y);
        cairo_stroke(cr);
        SetColour(cr, look.text);
        ShowText(cr, pango, HoursText(hours), left - 4, y - lineHeight / 2, 1.0);
    }

    // The class's bars and the learner's line.
    size_t count = chart.weeks.size();
    double slot = (right - left) / static_cast<double>(count);
    double barWidth = std::max(1.0, slot * kBarShare);
    SetColour(cr, kBarColour);
    for (size_t i = 0; i < count; ++i) {
        double hours = static_cast<double>(chart.weeks[i].classSeconds) / kSecondsPerHour;
        if (hours <= 0) continue;
        double y = yOf(hours);
        cairo_rectangle(cr, left + slot * static_cast<double>(i) + (slot - barWidth) / 2, y, barWidth, bottom - y);
    }
    cairo_fill(cr);
    if (chart.hasLearner) {
        SetColour(cr, kLineColour);
        cairo_set_line_width(cr, 2);
        for (size_t i = 0; i < count; ++i) {
            double x = left + slot * (static_cast<double>(i) + 0.5);
            double y = yOf(static_cast<double>(chart.weeks[i].learnerSeconds) / kSecondsPerHour);
            if (i == 0) {
                cairo_move_to(cr, x, y);
            } else {
                cairo_line_to(cr, x, y);
            }
        }
        cairo_stroke(cr);
        for (size_t i = 0; i < count && slot >= 6; ++i) {
            if (chart.weeks[i].learnerSeconds <= 0) continue;
            double x = left + slot * (static_cast<double>(i) + 0.5);
            cairo_arc(cr, x, yOf(static_cast<double>(chart.weeks[i].learnerSeconds) / kSecondsPerHour), 3, 0, 2 * G_PI);
            cairo_fill(cr);
        }
    }

    // The weeks under their bars, as many as there is room for.
    SetColour(cr, look.text);
    size_t stride = WeekLabelStride(count, right - left, TextWidth(pango, kWidestWeekLabel));
    std::optional<CivilDay> previous;
    for (size_t i = 0; i < count; i += stride) {
        std::string label = WeekLabel(chart.weeks[i].week, previous);
        previous = chart.weeks[i].week;
        double labelWidth = TextWidth(pango, label);
        double x = left + slot * (static_cast<double>(i) + 0.5) - labelWidth / 2;
        x = std::clamp(x, left, std::max(left, width - kPad - labelWidth));
        ShowText(cr, pango, label, x, bottom + 4);
    }
    cairo_restore(cr);
}

RecordsChartView::RecordsChartView(const CRecordsTexts& texts)
    : m_texts(texts),
      m_area(GTK_WIDGET(g_object_new(GTK_TYPE_DRAWING_AREA, "accessible-role", GTK_ACCESSIBLE_ROLE_IMG, nullptr))) {
    GtkWidget* area = m_area.get();
    gtk_drawing_area_set_content_height(GTK_DRAWING_AREA(area), 200);
    gtk_drawing_area_set_draw_func(GTK_DRAWING_AREA(area), Draw, this, nullptr);
    gtk_widget_set_hexpand(area, TRUE);
    gtk_widget_set_vexpand(area, TRUE);
    // The keyboard reaches the chart, so that a screen reader reads it.
    gtk_widget_set_focusable(area, TRUE);
    Show(nullptr, nullptr);
}

RecordsChartView::~RecordsChartView() {
    gtk_drawing_area_set_draw_func(GTK_DRAWING_AREA(m_area.get()), nullptr, nullptr, nullptr);
}

void RecordsChartView::Show(const std::map<CivilDay, long long>* classWeekly, const LearnerSummary* learner) {
    static const std::map<CivilDay, long long> kNone;
    m_chart = BuildWeeklyChart(classWeekly ? *classWeekly : kNone, learner ? &learner->weekly : nullptr);
    m_learnerName = learner ? learner->name : std::string();
    std::string summary = ChartSummary(m_chart, m_learnerName, m_texts.Japanese());
    gtk_accessible_update_property(GTK_ACCESSIBLE(m_area.get()), GTK_ACCESSIBLE_PROPERTY_LABEL,
                                   m_texts.ChartLabel().c_str(), GTK_ACCESSIBLE_PROPERTY_DESCRIPTION, summary.c_str(),
                                   -1);
    gtk_widget_set_tooltip_text(m_area.get(), summary.c_str());
    gtk_widget_queue_draw(m_area.get());
}

ChartLook RecordsChartView::Look() const {
    ChartLook look;
    look.classSeries = m_texts.ClassSeries();
    look.learnerName = m_learnerName;
    look.hoursAxis = m_texts.HoursAxis();
    look.noStudyTime = m_texts.NoStudyTime();
    return look;
}

void RecordsChartView::Draw(GtkDrawingArea* area, cairo_t* cr, int width, int height, gpointer self) {
    ChartLook look = static_cast<RecordsChartView*>(self)->Look();
    gtk_style_context_get_color(gtk_widget_get_style_context(GTK_WIDGET(area)), &look.text);
    DrawWeeklyChart(cr, gtk_widget_get_pango_context(GTK_WIDGET(area)), width, height,
                    static_cast<RecordsChartView*>(self)->m_chart, look);
}

}  // namespace dorv
