#include "charts/ChartModel.h"
#include "charts/ExcursionShading.h"
#include "charts/HistogramBins.h"
#include "records/Global.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <sstream>

namespace {

// Readings at 8 AM, the day counted from January 1st 2011; a diastolic value below 0 is missing.
struct Reading {
    int day;
    double systolic, diastolic;
};

// "Class first-end, ...; very high position ..." from the analysis of the readings.
std::string classify(const std::vector<Reading>& readings)
{
    ChartSeries systolic, diastolic;
    systolic.name = "Systolic";
    diastolic.name = "Diastolic";
    for (const Reading& r : readings) {
        std::tm when{0, 0, 8, r.day, 0, 111, 0, 0, 0, 0, nullptr};
        systolic.store(when, r.systolic);
        if (r.diastolic >= 0)
            diastolic.store(when, r.diastolic);
    }
    ChartModel model;
    model.displayType = ChartModel::Analysis;
    model.addSeries(systolic);
    model.addSeries(diastolic);
    model.update();
    std::string text;
    for (size_t k = 0; k < model.classPeriods.size(); ++k)
        for (const ClassPeriod& p : model.classPeriods[k])
            text += (text.empty() ? "" : ", ") + Global::bpClasses[k].name + " " + std::to_string(p.first) + "-" +
                    std::to_string(p.end);
    text += model.veryHighPoints.empty() ? "" : "; very high";
    for (size_t p : model.veryHighPoints)
        text += " " + std::to_string(p);
    return text;
}

// Lower bounds are inclusive, upper bounds exclusive; Normal needs both values in it, the others either.
TEST(BloodPressureClassTest, ReadingsBelongToEveryClassTheyReach)
{
    Global::init();
    const struct {
        double systolic, diastolic;
        const char* classes;
    } cases[] = {
        {118, 78, "Normal"},           {90, 60, "Normal"},           {120, 79, "Prehypertension"},
        {110, 85, "Prehypertension"},  {125, 78, "Prehypertension"}, {145, 85, "Prehypertension,Stage 1"},
        {165, 105, "Prehypertension,Stage 1,Stage 2"},               {89, 70, ""}, {85, 55, ""},
    };
    for (const auto& c : cases) {
        std::string names;
        for (const BpClass& k : Global::bpClasses)
            if (k.contains(c.systolic, c.diastolic))
                names += (names.empty() ? "" : ",") + k.name;
        EXPECT_EQ(names, c.classes) << c.systolic << "/" << c.diastolic;
    }
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
        std::vector<ChartPoint> points;
        for (double v : c.values)
            points.push_back({std::tm{}, 0, v});
        HistogramBins b = HistogramBins::count(points.data(), points.data() + points.size(), c.w, c.h);
        std::ostringstream text;
        text << b.firstBin * b.binWidth << " " << b.binWidth << ":";
        for (int n : b.counts)
            text << " " << n;
        text << " / " << b.binCount << "; " << b.countStep << " x" << b.countTicks;
        EXPECT_EQ(text.str(), c.bins) << c.values.size() << " values in " << c.w;
        EXPECT_EQ(std::accumulate(b.counts.begin(), b.counts.end(), 0), b.entryCount);
    }
}

}
