#include "history/HistogramTab.h"

#include "app/CurrentGroup.h"
#include "app/Palette.h"
#include "app/Trace.h"
#include "charts/core/ChartModel.h"
#include "history/MyHistogram.h"

#include <FL/Fl_Box.H>

namespace {

const char* const source = "HistogramTab";

}

HistogramTab::HistogramTab(int x, int w, int h, const ChartModel& chart)
    : Fl_Group(x, 140, w, h, "Histogram"), chart(chart)
{
    TRACE_SCOPE(source, "HistogramTab::HistogramTab", 3);
    box(FL_FLAT_BOX);
    color(panelColor);
    new Fl_Box(x, 140, w, 30, "Number of entries by range.");
    area = new Fl_Group(x, 170, w, h - 30);
    area->end();
    end();
    resizable(area);
}

void HistogramTab::draw()
{
    // A model changed since its last update may no longer hold the series the histograms show.
    if (!chart.upToDate()) {
        area->clear();
        shownW = -1;
    } else if (chart.revision() != shownRevision || area->w() != shownW || area->h() != shownH) {
        populate();
    }
    Fl_Group::draw();
}

void HistogramTab::populate()
{
    TRACE_SCOPE(source, "HistogramTab::populate", 3);
    area->clear();
    shownRevision = chart.revision();
    shownW = area->w();
    shownH = area->h();
    const int ax = area->x(), ay = area->y(), aw = area->w(), ah = area->h();
    const int hw = aw / 2, hh = ah / 2;
    const size_t n = chart.visibleSeries.size();
    // Built while drawing: the current group is left as it was.
    CurrentGroup into(area);
    for (size_t i = 0; i < n; ++i) {
        const VisibleSeries* series = &chart.visibleSeries[i];
        if (n == 1)
            new MyHistogram(ax + 5, ay + 5, aw - 10, ah - 10, series);
        else if (n == 2 && hw < hh)
            new MyHistogram(ax + 5, ay + 5 + int(i) * (hh + 5), aw - 10, hh - 10, series);
        else if (n == 2)
            new MyHistogram(ax + 5 + int(i) * hw, ay + 5, hw - 10, ah - 10, series);
        else
            new MyHistogram(ax + 5 + (i % 2 ? hw : 0), ay + 5 + (i >= 2 ? hh : 0), hw - 10, hh - 10, series);
    }
    damage(FL_DAMAGE_ALL);
}
