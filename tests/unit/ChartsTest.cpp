// The display-free chart model: series read from entries, the time window and the scales, the
// display menus, the blood-pressure classes, the shading of excursions, the histogram bins and the
// checks and writing of ranges.
#include "charts/core/ChartModel.h"
#include "charts/core/DisplayMenuItems.h"
#include "charts/core/ExcursionShading.h"
#include "charts/core/HistogramBins.h"
#include "charts/core/VariableRanges.h"
#include "records/Change.h"
#include "records/DateCheck.h"
#include "records/Global.h"
#include "tests/common/ChartRecord.h"
#include "tests/common/ClockChange.h"
#include "tests/common/TestFolder.h"

#include <gtest/gtest.h>
#include <rapidxml/rapidxml_print.hpp>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numeric>
#include <sstream>

namespace {

TEST(BestSpacingTest, TimeAxisAndValueAxisSteps)
{
    const double hour = 1.0 / 24;
    // A span in days (the argument is the span / 8) and a value range (the argument is the range / 6).
    const double spans[][2] = {{0, hour}, {1, 3 * hour}, {2, 6 * hour}, {4, 12 * hour}, {7, 1}, {14, 3},
                               {45, 5},   {60, 7},       {90, 10},      {182.625, 30},  {365.25, 50}, {730, 100}};
    for (const auto& c : spans)
        EXPECT_NEAR(ChartModel::bestSpacing(false, c[0] / 8), c[1], 1e-9) << c[0] << " days";
    const double ranges[][2] = {{0, 0.1}, {1, 0.2}, {3, 0.5}, {6, 1}, {10, 2}, {20, 5}, {60, 10}, {100, 20}, {300, 50}};
    for (const auto& c : ranges)
        EXPECT_NEAR(ChartModel::bestSpacing(true, c[0] / 6), c[1], 1e-9) << "range " << c[0];
    // Dates of 40 px: each tick's at 100 px, every other at 40, every third at 16; degenerate
    // widths still give a usable stride.
    const double strides[][3] = {{40, 100, 1}, {40, 46, 1}, {40, 45, 2}, {40, 16, 3}, {40, 0, 1}, {40, -3, 1}, {40, 1e-300, 1e6}};
    for (const auto& c : strides)
        EXPECT_EQ(ChartModel::labelStride(c[0], c[1]), int(c[2])) << c[1] << " px apart";
}

class ChartModelTest : public ::testing::Test {
protected:
    // A series of "M/D/YYYY value" readings at 8 AM.
    void add(const char* name, std::vector<std::pair<const char*, double>> readings)
    {
        ChartSeries s;
        s.name = name;
        for (auto [date, value] : readings) {
            ChartPoint p;
            ASSERT_TRUE(DateCheck::readEntry(date, "08:00:00 AM", p.when, p.seconds)) << date;
            s.store(p.when, value);
        }
        model.addSeries(s);
        model.update();
    }
    size_t shown(size_t i) const { return model.visibleSeries[i].last - model.visibleSeries[i].first; }
    std::string tick(bool sameYear)
    {
        char line1[8], line2[8];
        ChartModel::printDate(line1, line2, sameYear, model.xStart * model.xSpacing, model.xSpacing);
        return std::string(line1) + "/" + line2;
    }

    ChartModel model;
};

TEST_F(ChartModelTest, AutoSpansEverySeriesWithPoints)
{
    add("Empty", {});
    EXPECT_FALSE(model.hasWindow);
    add("A", {{"3/1/2011", 1}, {"3/10/2011", 2}});
    add("B", {{"4/1/2011", 3}, {"4/20/2011", 4}});
    EXPECT_FALSE(model.update()) << "nothing changed";
    EXPECT_EQ(std::string(model.fromText) + " " + model.toText, "03/01/11 04/20/11");
    EXPECT_EQ(shown(0) + shown(1) + shown(2), 4u);
    EXPECT_TRUE(model.sameYear);
    EXPECT_EQ(tick(true).substr(0, 3) + tick(true).back(), "Feb/") << "month and day, no second line";
    EXPECT_EQ(model.title(), "History for Empty, A and B");
}

TEST_F(ChartModelTest, ShorterRangesCountBackFromTheLatestPoint)
{
    add("Old", {{"1/1/2011", 1}, {"3/1/2011", 2}});
    add("New", {{"3/1/2011", 1}, {"3/20/2011", 2}, {"3/25/2011", 3}});
    const struct {
        int mode;
        size_t oldShown, newShown;
    } cases[] = {{0, 2, 3}, {1, 2, 3}, {4, 1, 3}, {5, 0, 2}};
    for (const auto& c : cases) {
        model.setTimeMode(c.mode);
        model.update();
        EXPECT_EQ(shown(0) * 10 + shown(1), c.oldShown * 10 + c.newShown) << timeRangeNames[c.mode];
    }
    EXPECT_STREQ(model.fromText, "03/18/11") << "the last point less a week";
    EXPECT_EQ(model.visibleSeries[0].figures.averageText, "");
    EXPECT_EQ(model.visibleSeries[1].figures.averageText, "2.50");
}

TEST_F(ChartModelTest, OnePointGetsHourTicksAndANewYearAddsTheYear)
{
    add("A", {{"12/31/2010", 1}});
    EXPECT_NEAR(model.xSpacing, 1.0 / 24, 1e-12);
    EXPECT_EQ(tick(true), "Dec 31/05AM");
    add("B", {{"1/10/2011", 1}});
    EXPECT_FALSE(model.sameYear);
    EXPECT_EQ(tick(false).substr(0, 3) + tick(false).substr(6), "Dec/2010");
    // The first tick falls on local midnight, ten seconds in.
    std::time_t first = std::time_t(model.xStart * model.xSpacing * 86400);
    std::tm when;
    localtime_r(&first, &when);
    EXPECT_EQ(when.tm_hour * 3600 + when.tm_min * 60 + when.tm_sec, 10);
}

// Day ticks are placed a fixed number of seconds apart from the first local midnight; across a
// clock change each still carries the date of the day it marks.
TEST_F(ChartModelTest, DayTicksAcrossTheClockChangesNameEachDayOnce)
{
    for (const char* name : zonesWithClockChanges()) {
        ZoneScope zone(name);
        std::vector<ClockChange> changes = clockChanges(2026);
        ASSERT_EQ(changes.size(), 2u) << name;
        for (const ClockChange& c : changes) {
            const std::string from = c.date(-5), to = c.date(4);
            model = ChartModel();
            add("A", {{from.c_str(), 1}, {to.c_str(), 2}});
            ASSERT_DOUBLE_EQ(model.xSpacing, 1);
            std::vector<std::string> dates;
            for (double k = model.xStart; k <= model.xEnd + 1e-9; ++k) {
                char line1[8], line2[8];
                ChartModel::printDate(line1, line2, true, k * model.xSpacing, model.xSpacing);
                dates.push_back(line1);
            }
            std::vector<std::string> once = dates;
            once.erase(std::unique(once.begin(), once.end()), once.end());
            EXPECT_EQ(once, dates) << name << " " << from;
            EXPECT_GE(dates.size(), 10u) << name << " " << from;
        }
    }
}

// Hour ticks stand on the local clock's whole hours, ten seconds in, through the night it changes,
// half an hour off Greenwich's hours in Adelaide.
TEST_F(ChartModelTest, HourTicksFallOnTheLocalHoursAcrossTheClockChanges)
{
    for (const char* name : zonesWithClockChanges()) {
        ZoneScope zone(name);
        for (const ClockChange& c : clockChanges(2026)) {
            ChartSeries s;
            s.name = "A";
            for (int minutes : {-95, 175}) {
                ChartPoint p;
                ASSERT_TRUE(DateCheck::readEntry(c.date().c_str(), c.time(minutes).c_str(), p.when, p.seconds));
                s.store(p.when, 1);
            }
            model = ChartModel();
            model.addSeries(s);
            model.update();
            ASSERT_NEAR(model.xSpacing, 1.0 / 24, 1e-12) << name << " " << c.date();
            int ticks = 0;
            for (double k = model.xStart; k <= model.xEnd + 1e-9; ++k, ++ticks) {
                std::time_t t = std::time_t(std::llround(k * model.xSpacing * 86400));
                std::tm when;
                localtime_r(&t, &when);
                EXPECT_EQ(when.tm_min * 60 + when.tm_sec, 10) << name << " " << c.date() << " tick " << ticks;
            }
            EXPECT_GE(ticks, 5) << name << " " << c.date();
        }
    }
}

TEST_F(ChartModelTest, ValueScalesShareTheGrid)
{
    add("Constant", {{"1/1/2011", 100}, {"1/2/2011", 100}});
    EXPECT_DOUBLE_EQ(model.yScales[0].step, 0.1);
    EXPECT_EQ(model.yScales[0].hi - model.yScales[0].lo, 2);
    EXPECT_EQ(model.yScales[0].lo, 999);
    // Two grid intervals leave no target step for a series on one: it keeps its own step.
    add("OneInterval", {{"1/1/2011", 98.65}});
    EXPECT_DOUBLE_EQ(model.yScales[1].step, 0.1);
    model.dropVar("all");
    add("Wide", {{"1/1/2011", 60}, {"1/2/2011", 180}});
    add("Narrow", {{"1/1/2011", 97.1}, {"1/2/2011", 99.3}});
    for (auto& series : {std::make_pair(60.0, 180.0), std::make_pair(97.1, 99.3)}) {
        size_t i = series.first == 60 ? 0 : 1;
        const YScale& s = model.yScales[i];
        EXPECT_EQ(s.hi - s.lo, model.gridIntervals) << i;
        EXPECT_LE(s.lo * s.step, series.first) << i;
        EXPECT_GE(s.hi * s.step, series.second) << i;
        int y = model.valueToY(i, series.first, 400, 100);
        EXPECT_TRUE(y >= 100 && y <= 400) << y;
    }
    model.setDisplayType(ChartModel::NormalRange);
    ASSERT_TRUE(model.update());
    EXPECT_EQ(model.yScales[1].lo, model.yScales[0].lo) << "one scale for the range displays";
}

TEST_F(ChartModelTest, PointsAddedLaterAreInsertedInTimeOrder)
{
    add("A", {{"1/1/2011", 120}, {"1/2/2011", 130}, {"1/3/2011", 125}});
    EXPECT_EQ(model.visibleSeries[0].figures.averageText, "125.00");
    std::tm when = model.series.front().points[1].when;
    EXPECT_EQ(model.addPointToVariable("B", when, 1), -1);
    EXPECT_EQ(model.addPointToVariable("A", when, 140), 0);
    EXPECT_EQ(model.addPointToVariable("A", when, std::nan("")), 0);
    model.update();
    const TrendFigures& f = model.visibleSeries[0].figures;
    EXPECT_EQ(f.minimumText + " " + f.maximumText + " " + f.averageText, "120.0 140.0 128.75");
    model.dropVar("nothing");
    EXPECT_EQ(model.seriesCount(), 1);
    add("Huge", {{"1/1/2011", 12345678}, {"1/2/2011", 20000000}, {"1/3/2011", 1}});
    const TrendFigures& huge = model.visibleSeries[1].figures;
    EXPECT_EQ(huge.minimumText + " " + huge.maximumText + " " + huge.averageText, "1.0 2.0e7 1.1e7")
        << "figures too long for a trend card";
}

class ChartSeriesTest : public ::testing::Test {
protected:
    void SetUp() override { Global::init(); }

    std::vector<double> values(const std::string& entries, const std::string& label = "Pulse", const char* key = "value")
    {
        ChartRecord record(ChartRecord::variableOf("Pulse", entries));
        errors.str("");
        series = ChartSeries::fromEntries(record.variable(), label, key, errors);
        std::vector<double> v;
        for (const ChartPoint& p : series.points)
            v.push_back(p.value);
        return v;
    }
    static std::string e(const char* date, const char* time, const std::string& fields)
    {
        return ChartRecord::entry(date, time, fields);
    }
    std::ostringstream errors;
    ChartSeries series;
};

TEST_F(ChartSeriesTest, KeepsChartableEntriesInTimeOrder)
{
    std::string entries = e("1/3/2011", "08:00:00 AM", "<value>73</value>") + e("1/1/2011", "08:00:00 AM", "<value>71</value>") +
                          e("1/2/2011", "08:00:00 AM", "<other>1</other>") + e("1/1/2011", "08:00:00 AM", "<value>72</value>") +
                          e("1/11/2011", "12:00:00 AM", "<value>76.5</value>");
    for (const char* bad : {"nan", "1e999", "-inf", "abc", "2e7"})
        entries += e("1/9/2011", "08:00:00 AM", std::string("<value>") + bad + "</value>");
    entries += e("1/4/11", "08:00:00 AM", "<value>74</value>") + e("1/5/2011", "25:00:00 AM", "<value>75</value>");
    EXPECT_EQ(values(entries), (std::vector<double>{71, 72, 73, 76.5}));
    std::string lines = errors.str();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 7) << lines;

    std::string pressures = e("1/1/2011", "08:00:00 AM", "<systolic>120</systolic><diastolic>80</diastolic>") +
                            e("1/2/2011", "08:00:00 AM", "<systolic>130</systolic>");
    EXPECT_EQ(values(pressures, "Systolic", "systolic"), (std::vector<double>{120, 130}));
    for (auto [label, value] : {std::make_pair("Pulse Pressure", 40.0), std::make_pair("Mean Arterial Pressure", 93.3333)}) {
        ASSERT_EQ(values(pressures, label, "diastolic").size(), 1u) << label;
        EXPECT_NEAR(series.points[0].value, value, 1e-4) << label;
    }
}

// Readings around the clock changes keep the time that passed between them, the two readings in
// the middle of the repeated interval are both kept, and a point stored with the other season's
// daylight flag falls in the same second as the one read from the record.
TEST_F(ChartSeriesTest, ReadingsOnTheDaysTheClockChanges)
{
    for (const char* name : zonesWithClockChanges()) {
        ZoneScope zone(name);
        ASSERT_EQ(clockChanges(2026).size(), 2u) << name;
        const ClockChange f = clockChange(2026, true), b = clockChange(2026, false);
        auto at = [&](const ClockChange& c, int minutes, int value) {
            return e(c.date().c_str(), c.time(minutes).c_str(), "<value>" + std::to_string(value) + "</value>");
        };
        values(at(f, -30, 1) + at(f, f.shift / 60 + 30, 2) + at(b, b.shift / 60 - 30, 3) + at(b, 30, 4) +
               at(b, b.shift / 120, 5) + at(b, b.shift / 120, 6));
        ASSERT_EQ(series.points.size(), 6u) << name;
        auto index = [&](double value) {
            auto p = std::find_if(series.points.begin(), series.points.end(), [&](const ChartPoint& q) { return q.value == value; });
            return size_t(p - series.points.begin());
        };
        auto seconds = [&](double value) { return series.points[index(value)].seconds; };
        EXPECT_EQ(seconds(2) - seconds(1), 3600) << name;
        EXPECT_EQ(seconds(4) - seconds(3), 3600 - 2 * b.shift) << name;
        EXPECT_EQ(index(6), index(5) + 1) << name;
        std::tm summer = series.points[index(3)].when, winter = series.points[index(1)].when;
        EXPECT_NE(summer.tm_isdst, winter.tm_isdst) << name;
        std::swap(summer.tm_isdst, winter.tm_isdst);
        series.store(summer, 30);
        series.store(winter, 10);
        ASSERT_EQ(series.points.size(), 8u) << name;
        EXPECT_EQ(index(10), index(1) + 1) << name << ": each after the reading of its second";
        EXPECT_EQ(index(30), index(3) + 1) << name;
        EXPECT_EQ(seconds(10), seconds(1)) << name;
        EXPECT_EQ(seconds(30), seconds(3)) << name;
    }
}

// Readings of one second (typed with the same date and time, or read from the record) are each
// a point, in the order of their ids, and each counts in the trend figures and the histogram.
TEST_F(ChartSeriesTest, EveryReadingOfOneSecondIsAPoint)
{
    auto withId = [](const char* id, const char* time, const char* value) {
        std::string text = e("12/01/2026", time, std::string("<value>") + value + "</value>");
        return text.replace(text.find('0'), 1, id);
    };
    EXPECT_EQ(values(withId("4", "09:00:00 AM", "70") + withId("2", "09:00:00 AM", "150") + withId("1", "08:00:00 AM", "61") +
                     withId("3", "09:00:00 AM", "40") + withId("5", "10:00:00 AM", "87")),
              (std::vector<double>{61, 150, 40, 70, 87}));
    ChartModel model;
    model.addSeries(series);
    model.update();
    const TrendFigures& f = model.visibleSeries[0].figures;
    EXPECT_EQ(f.minimumText + " " + f.maximumText + " " + f.averageText, "40.0 150.0 81.60");
    const VisibleSeries& shown = model.visibleSeries[0];
    EXPECT_EQ(HistogramBins::count(shown.begin(), shown.end(), 300, 300).entryCount, 5);
}

// One text per item: menu letter, path, key; items separated by "|".
std::string menuItems(const std::string& variables)
{
    Global::init();
    ChartRecord record(variables);
    std::string text;
    for (const DisplayMenuItem& item : DisplayMenuItems::build(&record.doc))
        text += std::string(text.empty() ? "" : "|") + "MNT"[item.menu] + " " + (item.parent + "/" + item.label).substr(7) +
                (item.key ? std::string(" ") + item.key : "") + (item.submenu ? " /" : "");
    return text;
}

std::string withEntry(const char* name, const std::string& fields)
{
    return ChartRecord::variableOf(name, fields.empty() ? "" : ChartRecord::entry("1/1/2011", "1:00:00 AM", fields));
}

TEST(DisplayMenuItemsTest, FollowTheRecord)
{
    EXPECT_EQ(menuItems(withEntry("Blood Pressure", "<systolic>1</systolic>") + withEntry("Heart Rate", "<value>1</value>") +
                        withEntry("Pulse", "<value>1</value>") + withEntry("SpO2", "") + withEntry("Heart Rate", "<value>1</value>")),
              "N Blood Pressure /|T Blood Pressure|M Blood Pressure/Systolic systolic|N Blood Pressure/Systolic|"
              "M Blood Pressure/Diastolic diastolic|N Blood Pressure/Diastolic|"
              "M Blood Pressure/Mean Arterial Pressure diastolic|N Blood Pressure/Mean Arterial Pressure|"
              "M Blood Pressure/Pulse Pressure diastolic|N Blood Pressure/Pulse Pressure|"
              "M Heart Rate value|T Heart Rate|N Heart Rate|M Pulse value|T Pulse|M Heart Rate value|T Heart Rate");
    EXPECT_EQ(menuItems(withEntry("Blood Pressure", "") + withEntry("Blood Sugar", "")), "");
    EXPECT_EQ(menuItems(withEntry("Blood Sugar", "<fasting>90</fasting>") + withEntry("Blood Sugar", "<fasting>90</fasting>")),
              "M Blood Sugar/Fasting fasting|N Blood Sugar|T Blood Sugar|M Blood Sugar/Fasting fasting|N Blood Sugar|T Blood Sugar");
    std::string both = ChartRecord::entry("1/1/2011", "1:00:00 AM", "<fasting>90</fasting>") +
                       ChartRecord::entry("1/1/2011", "2:00:00 AM", "<postprandial>140</postprandial>");
    EXPECT_EQ(menuItems(ChartRecord::variableOf("Blood Sugar", both)),
              "M Blood Sugar/Postprandial postprandial|M Blood Sugar/Fasting fasting|N Blood Sugar|T Blood Sugar");
    // Names show as themselves, long ones cut; each item acts on its whole name.
    const std::string longName = std::string(45, 'x') + "@";
    Global::init();
    ChartRecord odd(withEntry("Weight/BMI", "<value>1</value>") + withEntry("A&amp;B_@\\", "<value>1</value>") +
                    withEntry(longName.c_str(), "<value>1</value>"));
    std::vector<std::string> labels, names;
    for (const DisplayMenuItem& item : DisplayMenuItems::build(&odd.doc)) {
        labels.push_back(item.parent + "|" + item.label);
        names.push_back(DisplayMenuItems::nameOf(item.variable, item.label.c_str()));
        EXPECT_EQ(names.back(), item.name);
    }
    const std::string cut = "Vitals|" + std::string(40, 'x') + "\xE2\x80\xA6";
    EXPECT_EQ(labels, (std::vector<std::string>{"Vitals|Weight/BMI", "Vitals|Weight/BMI", "Vitals|A&&B_@@\\",
                                                "Vitals|A&&B_@@\\", cut, cut}));
    EXPECT_EQ(names.back(), longName);
    EXPECT_EQ(DisplayMenuItems::nameOf(odd.doc.first_node("patient")->first_node("variable"), "Systolic"), "Weight/BMI");
    EXPECT_EQ(DisplayMenuItems::normalRangeKey("Systolic"), "systolic");
    EXPECT_EQ(DisplayMenuItems::normalRangeKey("Mean Arterial Pressure"), "value");
}

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
    model.setDisplayType(ChartModel::Analysis);
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
        // Either value alone reaches a stage, from its own lower bound.
        {130, 90, "Prehypertension,Stage 1"}, {130, 89, "Prehypertension"},
        {150, 100, "Prehypertension,Stage 1,Stage 2"}, {150, 99, "Prehypertension,Stage 1"},
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
        {"two readings of one second each meet their own diastolic",
         {{1, 118, 78}, {1, 165, 105}, {2, 118, 78}, {3, 118, 78}},
         "Normal 2-4; very high 1"},
        {"a systolic reading without its diastolic is left out",
         {{1, 118, 78}, {2, 150, -1}, {3, 118, 78}, {4, 118, 78}},
         "Normal 0-4"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(classify(c.readings), c.periods) << c.what;
}

// The analysis legend sends the reader to the help for its entries: the help names each of them
// (the legend's own labels in quotes) and keeps within the 80 columns it is wrapped at.
TEST(BloodPressureClassTest, HelpExplainsEveryLegendEntry)
{
    Global::init();
    std::ifstream file(std::string(MV_DATA_DIR) + "/readme.txt");
    std::string text, line;
    for (int number = 1; std::getline(file, line); ++number) {
        text += line + "\n";
        size_t columns = std::count_if(line.begin(), line.end(), [](char c) { return (c & 0xC0) != 0x80; });
        EXPECT_LE(columns - (number == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0), 80u) << "line " << number;
    }
    std::vector<std::string> entries{"\"Transition\"", "\"Very high BP\""};
    for (const BpClass& k : Global::bpClasses)
        entries.push_back(k.name);
    for (const std::string& entry : entries)
        EXPECT_NE(text.find(entry), std::string::npos) << entry;
    const size_t at = text.find("\"Transition\""), from = text.rfind("\n\n", at), to = text.find("\n\n", at);
    const std::string paragraph = text.substr(from, to - from);
    EXPECT_NE(paragraph.find("white"), std::string::npos) << "the white band explained" << paragraph;
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
        // Bins no narrower than the readings' step; whole counts, the axis ending at 100 % where it can.
        {{95, 96, 97, 98, 99, 100}, 600, 300, "95 1: 1 1 1 1 1 1 / 6; 1 x2"},
        {{97}, 600, 300, "97 1: 1 / 1; 1 x1"},
        {{4, 3, 5, 4, 4, 4, 4}, 600, 150, "3 1: 1 5 1 / 3; 5 x1"},
        {{4, 4, 4, 4, 4, 4, 4}, 600, 150, "4 1: 7 / 1; 5 x2"},
        {{62, 70, 71, 88}, 300, 300, "60 5: 1 0 2 0 0 1 / 6; 1 x3"},
        {{10, 10, 10, 20, 20, 30, 40, 50}, 300, 300, "10 10: 3 2 1 1 1 / 5; 1 x4"},
        {{98.6, 98.6, 98.6}, 300, 300, "98.6 0.1: 3 / 1; 1 x3"},
        {{97.4, 97.6, 97.8, 98.1, 98.3}, 300, 300, "97.4 0.2: 1 1 1 1 1 / 5; 1 x2"},
        {{36.5, 37.1, 38.9}, 300, 300, "36.5 0.5: 1 1 0 0 1 / 5; 1 x2"},
        // Wide spreads and narrow plots get wider bins, never more than the bars have pixels.
        {{60, 70, 1e12}, 300, 300, "0 2e+11: 2 0 0 0 0 1 / 6; 1 x3"},
        {{60, 70, 1e12}, 116, 300, "0 5e+11: 2 0 1 / 3; 1 x3"},
        {{60, 70, 1e12}, 0, 0, "0 5e+13: 3 / 1; 200 x1"},
        {{1e17, 1e17, NAN}, 300, 300, "1e+17 1: 2 / 1; 1 x2"},
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
    // A bar takes the range of its most severe reading; a reading on a bound counts as inside,
    // so a bar of SpO2 readings of 100 % is normal, and one of 95 to 95.9 too.
    const Ranges spo2{95, 100, 90, 100};
    const struct {
        double lowest, highest;
        RangeClass range;
    } bars[] = {{100, 100, RangeClass::Normal}, {95, 95.9, RangeClass::Normal}, {94, 95, RangeClass::Low},
                {90, 94, RangeClass::Low},      {89, 96, RangeClass::PanicLow},  {89, 101, RangeClass::PanicHigh}};
    for (const auto& bar : bars)
        EXPECT_EQ(spo2.classify(bar.lowest, bar.highest), bar.range) << bar.lowest << "-" << bar.highest;
    std::vector<ChartPoint> pulse;
    for (double v : {60.0, 64.9, 62.0, 71.0, 65.0})
        pulse.push_back({std::tm{}, 0, v});
    HistogramBins b = HistogramBins::count(pulse.data(), pulse.data() + pulse.size(), 150, 300);
    ASSERT_EQ(b.binWidth, 5);
    EXPECT_EQ(b.lowest, (std::vector<double>{60, 65, 71}));
    EXPECT_EQ(b.highest, (std::vector<double>{64.9, 65, 71}));
}

// The range dialog's checks and writes, on the open user's record.
class VariableRangesTest : public StoreFixture {
protected:
    static std::string printed(const XmlNode* node) { return ::printed(*node, rapidxml::print_no_indenting); }
};

TEST_F(VariableRangesTest, RangesAreCheckedAndWrittenIntoTheirElements)
{
    const std::vector<std::string> pulse = {"60", "100", "40", "120"};
    const struct {
        std::vector<std::string> texts;
        VariableRanges::Check check;
    } cases[] = {
        {pulse, VariableRanges::Valid},
        {{"", "100", "40", "120"}, VariableRanges::EmptyFailure},
        {{"abc", "", "40", "120"}, VariableRanges::NumberFailure},
        {{"  ", "100", "40", "120"}, VariableRanges::NumberFailure},
        {{"60", "1e999", "40", "120"}, VariableRanges::NumberFailure},
        {{"100", "100", "40", "120"}, VariableRanges::OrderFailure},
        // The panic range holds the normal range, bounds may meet: a reading inside normal is never panic.
        {{"60", "100", "70", "120"}, VariableRanges::NestingFailure},
        {{"60", "100", "40", "90"}, VariableRanges::NestingFailure},
        {{"60", "100", "60", "100"}, VariableRanges::Valid},
        {{"90", "60", "139", "89", "80", "50", "149", "88"}, VariableRanges::NestingFailure},
        {{"12abc", "100", "40", "120"}, VariableRanges::NumberFailure},
        {{"90", "60", "120", "50", "80", "50", "149", "99"}, VariableRanges::OrderFailure},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VariableRanges::check(c.texts), c.check) << c.texts[0] << " " << c.texts[1];

    // A variable made by the entry dialog has no bounds: they are made in front of its entries.
    openRecord(ChartRecord::variableOf("Heart Rate", "") + "<variable name=\"Blood Pressure\"><entry id=\"0\"/></variable>");
    XmlNode* bp = Global::findVariableNode("Blood Pressure");
    EXPECT_EQ(VariableRanges::read(bp, "Blood Pressure"), std::vector<std::string>(8));
    const std::vector<std::string> bounds = {"90", "60", "139", "89", "80", "50", "149", "99"};
    Change change;
    VariableRanges::write(*Global::userDoc, bp, "Blood Pressure", bounds, change);
    EXPECT_EQ(VariableRanges::read(bp, "Blood Pressure"), bounds);
    EXPECT_EQ(printed(bp).find("<variable name=\"Blood Pressure\"><normalLow><systolic>90</systolic><diastolic>60"
                               "</diastolic></normalLow><normalHigh>"), 0u);
    EXPECT_NE(printed(bp).find("</panicHigh><entry id=\"0\"/></variable>"), std::string::npos);
    VariableRanges::write(*Global::userDoc, Global::findVariableNode("Heart Rate"), "Heart Rate", pulse, change);
    double low, high;
    char lowText[Global::rangeTextSize], highText[Global::rangeTextSize];
    Global::findRange("Heart Rate", "panic", low, high, lowText, highText);
    EXPECT_EQ(std::string(lowText) + " " + highText, "40 120");
    change.undo();
    EXPECT_EQ(printed(bp), "<variable name=\"Blood Pressure\"><entry id=\"0\"/></variable>");
}

}
