#include "charts/ChartModel.h"
#include "charts/ExcursionShading.h"
#include "charts/HistogramBins.h"
#include "records/Global.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

namespace {

// Readings at 8 AM, the day counted from January 1st 2011; a diastolic value below 0 is missing.
struct Reading {
    int day;
    double systolic, diastolic;
};

ChartSeries seriesOf(const char* name, const std::vector<Reading>& readings, bool systolic)
{
    ChartSeries s;
    s.name = name;
    for (const Reading& r : readings)
        if (systolic || r.diastolic >= 0) {
            std::tm when{};
            when.tm_year = 111;
            when.tm_mday = r.day;
            when.tm_hour = 8;
            s.store(when, systolic ? r.systolic : r.diastolic);
        }
    return s;
}

// "Class first-end, ...; very high position ..." from the analysis of the readings.
std::string classify(const std::vector<Reading>& readings)
{
    ChartModel model;
    model.displayType = ChartModel::Analysis;
    model.addSeries(seriesOf("Systolic", readings, true));
    model.addSeries(seriesOf("Diastolic", readings, false));
    model.update();
    std::string text;
    for (size_t k = 0; k < model.classPeriods.size(); ++k)
        for (const ClassPeriod& p : model.classPeriods[k])
            text += (text.empty() ? "" : ", ") + Global::bpClasses[k].name + " " + std::to_string(p.first) + "-" +
                    std::to_string(p.end);
    if (!model.veryHighPoints.empty())
        text += "; very high";
    for (size_t p : model.veryHighPoints)
        text += " " + std::to_string(p);
    return text;
}

TEST(BloodPressureClassTest, PeriodsNeedEnoughReadingsOverEnoughDays)
{
    Global::init();
    const struct {
        const char* what;
        std::vector<Reading> readings;
        const char* periods;
    } cases[] = {
        {"three normal days", {{1, 118, 78}, {2, 118, 78}, {3, 118, 78}}, "Normal 0-3"},
        {"two stage 2 readings are too few, both marked", {{1, 165, 105}, {20, 165, 105}}, "; very high 0 1"},
        {"four over 20 days",
         {{1, 145, 92}, {8, 145, 92}, {14, 145, 92}, {21, 145, 92}},
         "Prehypertension 0-4, Stage 1 0-4"},
        {"fourteen days are not more than fourteen", {{1, 145, 92}, {8, 145, 92}, {15, 145, 92}}, ""},
        {"a reading in no class ends the period",
         {{1, 118, 78}, {2, 118, 78}, {3, 118, 78}, {4, 85, 55}, {5, 118, 78}, {6, 118, 78}},
         "Normal 0-3, Normal 4-6"},
        // Paired by position, 150 would meet the next day's 78 and every later pair would slip.
        {"a systolic reading without its diastolic is left out",
         {{1, 118, 78}, {2, 150, -1}, {3, 118, 78}, {4, 118, 78}},
         "Normal 0-4"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(classify(c.readings), c.periods) << c.what;
}

std::string shade(const std::vector<PlotPoint>& points)
{
    std::string text;
    ExcursionShading(60, 100, 200, 100, [&](const Vertex& a, const Vertex& b, const Vertex& c, bool above) {
        text += std::string(text.empty() ? "" : "; ") + (above ? "above" : "below");
        for (const Vertex& v : {a, b, c})
            text += " " + std::to_string(v.x) + "," + std::to_string(v.y);
    }).shade(points);
    return text;
}

// Limits 60 and 100 at rows 200 and 100.
TEST(ExcursionShadingTest, FillsTheAreaBetweenTheCurveAndTheLimitItLeft)
{
    const struct {
        const char* what;
        std::vector<PlotPoint> points;
        const char* triangles;
    } cases[] = {
        {"inside", {{0, 150, 80}, {10, 120, 90}}, ""},
        {"a dip of two triangles meeting at the low point",
         {{0, 150, 80}, {10, 300, 40}, {20, 150, 80}},
         "below 3,200 10,300 10,200; below 10,300 10,200 16,200"},
        {"above from the first point on",
         {{0, 50, 110}, {10, 40, 120}},
         "above 0,50 0,100 10,40; above 0,100 10,40 10,100"},
        {"two points on one row cross the limit at the later one",
         {{0, 200, 60}, {10, 200, 59.9}, {20, 150, 80}},
         "below 10,200 10,200 10,200; below 10,200 10,200 10,200"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shade(c.points), c.triangles) << c.what;
}

std::vector<ChartPoint> pointsOf(std::vector<double> values)
{
    std::vector<ChartPoint> points;
    for (double v : values)
        points.push_back({std::tm{}, 0, v});
    return points;
}

TEST(HistogramBinsTest, BinsAndCountAxisFollowTheReadingsAndTheSize)
{
    const struct {
        std::vector<double> values;
        int w, h;
        const char* bins; // first edge, width, counts, bins the bars share; count step and intervals
    } cases[] = {
        {{62, 70, 71, 88}, 300, 300, "60 5: 1 0 2 0 0 1 / 6; 0.5 x5"},
        {{10, 10, 10, 20, 20, 30, 40, 50}, 300, 300, "10 10: 3 2 1 1 1 / 5; 1 x4"},
        {{98.6, 98.6, 98.6}, 300, 300, "98.5 0.1: 3 / 2; 1 x4"},
        {{36.5, 37.1, 38.9}, 300, 300, "36.5 0.5: 1 1 0 0 1 / 5; 0.5 x3"},
        // Wide spreads and narrow plots get wider bins, never more than the bars have pixels.
        {{60, 70, 1e12}, 300, 300, "0 2e+11: 2 0 0 0 0 1 / 6; 0.5 x5"},
        {{60, 70, 1e12}, 100, 300, "0 5e+11: 2 0 1 / 3; 0.5 x5"},
        {{60, 70, 1e12}, 0, 0, "0 5e+13: 3 / 1; 200 x1"},
        {{1e17, 1e17, NAN}, 300, 300, "1e+17 0.1: 2 / 1; 0.5 x5"},
        {{}, 300, 300, "0 0: / 0; 1 x0"},
    };
    for (const auto& c : cases) {
        std::vector<ChartPoint> points = pointsOf(c.values);
        HistogramBins b = HistogramBins::count(points.data(), points.data() + points.size(), c.w, c.h);
        char text[128];
        std::snprintf(text, sizeof text, "%g %g:", b.firstBin * b.binWidth, b.binWidth);
        std::string counts = text;
        for (int n : b.counts)
            counts += " " + std::to_string(n);
        std::snprintf(text, sizeof text, " / %d; %g x%d", b.binCount, b.countStep, b.countTicks);
        EXPECT_EQ(counts + text, c.bins) << c.values.size() << " values in " << c.w;
        EXPECT_EQ(std::accumulate(b.counts.begin(), b.counts.end(), 0), b.entryCount);
    }
    ChartSeries pulse;
    std::tie(pulse.normalLow, pulse.normalHigh, pulse.panicLow, pulse.panicHigh) = std::make_tuple(60, 100, 40, 120);
    std::string classes;
    for (double lo : {35, 55, 60, 65, 95, 100, 117})
        classes += std::to_string(int(HistogramBins::rangeOf(lo, lo + 5, pulse)));
    EXPECT_EQ(classes, "0112234") << "panic low, low, low, normal, normal, high, panic high";
    EXPECT_STREQ(ChartModel::numberFormat(0.5), "%.1f");
}

}
