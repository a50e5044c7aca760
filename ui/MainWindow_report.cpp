// MainWindow: the chart report, printed or saved as a PDF file.
#include "ui/MainWindow.h"

#include "app/Report.h"
#include "app/Trace.h"
#include "charts/ChartController.h"
#include "charts/MyGraph.h"
#include "charts/TrendBox.h"
#include "history/HistogramTab.h"
#include "ui/SearchUserBox.h"

#include <FL/Fl.H>
#include <FL/Fl_Pack.H>
#include <FL/Fl_Scroll.H>

namespace {
const char* const source = "MainWindow";
}

// The window fills the screen's work area while the page is drawn, so the chart is laid out at its
// largest. A resize rather than fullscreen(): without a window manager fullscreen() grabs the
// keyboard, and with one it takes effect only when the manager gets round to it.
Report MainWindow::chartReport()
{
    Report report(chart->parent(), chartReportStyle, userList->selectedName());
    report.keepGeometry = {this};
    report.enlarge = [this] {
        int x, y, w, h;
        Fl::screen_work_area(x, y, w, h, this->x() + this->w() / 2, this->y() + this->h() / 2);
        resize(x, y, w, h);
    };
    report.whiten = {chart, chart->graph, chart->histogramTab, trendBox, trendBox->frame, trendBox->scroll, trendBox->pack};
    return report;
}

void MainWindow::printCB_i()
{
    TRACE_SCOPE(source, "MainWindow::printCB_i", 3);
    chartReport().print();
}

void MainWindow::savePdfCB_i()
{
    TRACE_SCOPE(source, "MainWindow::savePdfCB_i", 3);
    chartReport().askAndSavePdf("Save chart as PDF", "chart");
}
