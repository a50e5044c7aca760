#include "history/MyHistogram.h"

#include "app/Palette.h"
#include "app/Trace.h"
#include "charts/core/ChartModel.h"
#include "records/NumberText.h"

#include <FL/Fl_Box.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <cmath>
#include <string>

namespace {

const Fl_Color plotBackgroundColor = 0xF0F2F200; // 240, 242, 242
const int minimumBar = 4;

}

MyHistogram::MyHistogram(int x, int y, int w, int h, const VisibleSeries* series) : Fl_Group(x, y, w, h), series(series)
{
    TRACE_SCOPE("MyHistogram", "MyHistogram::MyHistogram", 3);
    color(panelColor);
    computeGeometry();
    Fl_Box* background = new Fl_Box(x, y, w, h);
    background->box(FL_ROUNDED_BOX);
    background->color(plotBackgroundColor);
    end();
    bins = HistogramBins::count(series->begin(), series->end(), w, h);
}

void MyHistogram::computeGeometry()
{
    plotTop = y() + 35;
    plotBottom = y() + h() - 45;
    plotLeft = x() + 45;
    plotRight = x() + w() - 66; // room for "100.0 %" inside the rounded frame
}

void MyHistogram::draw()
{
    Fl_Group::draw();
    fl_push_clip(x(), y(), w(), h());
    fl_color(FL_BLACK);
    fl_font(FL_HELVETICA_BOLD, 13);
    fl_draw(series->series->name.c_str(), x(), y(), w(), 25, FL_ALIGN_CENTER);
    computeGeometry();
    fl_rectf(plotLeft, plotTop, plotRight - plotLeft, plotBottom - plotTop, FL_WHITE);
    fl_font(FL_HELVETICA, 12);
    if (bins.counts.empty()) {
        fl_color(labelColor);
        fl_draw("No readings in this time range", plotLeft, plotTop, plotRight - plotLeft, plotBottom - plotTop,
                FL_ALIGN_CENTER | FL_ALIGN_WRAP);
        fl_pop_clip();
        return;
    }

    const int barWidth = (plotRight - plotLeft) / bins.binCount;
    const double pixelsPerCount = (plotBottom - plotTop) / (bins.countStep * (bins.countMin + bins.countTicks));
    // Narrow bars label every stride-th edge, on round values, so that no two labels touch.
    double widest = 0;
    for (double edge : {bins.firstBin, bins.firstBin + double(bins.counts.size())})
        widest = std::max(widest, fl_width(edgeLabel(edge * bins.binWidth).c_str()));
    const int stride = ChartModel::labelStride(widest, barWidth);
    const int labelWidth = int(widest) + 6;
    double bin = bins.firstBin;
    int x0 = plotLeft;
    for (size_t i = 0; i < bins.counts.size(); ++i) {
        const int count = bins.counts[i];
        double lo = bin * bins.binWidth;
        int top = int(plotBottom - count * pixelsPerCount + 1), height = int(count * pixelsPerCount);
        // A bin with a reading or two among thousands still shows, in its colour.
        if (count > 0 && height < minimumBar) {
            top = plotBottom + 1 - minimumBar;
            height = minimumBar;
        }
        if (height > 0)
            fl_draw_box(FL_PLASTIC_DOWN_BOX, x0, top, barWidth, height,
                        rangeColor(series->series->ranges.classify(bins.lowest[i], bins.highest[i])));
        drawBinEdge(x0, std::fmod(bin, stride) ? 0 : labelWidth, lo);
        bin += 1;
        x0 += barWidth;
    }
    drawBinEdge(x0, std::fmod(bin, stride) ? 0 : labelWidth, bin * bins.binWidth);
    fl_color(gridColor);
    fl_line(plotLeft, plotBottom, plotRight, plotBottom);
    fl_line(plotLeft, plotBottom, plotLeft, plotTop);
    fl_line(plotRight, plotBottom, plotRight, plotTop);
    drawCountAxis();
    fl_pop_clip();
}

std::string MyHistogram::edgeLabel(double value) const
{
    return NumberText::fixed(value, bins.edgeDecimals);
}

void MyHistogram::drawBinEdge(int x0, int labelWidth, double value) const
{
    fl_color(gridColor);
    fl_line_style(FL_SOLID, 0);
    fl_line(x0, plotBottom, x0, plotBottom + 5);
    if (labelWidth > 0)
        fl_draw(edgeLabel(value).c_str(), x0 - labelWidth / 2, plotBottom + 7, labelWidth, 18, FL_ALIGN_CENTER);
}

void MyHistogram::drawCountAxis() const
{
    const int ticks = bins.countTicks;
    const int t = (plotBottom - plotTop) / ticks;
    const int stride = ChartModel::labelStride(fl_height(), t);
    for (int k = 0; k <= ticks; ++k) {
        const int y = plotBottom - k * t;
        const double value = (bins.countMin + k) * bins.countStep;
        fl_line(plotLeft, y, plotLeft - 5, y);
        fl_line(plotRight, y, plotRight + 5, y);
        if (k % stride)
            continue;
        fl_draw(NumberText::fixed(value, 0).c_str(), plotLeft - 37, y - 9, 28, 18, FL_ALIGN_RIGHT);
        // A tick above all the readings has no share.
        if (value <= bins.entryCount)
            fl_draw((NumberText::fixed(value * 100 / bins.entryCount, 1) + " %").c_str(), plotRight + 9, y - 9, 28, 18,
                    FL_ALIGN_LEFT);
    }
}
