#include "platform/window/RecordsPrint.h"

#include <numeric>

#include "records/RecordsTable.h"

namespace dorv {
namespace {

constexpr const char* kJobKey = "dorv-records-printout";
constexpr const char* kTableFont = "Sans 8";
constexpr const char* kHeadingFont = "Sans Bold 12";
constexpr double kRowSpacing = 1.5;   // a row's height in lines of text
constexpr double kChartShare = 0.38;  // of the first page's height
constexpr double kCellPad = 3;        // points

// What the printout needs between the dialog and the last page.
struct PrintJob {
    RecordsPrintout printout;
    std::function<void(int, const std::string&)> finished;
    std::vector<size_t> pages;  // rows on each page
    double rowHeight = 0;
    double headingHeight = 0;
    double chartHeight = 0;
    bool done = false;
};

PangoContext* ContextWithFont(GtkPrintContext* context, const char* font) {
    PangoContext* pango = gtk_print_context_create_pango_context(context);
    PangoFontDescription* description = pango_font_description_from_string(font);
    pango_context_set_font_description(pango, description);
    pango_font_description_free(description);
    return pango;
}

double TextHeight(PangoContext* pango) {
    PangoLayout* layout = pango_layout_new(pango);
    pango_layout_set_text(layout, "Ag学", -1);
    int width = 0;
    int height = 0;
    pango_layout_get_size(layout, &width, &height);
    g_object_unref(layout);
    return static_cast<double>(height) / PANGO_SCALE;
}

// One line of text cut to `width` at the end, aligned in it.
void ShowCell(cairo_t* cr, PangoContext* pango, const std::string& text, double x, double y, double width, bool right) {
    PangoLayout* layout = pango_layout_new(pango);
    pango_layout_set_text(layout, text.c_str(), -1);
    pango_layout_set_width(layout, static_cast<int>(std::max(1.0, width) * PANGO_SCALE));
    pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
    pango_layout_set_single_paragraph_mode(layout, TRUE);
    pango_layout_set_alignment(layout, right ? PANGO_ALIGN_RIGHT : PANGO_ALIGN_LEFT);
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
}

// The columns' widths: by the share each column usually needs, the
// learner's name and the problems the widest.
std::vector<double> ColumnWidths(size_t count, double width) {
    static const std::vector<double> kShares = {2.0, 1.0, 1.3, 1.4, 1.4, 1.8, 1.0, 1.8, 1.8, 1.1, 3.0};
    std::vector<double> shares(count, 1.0);
    for (size_t i = 0; i < count && i < kShares.size(); ++i) shares[i] = kShares[i];
    double total = std::accumulate(shares.begin(), shares.end(), 0.0);
    for (double& share : shares) share = share / total * width;
    return shares;
}

void BeginPrint(GtkPrintOperation* operation, GtkPrintContext* context, gpointer data) {
    auto* job = static_cast<PrintJob*>(data);
    PangoContext* table = ContextWithFont(context, kTableFont);
    PangoContext* heading = ContextWithFont(context, kHeadingFont);
    job->rowHeight = TextHeight(table) * kRowSpacing;
    job->headingHeight = TextHeight(heading) * 2;
    g_object_unref(table);
    g_object_unref(heading);
    double height = gtk_print_context_get_height(context);
    job->chartHeight = height * kChartShare;
    double firstRoom = height - job->headingHeight - job->chartHeight - job->rowHeight * 2;
    double room = height - job->headingHeight - job->rowHeight;
    job->pages = RowsPerPage(job->printout.rows.size(), firstRoom, room, job->rowHeight);
    gtk_print_operation_set_n_pages(operation, static_cast<int>(job->pages.size()));
}

void DrawPage(GtkPrintOperation*, GtkPrintContext* context, int page, gpointer data) {
    auto* job = static_cast<PrintJob*>(data);
    const RecordsPrintout& printout = job->printout;
    cairo_t* cr = gtk_print_context_get_cairo_context(context);
    double width = gtk_print_context_get_width(context);
    PangoContext* table = ContextWithFont(context, kTableFont);
    PangoContext* heading = ContextWithFont(context, kHeadingFont);

    cairo_set_source_rgb(cr, 0, 0, 0);
    std::string title =
        printout.heading + "  (" + std::to_string(page + 1) + "/" + std::to_string(job->pages.size()) + ")";
    ShowCell(cr, heading, title, 0, 0, width, false);
    double y = job->headingHeight;
    if (page == 0) {
        cairo_save(cr);
        cairo_translate(cr, 0, y);
        DrawWeeklyChart(cr, table, width, job->chartHeight, printout.chart, printout.look);
        cairo_restore(cr);
        y += job->chartHeight + job->rowHeight;
    }

    // The table's titles, then its rows, with a rule under the titles.
    std::vector<double> widths = ColumnWidths(printout.titles.size(), width);
    auto showRow = [&](const std::vector<std::string>& cells) {
        double x = 0;
        for (size_t i = 0; i < widths.size(); ++i) {
            bool right = i < printout.numeric.size() && printout.numeric[i];
            if (i < cells.size()) ShowCell(cr, table, cells[i], x + kCellPad, y, widths[i] - 2 * kCellPad, right);
            x += widths[i];
        }
        y += job->rowHeight;
    };
    showRow(printout.titles);
    cairo_set_line_width(cr, 0.5);
    cairo_move_to(cr, 0, y - job->rowHeight * 0.2);
    cairo_line_to(cr, width, y - job->rowHeight * 0.2);
    cairo_stroke(cr);
    size_t first = std::accumulate(job->pages.begin(), job->pages.begin() + page, size_t{0});
    for (size_t i = first; i < first + job->pages[page] && i < printout.rows.size(); ++i) showRow(printout.rows[i]);
    g_object_unref(table);
    g_object_unref(heading);
}

void Done(GtkPrintOperation* operation, GtkPrintOperationResult result, gpointer data) {
    auto* job = static_cast<PrintJob*>(data);
    if (job->done) return;
    job->done = true;
    std::string error;
    int pages = 0;
    if (result == GTK_PRINT_OPERATION_RESULT_ERROR) {
        GError* failure = nullptr;
        gtk_print_operation_get_error(operation, &failure);
        error = failure ? failure->message : "unknown error";
        if (failure) g_error_free(failure);
    } else if (result == GTK_PRINT_OPERATION_RESULT_APPLY) {
        pages = static_cast<int>(job->pages.size());
    }
    auto finished = std::move(job->finished);
    // The job goes with the operation.
    g_object_unref(operation);
    if (finished) finished(pages, error);
}

}  // namespace

void PrintRecords(GtkWindow* parent, RecordsPrintout printout,
                  std::function<void(int pages, const std::string& error)> finished) {
    GtkPrintOperation* operation = gtk_print_operation_new();
    auto* job = new PrintJob;
    job->printout = std::move(printout);
    job->finished = std::move(finished);
    g_object_set_data_full(G_OBJECT(operation), kJobKey, job,
                           [](gpointer data) { delete static_cast<PrintJob*>(data); });
    gtk_print_operation_set_job_name(operation, job->printout.jobName.c_str());
    gtk_print_operation_set_unit(operation, GTK_UNIT_POINTS);
    gtk_print_operation_set_allow_async(operation, TRUE);
    gtk_print_operation_set_embed_page_setup(operation, TRUE);
    GtkPageSetup* setup = gtk_page_setup_new();
    gtk_page_setup_set_orientation(setup, GTK_PAGE_ORIENTATION_LANDSCAPE);
    gtk_print_operation_set_default_page_setup(operation, setup);
    g_object_unref(setup);
    g_signal_connect(operation, "begin-print", G_CALLBACK(BeginPrint), job);
    g_signal_connect(operation, "draw-page", G_CALLBACK(DrawPage), job);
    g_signal_connect(operation, "done", G_CALLBACK(Done), job);

    // Done() drops the operation's own reference, which may happen within
    // the run: this one keeps it until the run returns.
    g_object_ref(operation);
    GError* error = nullptr;
    GtkPrintOperationResult result =
        gtk_print_operation_run(operation, GTK_PRINT_OPERATION_ACTION_PRINT_DIALOG, parent, &error);
    // Run asynchronously, the operation ends with "done"; otherwise it is
    // over already, and may not have said so.
    if (result != GTK_PRINT_OPERATION_RESULT_IN_PROGRESS) Done(operation, result, job);
    if (error) g_error_free(error);
    g_object_unref(operation);
}

}  // namespace dorv
