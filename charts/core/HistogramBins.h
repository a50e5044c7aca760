// How a variable's shown readings spread over value ranges: the bins of one histogram and its
// count axis, worked out for the histogram's size. Display-free, so that any series can be binned.
#pragma once

#include "charts/core/ChartSeries.h"

#include <vector>

struct HistogramBins {
    std::vector<int> counts; // from the first nonempty bin to the last
    std::vector<double> lowest, highest; // per bin, its lowest and highest reading: they class its bar
    double binWidth = 0;
    double firstBin = 0;     // bin i covers i * binWidth up to (i + 1) * binWidth
    int binCount = 0;        // the bins the bar area is divided into; at most one per pixel
    double countStep = 1;
    double countMin = 0;
    int countTicks = 0;
    int entryCount = 0;      // the readings counted, the 100 % of the share axis
    int edgeDecimals = 0;    // the decimals a bin edge is labelled with

    // The bar area of a histogram w by h pixels.
    static int plotWidth(int w) { return w - 111; }
    static int plotHeight(int h) { return h - 80; }

    // Readings that are not finite numbers are left out; without readings there are no bins.
    static HistogramBins count(const ChartPoint* first, const ChartPoint* last, int w, int h);
};
