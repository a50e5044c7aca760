#include "charts/core/ChartModel.h"

#include "app/Trace.h"
#include "records/NumberText.h"

#include <algorithm>
#include <cmath>
#include <cstring>

const char* const timeRangeNames[6] = {"Auto", "Year", "6 Months", "3 Months", "Month", "Week"};
const long ChartModel::timeSpans[6] = {0, 31557600, 15778800, 7889400, 2678400, 604800};

namespace {

const char* const source = "ChartController";
const double secondsPerDay = 86400;

double lg(double v)
{
    return std::log10(v + 0.1) + 1;
}

// Far outside any screen, yet safe to convert to int and to draw with.
int pixel(double value)
{
    return int(std::max(-1e6, std::min(1e6, value)));
}

// Local midnight (or the hour, below quarter-day spacings) at or before a tick, ten seconds in,
// in tick units; year receives the tick's calendar year.
double snapTick(double ticks, double spacing, bool end, int& year)
{
    const double u = spacing * secondsPerDay;
    std::time_t t = std::time_t(spacing * ticks * secondsPerDay);
    if (end)
        t = std::time_t(double(t) + (spacing >= 0.25 ? secondsPerDay : u));
    std::tm when;
    localtime_r(&t, &when);
    year = when.tm_year;
    if (spacing >= 0.25)
        when.tm_hour = 0;
    when.tm_min = 0;
    when.tm_sec = 10;
    when.tm_isdst = -1;
    return double(std::mktime(&when)) / u;
}

void formatDate(std::time_t t, char (&text)[16])
{
    std::tm when;
    localtime_r(&t, &when);
    if (!std::strftime(text, sizeof text, "%x", &when))
        text[0] = '\0';
}

}

void ChartModel::setTimeMode(int timeMode)
{
    if (timeMode != mode)
        markChanged();
    mode = timeMode;
}

void ChartModel::setDisplayType(int displayType)
{
    if (displayType != type)
        markChanged();
    type = displayType;
}

void ChartModel::setFixedWindow(std::time_t start, std::time_t end)
{
    if (start != windowStart || end != windowEnd)
        markChanged();
    windowStart = start;
    windowEnd = end;
}

void ChartModel::addSeries(ChartSeries added)
{
    series.push_back(std::move(added));
    markChanged();
}

void ChartModel::dropVar(const char* name)
{
    TRACE_SCOPE(source, "ChartController::dropVar", 3);
    if (!std::strcmp(name, "all"))
        clear();
    else
        dropSeries(name);
}

void ChartModel::dropSeries(const std::string& name)
{
    auto found = std::find_if(series.begin(), series.end(), [&](const ChartSeries& s) { return s.name == name; });
    if (found == series.end())
        return;
    series.erase(found);
    // Nothing may keep pointing at a dropped series until the next update.
    visibleSeries.clear();
    markChanged();
}

void ChartModel::clear()
{
    series.clear();
    visibleSeries.clear();
    markChanged();
}

int ChartModel::addPointToVariable(std::string name, std::tm when, double value)
{
    TRACE_SCOPE(source, "ChartController::addPointToVariable", 3);
    for (ChartSeries& s : series)
        if (s.name == name) {
            if (ChartSeries::isChartable(value))
                s.store(when, value);
            markChanged();
            return 0;
        }
    return -1;
}

int ChartModel::indexOfSeries(const char* name) const
{
    int index = 0, found = -1;
    for (const ChartSeries& s : series) {
        if (s.name == name)
            found = index;
        ++index;
    }
    return found;
}

void ChartModel::replaceSeries(ChartSeries rebuilt)
{
    for (ChartSeries& s : series)
        if (s.name == rebuilt.name) {
            s = std::move(rebuilt);
            visibleSeries.clear();
            markChanged();
            return;
        }
}

bool ChartModel::update()
{
    if (!changed)
        return false;
    visibleSeries.clear();
    startPoints.clear();
    endPoints.clear();
    hasWindow = false;
    fromText[0] = toText[0] = '\0';
    if (!series.empty())
        xScaleOperations();
    size_t i = 0;
    for (const ChartSeries& s : series) {
        size_t first = i < startPoints.size() ? startPoints[i] : 0;
        size_t last = i < endPoints.size() ? endPoints[i] : 0;
        const ChartPoint* base = s.points.data();
        visibleSeries.push_back({&s, first, last, trendFigures(base + first, base + last)});
        ++i;
    }
    yScaleOperations();
    classifyBloodPressure();
    changed = false;
    ++revisionCount;
    return true;
}

void ChartModel::xScaleOperations()
{
    TRACE_SCOPE(source, "ChartController::xScaleOperations", 3);
    // Series without points take no part in the window; they show nothing.
    std::time_t tFirst = 0, tLast = 0;
    for (const ChartSeries& s : series) {
        if (s.points.empty())
            continue;
        std::time_t first = s.points.front().seconds, last = s.points.back().seconds;
        tFirst = hasWindow ? std::min(tFirst, first) : first;
        tLast = hasWindow ? std::max(tLast, last) : last;
        hasWindow = true;
    }
    const int span = mode >= 0 && mode < 6 ? mode : 0;
    if (span != 0)
        tFirst = tLast - timeSpans[span];
    const bool fixed = windowEnd > windowStart;
    if (fixed) {
        tFirst = windowStart;
        tLast = windowEnd;
    }
    for (const ChartSeries& s : series) {
        auto from = std::lower_bound(s.points.begin(), s.points.end(), tFirst,
                                     [](const ChartPoint& p, std::time_t t) { return p.seconds < t; });
        auto to = fixed ? std::upper_bound(s.points.begin(), s.points.end(), tLast,
                                           [](std::time_t t, const ChartPoint& p) { return t < p.seconds; })
                        : s.points.end();
        startPoints.push_back(size_t(from - s.points.begin()));
        endPoints.push_back(size_t(std::max(from, to) - s.points.begin()));
    }
    if (!hasWindow)
        return;

    xSpacing = bestSpacing(false, double(tLast - tFirst) / 691200);
    const double u = xSpacing * secondsPerDay;
    xStart = std::floor((double(tFirst) - 8640) / u);
    xEnd = std::ceil((double(tLast) + 8640) / u);
    int firstYear, lastYear;
    xStart = snapTick(xStart, xSpacing, false, firstYear);
    xEnd = std::max(snapTick(xEnd, xSpacing, true, lastYear), xStart + 1);
    sameYear = firstYear == lastYear;
    formatDate(tFirst, fromText);
    formatDate(tLast, toText);
}

double ChartModel::bestSpacing(bool flag, double x)
{
    TRACE_SCOPE(source, "ChartController::bestSpacing", 3);
    static const double valueSteps[5] = {1, 1, 2, 5, 10};
    static const double daySteps[5] = {1, 3, 5, 7, 10};
    static const double hourSteps[5] = {10.0 / 24, 1.25, 2.5, 5, 10};
    double l = lg(std::isfinite(x) && x > 0 ? x : 0);
    int n = int(std::floor(l));
    double frac = l - n;
    double scale = std::pow(10.0, n - 1);
    const double* candidates = flag ? valueSteps : n >= 1 ? daySteps : hourSteps;
    double best = 1.0, choice = candidates[0];
    for (int k = 0; k < 5; ++k) {
        double l2 = lg(candidates[k] * scale);
        double d = std::fabs(frac - ((l2 - std::floor(l2)) + (candidates[k] >= 10 ? 1 : 0)));
        if (d < best) {
            best = d;
            choice = candidates[k];
        }
    }
    return scale * choice;
}

int ChartModel::labelStride(double labelWidth, double tickSpacing)
{
    const double gap = 6;
    if (!(tickSpacing > 0))
        return 1;
    return int(std::clamp(std::ceil((labelWidth + gap) / tickSpacing), 1.0, 1e6));
}

void ChartModel::printDate(char* line1, char* line2, bool sameYear, double days, double spacing)
{
    TRACE_SCOPE(source, "ChartController::printDate", 3);
    std::time_t t = std::time_t(days * secondsPerDay);
    // Day ticks lie whole days of seconds after a local midnight, so past a clock change they fall
    // an hour off it: each is named after the nearest midnight, the day it marks.
    if (spacing >= 1)
        t += std::time_t(secondsPerDay / 2);
    std::tm when;
    localtime_r(&t, &when);
    if (!std::strftime(line1, 8, "%b %d", &when))
        line1[0] = '\0';
    const char* second = spacing < 1 ? "%I%p" : sameYear ? "" : "%Y";
    if (!*second || !std::strftime(line2, 8, second, &when))
        line2[0] = '\0';
}

void ChartModel::yScaleOperations(int n, double& step, int& lo, int& hi, double vMin, double vMax, double target)
{
    TRACE_SCOPE("MyGraph", "MyGraph::yScaleOperations", 3);
    if (hi - lo >= n)
        return;
    // With two grid intervals or fewer there is no target step: the series keeps its own step
    // and is only moved onto n intervals.
    if (n > 2) {
        double l = lg(target);
        int order = int(std::floor(l));
        double frac = l - order;
        double scale = std::pow(10.0, order - 1);
        double best = 1.0, choice = 10;
        for (double c : {1.0, 1.0, 2.0, 5.0, 10.0}) {
            double l2 = lg(c * scale);
            double d = (l2 - std::floor(l2) + (c >= 10 ? 1 : 0)) - frac;
            if (d < best && d >= 0) {
                best = d;
                choice = c;
            }
        }
        step = scale * choice;
    }
    int middle = int((vMin + vMax) / step);
    lo = int(std::floor((middle - n) * 0.5));
    hi = int(std::floor((middle + n) * 0.5));
    if (vMin / step <= lo) {
        --lo;
        --hi;
    }
}

void ChartModel::yScaleOperations()
{
    std::vector<std::pair<double, double>> ranges;
    for (const VisibleSeries& v : visibleSeries) {
        auto [low, high] = std::minmax_element(v.begin(), v.end(),
                                               [](const ChartPoint& a, const ChartPoint& b) { return a.value < b.value; });
        ranges.push_back(v.empty() ? std::make_pair(0.0, 0.0) : std::make_pair(low->value, high->value));
    }
    auto scaleFor = [](double vMin, double vMax) {
        YScale s;
        s.step = bestSpacing(true, (vMax - vMin) / 6);
        s.lo = int(std::floor(vMin / s.step - 0.1));
        s.hi = int(std::ceil(vMax / s.step + 0.1));
        return s;
    };
    yScales.clear();
    if (type != MultiDisplay) {
        // One scale for all, from the series that show points.
        bool any = false;
        double vMin = 0, vMax = 0;
        for (size_t i = 0; i < ranges.size(); ++i)
            if (!visibleSeries[i].empty()) {
                vMin = any ? std::min(vMin, ranges[i].first) : ranges[i].first;
                vMax = any ? std::max(vMax, ranges[i].second) : ranges[i].second;
                any = true;
            }
        yScales.assign(ranges.size(), scaleFor(vMin, vMax));
        gridIntervals = yScales.empty() ? 1 : yScales[0].hi - yScales[0].lo;
        return;
    }
    gridIntervals = 1;
    for (auto& [vMin, vMax] : ranges) {
        yScales.push_back(scaleFor(vMin, vMax));
        gridIntervals = std::max(gridIntervals, yScales.back().hi - yScales.back().lo);
    }
    for (size_t i = 0; i < yScales.size(); ++i) {
        auto [vMin, vMax] = ranges[i];
        double target = gridIntervals > 2 ? (vMax - vMin) * 1.1 / (gridIntervals - 2) : 0;
        yScaleOperations(gridIntervals, yScales[i].step, yScales[i].lo, yScales[i].hi, vMin, vMax, target);
    }
}

std::string ChartModel::title() const
{
    std::string text = "History for ";
    for (size_t i = 0; i < visibleSeries.size(); ++i) {
        if (i > 0)
            text += i + 1 == visibleSeries.size() ? " and " : ", ";
        text += visibleSeries[i].series->name;
    }
    return text;
}

int ChartModel::timeToX(const ChartPoint& point, int left, int right) const
{
    const double u = xSpacing * secondsPerDay;
    return pixel(left + (right - left) * (double(point.seconds) / u - xStart) / (xEnd - xStart));
}

int ChartModel::valueToY(size_t i, double value, int bottom, int top) const
{
    const YScale& s = yScales[i];
    return pixel(bottom + (top - bottom) * (value / s.step - s.lo) / (s.hi - s.lo));
}

std::vector<PlotPoint> ChartModel::plotPoints(size_t i, int left, int right, int bottom, int top) const
{
    std::vector<PlotPoint> points;
    points.reserve(visibleSeries[i].last - visibleSeries[i].first);
    for (const ChartPoint& p : visibleSeries[i])
        points.push_back({timeToX(p, left, right), valueToY(i, p.value, bottom, top), p.value});
    return points;
}

TrendFigures ChartModel::trendFigures(const ChartPoint* first, const ChartPoint* last)
{
    TrendFigures f;
    double sum = 0;
    for (const ChartPoint* p = first; p != last; ++p) {
        if (f.count == 0 || p->value < f.minimum)
            f.minimum = p->value;
        if (f.count == 0 || p->value > f.maximum)
            f.maximum = p->value;
        sum += p->value;
        ++f.count;
    }
    if (f.count > 0) {
        f.average = sum / f.count;
        // A card has room for about eight characters beside its row's name.
        f.averageText = NumberText::fitting(f.average, 2, 8);
        f.minimumText = NumberText::fitting(f.minimum, 1, 8);
        f.maximumText = NumberText::fitting(f.maximum, 1, 8);
    }
    return f;
}
