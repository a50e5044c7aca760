#include "charts/MyGraph.h"

#include "app/Palette.h"
#include "app/Trace.h"
#include "charts/ChartController.h"

#include <FL/fl_draw.H>

#include <cmath>
#include <string>

namespace {

const char* const source = "MyGraph";
const Fl_Color seriesColors[4] = {FL_RED, FL_BLUE, FL_DARK_GREEN, FL_DARK_CYAN};
const Fl_Color rangeSeriesColor = 0x18479D00; // 24, 71, 157

int textWidth(const char* text)
{
    int w = 0, h = 0;
    fl_measure(text, w, h, 0);
    return w;
}

}

MyGraph::MyGraph(int x, int w, int h, ChartController* controller)
    : Fl_Group(x, 140, w, h, "Graph"), controller(controller)
{
    TRACE_SCOPE(source, "MyGraph::MyGraph", 3);
    // The whole tab is painted on each draw, so that nothing of an earlier chart stays around it.
    box(FL_FLAT_BOX);
    color(panelColor);
    end();
    computeGeometry();
}

void MyGraph::computeGeometry()
{
    classMode = controller->displayType == ChartModel::Analysis;
    plotBottom = y() + h() - 106;
    plotLeft = x() + 47;
    plotTop = y() + 50;
    plotRight = x() + w() - 47;
    dataBottom = classMode ? plotBottom - 40 : plotBottom;
}

Fl_Color MyGraph::seriesColor(size_t i) const
{
    return controller->displayType == ChartModel::NormalRange ? rangeSeriesColor : seriesColors[i % 4];
}

int MyGraph::timeToX(const ChartPoint& point) const
{
    return controller->timeToX(point, plotLeft, plotRight);
}

void MyGraph::draw()
{
    TRACE_SCOPE(source, "MyGraph::draw", 3);
    ChartController& chart = *controller;
    chart.update();
    computeGeometry();
    draw_box();
    fl_rectf(plotLeft, plotTop, plotRight - plotLeft, plotBottom - plotTop, FL_WHITE);
    if (chart.seriesCount == 0)
        return;
    fl_push_clip(x(), y(), w(), h());
    fl_color(FL_BLACK);
    fl_line(plotLeft, plotBottom, plotLeft, plotTop);
    fl_line(plotLeft, plotBottom, plotRight, plotBottom);
    fl_font(FL_HELVETICA_BOLD, 16);
    fl_draw(chart.title().c_str(), plotLeft, plotTop - 30, plotRight - plotLeft, 30, FL_ALIGN_TOP | FL_ALIGN_INSIDE);

    const int legendX = x() + 10, legendY = plotBottom + 51;
    // The class band and its legend row of the analysis display are drawn here.

    const int n = chart.gridIntervals;
    if (chart.hasWindow) {
        fl_color(gridColor);
        fl_line_style(FL_DASH, 0);
        for (int j = classMode ? 0 : 1; j <= n; ++j) {
            int row = dataBottom + (plotTop - dataBottom) * j / n;
            fl_line(plotLeft, row, plotRight, row);
        }
        fl_line_style(FL_SOLID, 0);
        drawTimeAxis();
    }

    fl_color(labelColor);
    fl_font(FL_HELVETICA_BOLD, 13);
    int titleWidth = textWidth("Vitals :");
    int classTitleWidth = classMode ? textWidth("Classifications :") : 0;
    fl_draw("Vitals :", legendX, legendY, titleWidth, 20, FL_ALIGN_LEFT);
    int seriesX = legendX + std::max(titleWidth, classTitleWidth) + 10;

    for (size_t i = 0; i < chart.visibleSeries.size(); ++i) {
        if (chart.hasWindow)
            drawValueAxis(i);
        seriesX = drawLegendEntry(i, seriesX, legendY);
        // Normal-range and analysis displays: the shading of excursions goes here.
        drawCurve(i);
        // Normal-range and analysis displays: the range lines go here.
    }
    // Normal-range and analysis displays: the note line goes here.
    fl_line_style(0);
    fl_pop_clip();
}

void MyGraph::drawTimeAxis() const
{
    const ChartController& chart = *controller;
    const int width = plotRight - plotLeft;
    const int nX = std::max(1, int(chart.xEnd - chart.xStart));
    const double half = width / (2.0 * nX);
    const int labelWidth = int(2 * half);
    fl_font(FL_HELVETICA, 12);
    for (int k = 0; k <= nX; ++k) {
        int x = plotLeft + width * k / nX;
        char line1[8], line2[8];
        ChartModel::printDate(line1, line2, chart.sameYear, (k + chart.xStart) * chart.xSpacing, chart.xSpacing);
        fl_color(gridColor);
        fl_line(x, plotBottom - 5, x, plotBottom);
        fl_draw(line1, x - int(half), plotBottom + 6, labelWidth, 20, FL_ALIGN_CENTER);
        fl_draw(line2, x - int(half), plotBottom + 21, labelWidth, 20, FL_ALIGN_CENTER);
    }
}

void MyGraph::drawValueAxis(size_t i) const
{
    const ChartController& chart = *controller;
    const YScale& scale = chart.yScales[i];
    const int n = chart.gridIntervals;
    const int x = i % 2 ? plotRight : plotLeft;
    const bool outward = i == 0 || i == 3; // the tick points left of its axis
    const char* format = scale.step == std::floor(scale.step) ? "%.0f" : "%.1f";
    fl_color(seriesColor(i));
    fl_line_style(FL_SOLID, 0);
    fl_font(FL_HELVETICA, 12);
    for (int j = 0; j <= n; ++j) {
        int row = dataBottom + (plotTop - dataBottom) * j / n;
        char label[32];
        std::snprintf(label, sizeof label, format, (scale.lo + j) * scale.step + 0.0);
        if (outward) {
            fl_line(x - 5, row, x, row);
            fl_draw(label, x - 37, row - 15, 30, 15, FL_ALIGN_RIGHT);
        } else {
            fl_line(x, row, x + 5, row);
            fl_draw(label, x + 7, row - 15, 30, 15, FL_ALIGN_LEFT);
        }
    }
}

int MyGraph::drawLegendEntry(size_t i, int seriesX, int legendY) const
{
    const ChartController& chart = *controller;
    const ChartSeries& s = *chart.visibleSeries[i].series;
    fl_color(seriesColor(i));
    fl_line(seriesX, legendY + 10, seriesX + 50, legendY + 10);
    fl_pie(seriesX + 20, legendY + 6, 8, 8, 0, 360);
    std::string label = s.name;
    if (chart.displayType == ChartModel::NormalRange)
        label += std::string(" (normal range: ") + s.normalLowText + " - " + s.normalHighText + ")";
    fl_color(FL_BLACK);
    fl_font(FL_HELVETICA, 12);
    int width = textWidth(label.c_str());
    fl_draw(label.c_str(), seriesX + 55, legendY, width, 20, FL_ALIGN_LEFT);
    return seriesX + 55 + width + 20;
}

void MyGraph::drawCurve(size_t i) const
{
    const ChartController& chart = *controller;
    const VisibleSeries& visible = chart.visibleSeries[i];
    fl_color(seriesColor(i));
    fl_line_style(FL_SOLID, 0);
    int px = 0, py = 0;
    for (const ChartPoint* p = visible.begin(); p != visible.end(); ++p) {
        int x = timeToX(*p), y = chart.valueToY(i, p->value, dataBottom, plotTop);
        fl_pie(x - 4, y - 4, 8, 8, 0, 360);
        if (p != visible.begin())
            fl_line(px, py, x, y);
        px = x;
        py = y;
    }
}
