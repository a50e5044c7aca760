// The plot of the "Graph" tab: up to four series against time, each on a value axis of its own,
// with title, grid, date labels and the legend row. It holds no data: it draws the controller's.
#pragma once

#include <FL/Fl_Group.H>

#include <cstddef>

class ChartController;
struct ChartPoint;

class MyGraph : public Fl_Group {
public:
    MyGraph(int x, int w, int h, ChartController* controller);
    void draw() override;
    int timeToX(const ChartPoint& point) const;

    ChartController* controller;
    int plotBottom, plotLeft, plotTop, plotRight, dataBottom;
    bool classMode = false;

private:
    void computeGeometry();
    Fl_Color seriesColor(std::size_t i) const;
    void drawTimeAxis() const;
    void drawValueAxis(std::size_t i) const;
    // Returns the x where the next legend entry starts.
    int drawLegendEntry(std::size_t i, int seriesX, int legendY) const;
    void drawCurve(std::size_t i) const;
};
