#include "charts/ChartModel.h"
#include "records/EntryTime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

TEST(BestSpacingTest, TimeAxisAndValueAxisSteps)
{
    const double hour = 1.0 / 24;
    // Time axis: a span in days gives a tick step in days; the argument is the span / 8.
    const double spans[][2] = {{0, hour}, {1, 3 * hour}, {2, 6 * hour}, {4, 12 * hour}, {7, 1}, {14, 3},
                               {45, 5},   {60, 7},       {90, 10},      {182.625, 30},  {365.25, 50}, {730, 100}};
    for (const auto& c : spans)
        EXPECT_NEAR(ChartModel::bestSpacing(false, c[0] / 8), c[1], 1e-9) << c[0] << " days";
    // Value axes: a value range gives a step; the argument is the range / 6.
    const double ranges[][2] = {{0, 0.1}, {1, 0.2}, {3, 0.5}, {6, 1}, {10, 2}, {20, 5}, {60, 10}, {100, 20}, {300, 50}};
    for (const auto& c : ranges)
        EXPECT_NEAR(ChartModel::bestSpacing(true, c[0] / 6), c[1], 1e-9) << "range " << c[0];
}

class ChartModelTest : public ::testing::Test {
protected:
    // Points from "M/D/YYYY h:mm:ss AM=value" texts.
    void add(const char* name, std::vector<std::string> readings)
    {
        ChartSeries s;
        s.name = name;
        for (const std::string& r : readings) {
            size_t space = r.find(' '), equals = r.find('=');
            ChartPoint p;
            ASSERT_TRUE(EntryTime::parse(r.substr(0, space).c_str(), r.substr(space + 1, equals - space - 1).c_str(),
                                         p.when, p.seconds))
                << r;
            s.store(p.when, std::atof(r.c_str() + equals + 1));
        }
        model.addSeries(s);
    }
    size_t shown(size_t i) const { return model.visibleSeries[i].last - model.visibleSeries[i].first; }

    ChartModel model;
};

TEST_F(ChartModelTest, AutoSpansEverySeries)
{
    add("A", {"3/1/2011 8:00:00 AM=1", "3/10/2011 8:00:00 AM=2"});
    add("B", {"4/1/2011 8:00:00 AM=3", "4/20/2011 8:00:00 AM=4"});
    ASSERT_TRUE(model.update());
    EXPECT_FALSE(model.update()) << "nothing changed";
    EXPECT_STREQ(model.fromText, "03/01/11");
    EXPECT_STREQ(model.toText, "04/20/11");
    EXPECT_EQ(shown(0) + shown(1), 4u);
    EXPECT_DOUBLE_EQ(model.xSpacing, 7); // 50 days
    EXPECT_TRUE(model.sameYear);
    EXPECT_EQ(model.title(), "History for A and B");
    add("C", {});
    model.update();
    EXPECT_EQ(model.title(), "History for A, B and C");
    EXPECT_EQ(shown(2), 0u);
    EXPECT_STREQ(model.toText, "04/20/11") << "a series without points leaves the window alone";
}

TEST_F(ChartModelTest, ShorterRangesCountBackFromTheLatestPoint)
{
    add("Old", {"1/1/2011 8:00:00 AM=1", "3/1/2011 8:00:00 AM=2"});
    add("New", {"3/1/2011 8:00:00 AM=1", "3/20/2011 8:00:00 AM=2", "3/25/2011 8:00:00 AM=3"});
    const struct {
        int mode;
        size_t oldShown, newShown;
    } cases[] = {{0, 2, 3}, {1, 2, 3}, {4, 1, 3}, {5, 0, 2}};
    for (const auto& c : cases) {
        model.timeMode = c.mode;
        model.update();
        EXPECT_EQ(shown(0), c.oldShown) << timeRangeNames[c.mode];
        EXPECT_EQ(shown(1), c.newShown) << timeRangeNames[c.mode];
        EXPECT_EQ(model.seriesCount, 2);
    }
    EXPECT_STREQ(model.fromText, "03/18/11") << "the last point less a week";
    EXPECT_EQ(model.visibleSeries[0].figures.count, 0);
    EXPECT_STREQ(model.visibleSeries[0].figures.averageText, "");
}

TEST_F(ChartModelTest, OnePointGetsHourTicksAndANewYearAddsTheYear)
{
    add("A", {"12/31/2010 3:00:00 PM=1"});
    model.update();
    EXPECT_NEAR(model.xSpacing, 1.0 / 24, 1e-12);
    char line1[8], line2[8];
    ChartModel::printDate(line1, line2, model.sameYear, model.xStart * model.xSpacing, model.xSpacing);
    EXPECT_STREQ(line1, "Dec 31");
    EXPECT_EQ(std::strlen(line2), 4u) << line2; // such as 12PM
    EXPECT_TRUE(std::strstr(line2, "PM")) << line2;

    add("B", {"1/10/2011 3:00:00 PM=1"});
    model.update();
    EXPECT_FALSE(model.sameYear);
    ChartModel::printDate(line1, line2, false, model.xStart * model.xSpacing, model.xSpacing);
    EXPECT_STREQ(line2, "2010");
    ChartModel::printDate(line1, line2, true, model.xStart * model.xSpacing, model.xSpacing);
    EXPECT_STREQ(line2, "");
    // The first tick falls on local midnight, ten seconds in.
    std::time_t first = std::time_t(model.xStart * model.xSpacing * 86400);
    std::tm when;
    localtime_r(&first, &when);
    EXPECT_EQ(when.tm_hour * 3600 + when.tm_min * 60 + when.tm_sec, 10);
}

TEST_F(ChartModelTest, OnlySeriesWithoutPointsGiveNoWindow)
{
    add("A", {});
    model.update();
    EXPECT_FALSE(model.hasWindow);
    EXPECT_EQ(model.title(), "History for A");
    EXPECT_STREQ(model.fromText, "");
    model.dropVar("A");
    model.update();
    EXPECT_TRUE(model.visibleSeries.empty());
}

TEST_F(ChartModelTest, ValueScalesShareTheGrid)
{
    add("Constant", {"1/1/2011 8:00:00 AM=100", "1/2/2011 8:00:00 AM=100"});
    model.update();
    EXPECT_DOUBLE_EQ(model.yScales[0].step, 0.1);
    EXPECT_EQ(model.yScales[0].lo, 999);
    EXPECT_EQ(model.yScales[0].hi, 1001);

    model.dropVar("all");
    add("Wide", {"1/1/2011 8:00:00 AM=60", "1/2/2011 8:00:00 AM=180"});
    add("Narrow", {"1/1/2011 8:00:00 AM=97.1", "1/2/2011 8:00:00 AM=99.3"});
    model.update();
    ASSERT_EQ(model.yScales.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        const YScale& s = model.yScales[i];
        EXPECT_EQ(s.hi - s.lo, model.gridIntervals) << i;
        auto [low, high] = i == 0 ? std::make_pair(60.0, 180.0) : std::make_pair(97.1, 99.3);
        EXPECT_LE(s.lo * s.step, low) << i;
        EXPECT_GE(s.hi * s.step, high) << i;
    }
    // The shared scale of the range displays covers every series.
    model.displayType = ChartModel::NormalRange;
    ASSERT_TRUE(model.update());
    EXPECT_EQ(model.yScales[0].step, model.yScales[1].step);
    EXPECT_LE(model.yScales[1].lo * model.yScales[1].step, 60);
}

// Two grid intervals leave no target step for a series on one interval: it keeps its own step.
TEST_F(ChartModelTest, ASecondScaleOnTwoIntervalsKeepsItsStep)
{
    add("A", {"1/1/2011 8:00:00 AM=120"});
    add("B", {"1/1/2011 8:00:00 AM=98.65"});
    model.update();
    EXPECT_EQ(model.gridIntervals, 2);
    const YScale& b = model.yScales[1];
    EXPECT_DOUBLE_EQ(b.step, 0.1);
    EXPECT_EQ(b.hi - b.lo, 2);
    EXPECT_LE(b.lo * b.step, 98.65);
    EXPECT_GE(b.hi * b.step, 98.65);
    int bottom = 400, top = 100;
    int y = model.valueToY(1, 98.65, bottom, top);
    EXPECT_GT(y, top);
    EXPECT_LT(y, bottom);
}

TEST_F(ChartModelTest, TrendFiguresAndPointsAddedLater)
{
    add("A", {"1/1/2011 8:00:00 AM=120", "1/2/2011 8:00:00 AM=130", "1/3/2011 8:00:00 AM=125"});
    model.update();
    const TrendFigures& f = model.visibleSeries[0].figures;
    EXPECT_STREQ(f.averageText, "125.00");
    EXPECT_STREQ(f.minimumText, "120.0");
    EXPECT_STREQ(f.maximumText, "130.0");

    std::tm when = model.series.front().points[1].when;
    EXPECT_EQ(model.addPointToVariable("B", when, 1), -1);
    EXPECT_EQ(model.addPointToVariable("A", when, 140), 0);
    EXPECT_EQ(model.addPointToVariable("A", when, std::nan("")), 0);
    model.update();
    EXPECT_STREQ(model.visibleSeries[0].figures.maximumText, "140.0");
    EXPECT_EQ(model.visibleSeries[0].figures.count, 3);
    EXPECT_EQ(model.indexOfSeries("A"), 0);
    model.dropVar("nothing");
    EXPECT_EQ(model.seriesCount, 1);
}

}
