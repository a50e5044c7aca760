// The plot of the "Graph" tab: up to four series against time, each on a value axis of its own,
// with title, grid, date labels and the legend row. It holds no data: it draws the chart model's.
#pragma once

#include <FL/Fl_Group.H>

#include <cstddef>
#include <vector>

class ChartModel;
struct ChartPoint;
struct PlotPoint;
struct Vertex;

class MyGraph : public Fl_Group {
public:
    MyGraph(int x, int w, int h, ChartModel& chart);
    void draw() override;
    int timeToX(const ChartPoint& point) const;

    ChartModel& chart;
    int plotBottom, plotLeft, plotTop, plotRight, dataBottom;
    bool classMode = false;

private:
    void computeGeometry();
    Fl_Color seriesColor(std::size_t i) const;
    void drawTimeAxis() const;
    void drawValueAxis(std::size_t i) const;
    // Returns the x where the next legend entry starts.
    int drawLegendEntry(std::size_t i, int seriesX, int legendY) const;
    void drawCurve(const std::vector<PlotPoint>& points) const;
    // The range displays: the excursions out of series i's range, and its limits.
    void drawExcursions(std::size_t i, const std::vector<PlotPoint>& points) const;
    static void fillTriangle(const Vertex& a, const Vertex& b, const Vertex& c, bool above);
    void drawRangeLines(std::size_t i) const;
    void drawNote(int legendY, int legendEnd) const;
    // The analysis display: the class band over the time axis with its markers, and its legend row.
    void drawClassBand() const;
    // False when the pointer to the help found no room at the end of the row.
    bool drawClassLegend(int legendX, int row) const;
    // Returns the width of the pointer to the help; with draw set, draws it at (x, row).
    static int helpPointer(int x, int row, bool draw);
    void drawMarker(int x, int y) const;
};
