#include "charts/MyGraph.h"

#include "app/Palette.h"
#include "app/Trace.h"
#include "charts/core/ChartModel.h"
#include "charts/core/ExcursionShading.h"
#include "records/NumberText.h"

#include <FL/Fl_Image.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <string>

namespace {

const char* const source = "MyGraph";
const Fl_Color seriesColors[4] = {FL_RED, FL_BLUE, FL_DARK_GREEN, FL_DARK_CYAN};
// The normal-range display: blue, and teal for a second member (Blood Sugar's Postprandial).
const Fl_Color rangeSeriesColors[2] = {0x18479D00, 0x00826E00}; // 24, 71, 157 and 0, 130, 110
// The limit lines of the first and the second series, and the shading below and above the range.
const Fl_Color bandEdgeColors[2] = {0xC818D800, 0xFF601400};
const Fl_Color excursionColors[2] = {0x53189D00, FL_DARK_RED};
const char* const noteText = "NB: this is not a substitution for a doctor's diagnosis";
const char* const helpText = "(refer to help for more details)";

int textWidth(const char* text)
{
    int w = 0, h = 0;
    fl_measure(text, w, h, 0);
    return w;
}

}

MyGraph::MyGraph(int x, int w, int h, ChartModel& chart)
    : Fl_Group(x, 140, w, h, "Graph"), chart(chart)
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
    classMode = chart.displayType() == ChartModel::Analysis;
    plotBottom = y() + h() - 106;
    plotLeft = x() + 47;
    plotTop = y() + 50;
    plotRight = x() + w() - 47;
    dataBottom = classMode ? plotBottom - 40 : plotBottom;
}

Fl_Color MyGraph::seriesColor(size_t i) const
{
    return chart.displayType() == ChartModel::NormalRange ? rangeSeriesColors[i % 2] : seriesColors[i % 4];
}

int MyGraph::timeToX(const ChartPoint& point) const
{
    return chart.timeToX(point, plotLeft, plotRight);
}

void MyGraph::draw()
{
    TRACE_SCOPE(source, "MyGraph::draw", 3);
    chart.update();
    computeGeometry();
    draw_box();
    fl_rectf(plotLeft, plotTop, plotRight - plotLeft, plotBottom - plotTop, FL_WHITE);
    if (chart.seriesCount() == 0)
        return;
    fl_push_clip(x(), y(), w(), h());
    fl_color(FL_BLACK);
    fl_line(plotLeft, plotBottom, plotLeft, plotTop);
    fl_line(plotLeft, plotBottom, plotRight, plotBottom);
    fl_font(FL_HELVETICA_BOLD, 16);
    fl_draw(chart.title().c_str(), plotLeft, plotTop - 30, plotRight - plotLeft, 30, FL_ALIGN_TOP | FL_ALIGN_INSIDE);

    const int legendX = x() + 10, legendY = plotBottom + 51;
    bool helpShown = true;
    if (classMode) {
        drawClassBand();
        helpShown = drawClassLegend(legendX, legendY + 25);
    }

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

    const bool ranges = chart.displayType() != ChartModel::MultiDisplay;
    for (size_t i = 0; i < chart.visibleSeries.size(); ++i) {
        if (chart.hasWindow)
            drawValueAxis(i);
        seriesX = drawLegendEntry(i, seriesX, legendY);
        if (chart.visibleSeries[i].empty())
            continue;
        std::vector<PlotPoint> points = chart.plotPoints(i, plotLeft, plotRight, dataBottom, plotTop);
        if (ranges)
            drawExcursions(i, points);
        fl_color(seriesColor(i));
        drawCurve(points);
        if (ranges)
            drawRangeLines(i);
    }
    // A class row too long for the pointer to the help leaves it to the "Vitals :" row, and the note
    // goes above the title.
    const int helpX = x() + w() - 5 - helpPointer(0, 0, false);
    if (!helpShown && helpX >= seriesX) {
        helpPointer(helpX, legendY, true);
        seriesX = x() + w();
    }
    if (ranges)
        drawNote(legendY, seriesX - 20);
    fl_line_style(0);
    fl_pop_clip();
}

void MyGraph::drawTimeAxis() const
{
    const int width = plotRight - plotLeft;
    const int nX = std::max(1, int(chart.xEnd - chart.xStart));
    fl_font(FL_HELVETICA, 12);
    std::vector<std::array<char[8], 2>> labels(size_t(nX) + 1);
    double widest = 0;
    for (int k = 0; k <= nX; ++k) {
        auto& label = labels[size_t(k)];
        ChartModel::printDate(label[0], label[1], chart.sameYear, (k + chart.xStart) * chart.xSpacing, chart.xSpacing);
        widest = std::max({widest, fl_width(label[0]), fl_width(label[1])});
    }
    // In a narrow window every tick keeps its mark, but only every stride-th its date.
    const int stride = ChartModel::labelStride(widest, double(width) / nX);
    const int labelWidth = int(widest) + 6;
    for (int k = 0; k <= nX; ++k) {
        int x = plotLeft + width * k / nX;
        fl_color(gridColor);
        fl_line(x, plotBottom - 5, x, plotBottom);
        if (k % stride)
            continue;
        fl_draw(labels[size_t(k)][0], x - labelWidth / 2, plotBottom + 6, labelWidth, 20, FL_ALIGN_CENTER);
        fl_draw(labels[size_t(k)][1], x - labelWidth / 2, plotBottom + 21, labelWidth, 20, FL_ALIGN_CENTER);
    }
}

void MyGraph::drawValueAxis(size_t i) const
{
    const YScale& scale = chart.yScales[i];
    const int n = chart.gridIntervals;
    const int x = i % 2 ? plotRight : plotLeft;
    const bool outward = i == 0 || i == 3; // the tick points left of its axis
    const int decimals = NumberText::decimals(scale.step);
    const int room = 38; // from the label's end beside the tick nearly to the widget's edge
    fl_color(seriesColor(i));
    fl_line_style(FL_SOLID, 0);
    fl_font(FL_HELVETICA, 12);
    const int stride = ChartModel::labelStride(fl_height(), double(dataBottom - plotTop) / n);
    // Labels too long for the room take the exponent form, and where one of those is still too
    // long, the whole axis a smaller font.
    std::vector<std::string> labels(size_t(n) + 1);
    int size = 12;
    for (int j = 0; j <= n; j += stride) {
        const double value = (scale.lo + j) * scale.step;
        std::string& label = labels[size_t(j)];
        label = NumberText::fixed(value, decimals);
        if (fl_width(label.c_str()) > room)
            label = NumberText::exponent(value, scale.step);
        if (fl_width(label.c_str()) > room)
            size = 10;
    }
    fl_font(FL_HELVETICA, size);
    for (int j = 0; j <= n; ++j) {
        int row = dataBottom + (plotTop - dataBottom) * j / n;
        fl_line(x + (outward ? -5 : 0), row, x + (outward ? 0 : 5), row);
        if (j % stride)
            continue;
        if (outward)
            fl_draw(labels[size_t(j)].c_str(), x - 37, row - 15, 30, 15, FL_ALIGN_RIGHT);
        else
            fl_draw(labels[size_t(j)].c_str(), x + 7, row - 15, 30, 15, FL_ALIGN_LEFT);
    }
    fl_font(FL_HELVETICA, 12);
}

int MyGraph::drawLegendEntry(size_t i, int seriesX, int legendY) const
{
    const ChartSeries& s = *chart.visibleSeries[i].series;
    fl_color(seriesColor(i));
    fl_line(seriesX, legendY + 10, seriesX + 50, legendY + 10);
    fl_pie(seriesX + 20, legendY + 6, 8, 8, 0, 360);
    std::string label = s.name;
    if (chart.displayType() == ChartModel::NormalRange)
        label += " (normal range: " + NumberText::bound(s.ranges.normalLow) + " - " +
                 NumberText::bound(s.ranges.normalHigh) + ")";
    fl_color(FL_BLACK);
    fl_font(FL_HELVETICA, 12);
    int width = textWidth(label.c_str());
    fl_draw(label.c_str(), seriesX + 55, legendY, width, 20, FL_ALIGN_LEFT);
    return seriesX + 55 + width + 20;
}

void MyGraph::drawCurve(const std::vector<PlotPoint>& points) const
{
    fl_line_style(FL_SOLID, 0);
    for (size_t k = 0; k < points.size(); ++k) {
        fl_pie(points[k].x - 4, points[k].y - 4, 8, 8, 0, 360);
        if (k > 0)
            fl_line(points[k - 1].x, points[k - 1].y, points[k].x, points[k].y);
    }
}

void MyGraph::drawExcursions(size_t i, const std::vector<PlotPoint>& points) const
{
    auto [low, high] = chart.rangeLimits(i);
    if (!(low < high))
        return; // a variable without a range: nothing lies outside it
    // A limit far off the plot is shaded to the widget's edge: the curve cannot cross it there,
    // so the visible shading is the same, and the rows stay within what the display takes.
    auto row = [&](double value) { return std::clamp(chart.valueToY(i, value, dataBottom, plotTop), y() - 1, y() + h()); };
    ExcursionShading(low, high, row(low), row(high), fillTriangle).shade(points);
}

void MyGraph::fillTriangle(const Vertex& a, const Vertex& b, const Vertex& c, bool above)
{
    fl_color(excursionColors[above]);
    fl_polygon(a.x, a.y, b.x, b.y, c.x, c.y);
}

void MyGraph::drawRangeLines(size_t i) const
{
    auto [low, high] = chart.rangeLimits(i);
    if (!(low < high))
        return;
    const struct {
        double value;
        int labelOffset;
        Fl_Align align;
    } limits[2] = {{low, -20, FL_ALIGN_TOP | FL_ALIGN_LEFT | FL_ALIGN_RIGHT},
                   {high, 5, FL_ALIGN_TOP | FL_ALIGN_BOTTOM | FL_ALIGN_LEFT}};
    fl_color(bandEdgeColors[i % 2]);
    fl_font(FL_HELVETICA_BOLD, 12);
    for (const auto& limit : limits) {
        // A limit outside the data area is left out, so that no line runs through the title or the band.
        int row = chart.valueToY(i, limit.value, dataBottom, plotTop);
        if (row > dataBottom || row < plotTop)
            continue;
        std::string label = NumberText::bound(limit.value, 8);
        fl_line_style(FL_DASH, 2);
        fl_line(plotLeft, row, plotRight, row);
        fl_line_style(FL_SOLID, 0);
        fl_draw(label.c_str(), plotLeft + 5, row + limit.labelOffset, 30, 15, limit.align);
    }
}

void MyGraph::drawNote(int legendY, int legendEnd) const
{
    fl_color(FL_BLACK);
    fl_font(FL_HELVETICA_ITALIC, 14);
    const int width = int(fl_width(noteText)), noteX = x() + w() - width - 10;
    // Where the legend leaves no room, above the title, so that neither covers the other.
    fl_draw(noteText, noteX, noteX < legendEnd ? y() + 2 : legendY, width + 5, 20, FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
}

void MyGraph::drawMarker(int x, int y) const
{
    if (Global::markerIcon)
        Global::markerIcon->draw(x, y);
}

void MyGraph::drawClassBand() const
{
    const int s = chart.indexOfSeries("Systolic");
    if (s < 0 || size_t(s) >= chart.visibleSeries.size() || chart.visibleSeries[size_t(s)].empty())
        return;
    const VisibleSeries& systolic = chart.visibleSeries[size_t(s)];
    auto column = [&](size_t point) { return timeToX(systolic.series->points[point]); };
    // The stretch from the first reading to the last one of a period, over the band.
    auto stretch = [&](size_t first, size_t last, Fl_Color colour) {
        fl_draw_box(FL_PLASTIC_DOWN_BOX, column(first), dataBottom, column(last) - column(first), plotBottom - dataBottom,
                    colour);
    };
    stretch(systolic.first, systolic.last - 1, FL_WHITE);
    for (size_t k = 0; k < chart.classPeriods.size() && k < Global::bpClasses.size(); ++k)
        for (const ClassPeriod& period : chart.classPeriods[k])
            stretch(period.first, period.end - 1, toolkitColor(Global::bpClasses[k].colour));

    const int markerW = Global::markerIcon ? Global::markerIcon->w() : 0;
    const int markerH = Global::markerIcon ? Global::markerIcon->h() : 0;
    int drawnAt = INT_MIN;
    for (size_t point : chart.veryHighPoints) {
        // Readings in one column would only draw the same marker again.
        int x = column(point);
        if (x != drawnAt)
            drawMarker(x - markerW / 2, (dataBottom - markerH + plotBottom) / 2);
        drawnAt = x;
    }
}

int MyGraph::helpPointer(int x, int row, bool draw)
{
    fl_color(labelColor);
    fl_font(FL_HELVETICA_ITALIC, 13);
    const int width = textWidth(helpText);
    if (draw)
        fl_draw(helpText, x, row, width, 20, FL_ALIGN_LEFT);
    return width;
}

bool MyGraph::drawClassLegend(int legendX, int row) const
{
    fl_color(labelColor);
    fl_font(FL_HELVETICA_BOLD, 13);
    int classX = legendX + textWidth("Classifications :");
    fl_draw("Classifications :", legendX, row, classX - legendX, 20, FL_ALIGN_LEFT);
    classX += 10;

    struct Entry {
        const char* name;
        Fl_Color colour;
        bool marker;
    };
    std::vector<Entry> entries;
    for (size_t k = 0; k < chart.classPeriods.size() && k < Global::bpClasses.size(); ++k)
        if (!chart.classPeriods[k].empty())
            entries.push_back({Global::bpClasses[k].name.c_str(), toolkitColor(Global::bpClasses[k].colour), false});
    entries.push_back({"Transition", FL_WHITE, false});
    if (!chart.veryHighPoints.empty())
        entries.push_back({"Very high BP", FL_BLACK, true});

    // A row too long for the plot gets narrower colour boxes, and the pointer to the help only
    // where it fits (else the "Vitals :" row takes it).
    const int helpWidth = helpPointer(0, 0, false), right = x() + w() - 5;
    const int markerW = Global::markerIcon ? Global::markerIcon->w() : 0;
    fl_font(FL_HELVETICA, 12);
    int fullWidth = 0;
    for (const Entry& e : entries)
        fullWidth += (e.marker ? markerW + 15 : 56) + textWidth(e.name);
    const int boxWidth = classX + fullWidth + 5 + helpWidth <= right ? 40 : 20;
    for (const Entry& e : entries) {
        if (e.marker)
            drawMarker(classX, row);
        else
            fl_draw_box(FL_PLASTIC_DOWN_BOX, classX, row, boxWidth, 20, e.colour);
        classX += (e.marker ? markerW : boxWidth) + 5;
        int width = textWidth(e.name);
        fl_color(FL_BLACK);
        fl_draw(e.name, classX, row, width, 20, FL_ALIGN_LEFT);
        classX += width + (e.marker ? 10 : 11);
    }
    if (classX + 5 + helpWidth > right)
        return false;
    helpPointer(classX + 5, row, true);
    return true;
}
