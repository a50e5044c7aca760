// What the chart shows, worked out without a display: the charted series, the time window and
// its axis, the visible points, the y scales and the trend figures. The chart panel, the plot
// and the trend cards draw from it; it is recomputed only after something changed.
#pragma once

#include "charts/core/ChartSeries.h"

#include <list>
#include <string>
#include <utility>
#include <vector>

extern const char* const timeRangeNames[6];

struct TrendFigures {
    int count = 0;
    double minimum = 0, maximum = 0, average = 0;
    // Empty when there is no point: "%.2f" for the average, "%.1f" for the extremes.
    std::string averageText, minimumText, maximumText;
};

// The points of one series that lie in the time window: points[first, last).
struct VisibleSeries {
    const ChartSeries* series;
    size_t first, last;
    TrendFigures figures;

    const ChartPoint* begin() const { return series->points.data() + first; }
    const ChartPoint* end() const { return series->points.data() + last; }
    bool empty() const { return first == last; }
};

// A stretch of blood-pressure readings in one class: the systolic points [first, end).
struct ClassPeriod {
    size_t first, end;
};

// A point where the plot draws it, with its value.
struct PlotPoint {
    int x, y;
    double value;
};

// A value axis: grid lines at (lo + j) * step for j = 0 .. hi - lo.
struct YScale {
    double step = 1;
    int lo = 0, hi = 1;
};

class ChartModel {
public:
    enum DisplayType { MultiDisplay = 0, NormalRange = 1, Analysis = 2 };
    static const long timeSpans[6]; // seconds subtracted from the last point, per time range

    // Read freely; changed only through the functions below, which mark what must be recomputed.
    std::list<ChartSeries> series;
    int seriesCount() const { return int(series.size()); }
    int timeMode() const { return mode; }
    int displayType() const { return type; }
    void setTimeMode(int timeMode);
    void setDisplayType(int displayType);
    // A fixed time window, such as a report's period, in place of the one the time range gives;
    // none while end is 0.
    void setFixedWindow(std::time_t start, std::time_t end);

    // Results of update().
    std::vector<size_t> startPoints, endPoints;
    bool hasWindow = false; // false while no series holds a point
    double xStart = 0, xEnd = 1, xSpacing = 1;
    bool sameYear = true;
    char fromText[16] = "", toText[16] = "";
    std::vector<VisibleSeries> visibleSeries;
    std::vector<YScale> yScales;
    int gridIntervals = 1;
    // Analysis display only: per class of Global::bpClasses its periods, and the systolic readings
    // in the highest class, as positions in the systolic series' points.
    std::vector<std::vector<ClassPeriod>> classPeriods;
    std::vector<size_t> veryHighPoints;

    void addSeries(ChartSeries added);
    // Drops the series of that name; "all" drops every series (see clear).
    void dropVar(const char* name);
    void dropSeries(const std::string& name);
    void clear();
    int addPointToVariable(std::string name, std::tm when, double value);
    int indexOfSeries(const char* name) const;
    // Puts a series built again from the record in the place of the one of its name.
    void replaceSeries(ChartSeries rebuilt);

    // Recomputes everything shown when the series, the time range or the display type changed
    // since the last call; returns whether it did. revision() counts the recomputations.
    bool update();
    unsigned revision() const { return revisionCount; }
    bool upToDate() const { return !changed; }

    void xScaleOperations();
    static double bestSpacing(bool flag, double x);
    static void printDate(char* line1, char* line2, bool sameYear, double days, double spacing);
    // Every how many ticks a label of labelWidth pixels (its height, on a value axis) fits beside the
    // next, ticks being tickSpacing apart.
    static int labelStride(double labelWidth, double tickSpacing);
    // Moves a secondary scale onto n grid intervals around its data.
    static void yScaleOperations(int n, double& step, int& lo, int& hi, double vMin, double vMax, double target);
    void yScaleOperations();

    void classifyBloodPressure();
    // Pairs each visible systolic reading with the diastolic reading of the same entry; a reading
    // without a partner is left out of the classes.
    static void classifyBloodPressure(const VisibleSeries& systolic, const VisibleSeries& diastolic,
                                      std::vector<std::vector<ClassPeriod>>& periods, std::vector<size_t>& veryHigh);
    // The low and high limits series i is drawn against in the range displays.
    std::pair<double, double> rangeLimits(size_t i) const;

    // "History for A, B and C".
    std::string title() const;
    // Pixel column of a time between the plot's left and right edges, and row of series i's value
    // between the data area's bottom and top; both truncated toward zero and kept in pixel range.
    int timeToX(const ChartPoint& point, int left, int right) const;
    int valueToY(size_t i, double value, int bottom, int top) const;
    std::vector<PlotPoint> plotPoints(size_t i, int left, int right, int bottom, int top) const;

    static TrendFigures trendFigures(const ChartPoint* first, const ChartPoint* last);

private:
    void markChanged() { changed = true; }

    bool changed = true;
    int mode = 0;
    int type = MultiDisplay;
    std::time_t windowStart = 0, windowEnd = 0;
    unsigned revisionCount = 0;
};
