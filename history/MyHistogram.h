// One charted variable's histogram: how many of its shown readings fall in each value range, the
// bars coloured by where the range lies against the variable's limits, counts on the left axis
// and shares of all its shown readings on the right.
#pragma once

#include "charts/HistogramBins.h"

#include <FL/Fl_Group.H>

struct VisibleSeries;

class MyHistogram : public Fl_Group {
public:
    // The series must stay as it is while the histogram lives; the tab rebuilds it after a change.
    MyHistogram(int x, int y, int w, int h, const VisibleSeries* series);
    void draw() override;

    const VisibleSeries* series;
    HistogramBins bins;
    int plotTop, plotBottom, plotLeft, plotRight;

private:
    void computeGeometry();
    void drawBinEdge(int x0, int barWidth, double value, const char* format) const;
    void drawCountAxis() const;
};
