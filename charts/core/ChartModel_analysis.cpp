// ChartModel: the blood-pressure classes of the analysis display and the limits of the range displays.
#include "charts/core/ChartModel.h"

#include "records/Global.h"

#include <algorithm>
#include <cstdint>

void ChartModel::classifyBloodPressure()
{
    classPeriods.assign(Global::bpClasses.size(), {});
    veryHighPoints.clear();
    const int s = indexOfSeries("Systolic"), d = indexOfSeries("Diastolic");
    if (type != Analysis || s < 0 || d < 0 || size_t(std::max(s, d)) >= visibleSeries.size())
        return;
    classifyBloodPressure(visibleSeries[size_t(s)], visibleSeries[size_t(d)], classPeriods, veryHighPoints);
}

void ChartModel::classifyBloodPressure(const VisibleSeries& systolic, const VisibleSeries& diastolic,
                                       std::vector<std::vector<ClassPeriod>>& periods, std::vector<size_t>& veryHigh)
{
    const std::vector<BpClass>& classes = Global::bpClasses;
    const std::vector<ChartPoint>& points = systolic.series->points;
    const size_t none = SIZE_MAX;
    struct Run {
        size_t start, last;
        int count;
    };
    std::vector<Run> runs(classes.size(), Run{none, none, 0});
    periods.assign(classes.size(), {});
    veryHigh.clear();

    // A run of at least minReadings readings, spanning more than minDays days, is a period.
    auto close = [&](size_t k, size_t end) {
        Run& run = runs[k];
        if (run.start != none && run.last != none && run.count >= classes[k].minReadings) {
            double days = double(points[run.last].seconds - points[run.start].seconds) / 86400;
            if (classes[k].minDays < days)
                periods[k].push_back({run.start, end});
        }
        run.start = run.last = none;
    };

    // Both series are in the same order, so the partner of a reading is found walking along.
    const ChartPoint* partner = diastolic.begin();
    for (size_t i = systolic.first; i < systolic.last; ++i) {
        while (partner != diastolic.end() && partner->before(points[i]))
            ++partner;
        if (partner == diastolic.end() || points[i].before(*partner))
            continue;
        const double diastolicValue = (partner++)->value;
        for (size_t k = 0; k < classes.size(); ++k) {
            Run& run = runs[k];
            if (!classes[k].contains(points[i].value, diastolicValue)) {
                close(k, i);
                continue;
            }
            if (k + 1 == classes.size())
                veryHigh.push_back(i);
            if (run.start == none) {
                run.start = i;
                run.count = 1;
            } else {
                run.last = i;
                ++run.count;
            }
        }
    }
    for (size_t k = 0; k < classes.size(); ++k)
        close(k, systolic.last);
}

std::pair<double, double> ChartModel::rangeLimits(size_t i) const
{
    const ChartSeries& s = *visibleSeries[i].series;
    if (type != Analysis || Global::bpClasses.empty())
        return {s.ranges.normalLow, s.ranges.normalHigh};
    const BpClass& highest = Global::bpClasses.back();
    return {0, s.name == "Diastolic" ? highest.diastolicFrom : highest.systolicFrom};
}
