// One charted variable's histogram: how many of its shown readings fall in each value range, the
// bars coloured by where the range lies against the variable's limits, counts on the left axis
// and shares of all its shown readings on the right.
#pragma once

#include "charts/core/HistogramBins.h"

#include <FL/Fl_Group.H>

#include <string>

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
    std::string edgeLabel(double value) const;
    // A tick at x0, and the value's label centred on it unless labelWidth is 0.
    void drawBinEdge(int x0, int labelWidth, double value) const;
    void drawCountAxis() const;
};
