#include "app/TimeZone.h"
#include "charts/ChartSeries.h"
#include "charts/DisplayMenuItems.h"
#include "records/EntryTime.h"
#include "records/Global.h"
#include "tests/unit/ChartRecord.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

namespace {

TEST(EntryTimeTest, ReadsTheTwelveHourClockAndRefusesWhatIsNoRealTime)
{
    struct {
        const char *date, *time;
        int hour, minute; // -1: refused
    } cases[] = {
        {"12/31/2010", "08:30:00 PM", 20, 30}, {"1/5/2011", "12:15:00 AM", 0, 15},
        {"1/5/2011", "12:15:00 pm", 12, 15},   {"02/29/2012", "1:02:03 am", 1, 2},
        {"02/29/2011", "1:00:00 AM", -1, 0},   {"1/5/11", "1:00:00 AM", -1, 0},
        {"1/5/1899", "1:00:00 AM", -1, 0},     {"13/1/2010", "1:00:00 AM", -1, 0},
        {"1/5/2010 x", "1:00:00 AM", -1, 0},   {"1/5/2010", "13:00:00 PM", -1, 0},
        {"1/5/2010", "10:61:00 AM", -1, 0},    {"1/5/2010", "10:00:00", -1, 0},
        {"1/5/2010", "10:00:00 XM", -1, 0},    {"", "", -1, 0},
    };
    for (const auto& c : cases) {
        std::tm when{};
        std::time_t seconds;
        bool ok = EntryTime::parse(c.date, c.time, when, seconds);
        EXPECT_EQ(ok, c.hour >= 0) << c.date << " " << c.time;
        if (ok && c.hour >= 0) {
            EXPECT_EQ(when.tm_hour, c.hour) << c.time;
            EXPECT_EQ(when.tm_min, c.minute) << c.time;
        }
    }
    std::tm when;
    std::time_t seconds;
    ASSERT_TRUE(EntryTime::parse("12/31/2010", "08:30:05 PM", when, seconds));
    EXPECT_EQ(when.tm_year, 110);
    EXPECT_EQ(when.tm_mon, 11);
    EXPECT_EQ(when.tm_mday, 31);
    EXPECT_EQ(when.tm_sec, 5);
}

class ChartSeriesTest : public ::testing::Test {
protected:
    void SetUp() override { Global::init(); }

    std::vector<double> values(const ChartSeries& s)
    {
        std::vector<double> v;
        for (const ChartPoint& p : s.points)
            v.push_back(p.value);
        return v;
    }
    ChartSeries build(const std::string& name, const std::string& entries, const std::string& label,
                      const char* key)
    {
        ChartRecord record(ChartRecord::variableOf(name, entries));
        errors.str("");
        return ChartSeries::fromEntries(record.variable(name.c_str()), label, key, errors);
    }
    static std::string e(const char* date, const char* time, const std::string& fields)
    {
        return ChartRecord::entry(date, time, fields);
    }
    std::ostringstream errors;
};

TEST_F(ChartSeriesTest, KeepsChartableEntriesInTimeOrderAndTheLaterOfOneSecond)
{
    ChartSeries s = build("Heart Rate",
                          e("1/3/2011", "08:00:00 AM", "<value>73</value>") +
                              e("1/1/2011", "08:00:00 AM", "<value>71</value>") +
                              e("1/2/2011", "08:00:00 AM", "<other>1</other>") +      // no value: skipped
                              e("1/1/2011", "08:00:00 AM", "<value>72</value>") +     // replaces 71
                              e("1/4/11", "08:00:00 AM", "<value>74</value>") +       // two-digit year
                              e("1/5/2011", "25:00:00 AM", "<value>75</value>") +     // no such hour
                              e("1/6/2011", "08:00:00 AM", "<value>nan</value>") +
                              e("1/7/2011", "08:00:00 AM", "<value>1e999</value>") +
                              e("1/8/2011", "08:00:00 AM", "<value>-inf</value>") +
                              e("1/9/2011", "08:00:00 AM", "<value>abc</value>") +
                              e("1/10/2011", "08:00:00 AM", "<value>2e7</value>") +
                              e("1/11/2011", "12:00:00 AM", "<value>76.5</value>"),
                          "Heart Rate", "value");
    EXPECT_EQ(values(s), (std::vector<double>{72, 73, 76.5}));
    int lines = 0;
    for (char c : errors.str())
        lines += c == '\n';
    EXPECT_EQ(lines, 7) << errors.str();
    EXPECT_EQ(s.points.back().when.tm_hour, 0);
}

TEST_F(ChartSeriesTest, DerivedValuesNeedBothPressures)
{
    std::string entries = e("1/1/2011", "08:00:00 AM", "<systolic>120</systolic><diastolic>80</diastolic>") +
                          e("1/2/2011", "08:00:00 AM", "<systolic>130</systolic>");
    EXPECT_EQ(values(build("Blood Pressure", entries, "Pulse Pressure", "diastolic")), std::vector<double>{40});
    EXPECT_NEAR(build("Blood Pressure", entries, "Mean Arterial Pressure", "diastolic").points.at(0).value,
                93.3333, 1e-4);
    EXPECT_EQ(values(build("Blood Pressure", entries, "Systolic", "systolic")), (std::vector<double>{120, 130}));
}

// Readings around the clock changes keep the hours that passed between them, and a point stored
// with the other season's daylight flag is the same point as the one read from the record.
TEST_F(ChartSeriesTest, ReadingsOnTheDaysTheClockChanges)
{
    const char* saved = std::getenv("TZ");
    std::string previous = saved ? saved : "";
    setenv("TZ", "America/New_York", 1);
    tzset();
    ChartSeries s = build("Pulse",
                          e("03/08/2026", "01:30:00 AM", "<value>1</value>") +
                              e("03/08/2026", "03:30:00 AM", "<value>2</value>") +
                              e("11/01/2026", "12:30:00 AM", "<value>3</value>") +
                              e("11/01/2026", "03:30:00 AM", "<value>4</value>"),
                          "Pulse", "value");
    ASSERT_EQ(s.points.size(), 4u);
    EXPECT_EQ(s.points[1].seconds - s.points[0].seconds, 3600);
    EXPECT_EQ(s.points[3].seconds - s.points[2].seconds, 4 * 3600);
    std::tm summer = s.points[2].when;
    summer.tm_isdst = 0;
    s.store(summer, 30);
    std::tm winter = s.points[0].when;
    winter.tm_isdst = 1;
    s.store(winter, 10);
    EXPECT_EQ(values(s), (std::vector<double>{10, 2, 30, 4}));
    saved ? setenv("TZ", previous.c_str(), 1) : unsetenv("TZ");
    tzset();
}

TEST(TimeZoneTest, NamesTheSystemZoneOnlyWhenUnset)
{
    const char* saved = std::getenv("TZ");
    std::string previous = saved ? saved : "";
    unsetenv("TZ");
    TimeZone::settle();
    EXPECT_STREQ(std::getenv("TZ"), ":/etc/localtime");
    setenv("TZ", "Europe/Berlin", 1);
    TimeZone::settle();
    EXPECT_STREQ(std::getenv("TZ"), "Europe/Berlin");
    saved ? setenv("TZ", previous.c_str(), 1) : unsetenv("TZ");
    tzset();
}

class DisplayMenuItemsTest : public ::testing::Test {
protected:
    void SetUp() override { Global::init(); }

    // One line per item: menu letter, path, key.
    std::vector<std::string> items(const std::string& variables)
    {
        ChartRecord record(variables);
        std::vector<std::string> lines;
        for (const DisplayMenuItem& item : DisplayMenuItems::build(&record.doc))
            lines.push_back(std::string(1, "MNT"[item.menu]) + " " + item.path + (item.key ? " " + std::string(item.key) : "") +
                            (item.submenu ? " /" : ""));
        return lines;
    }
    static std::string v(const char* name, const std::string& fields)
    {
        return ChartRecord::variableOf(name, fields.empty() ? "" : ChartRecord::entry("1/1/2011", "1:00:00 AM", fields));
    }
};

TEST_F(DisplayMenuItemsTest, FollowTheRecord)
{
    EXPECT_EQ(items(v("Blood Pressure", "<systolic>1</systolic>") + v("Heart Rate", "<value>1</value>") +
                    v("Pulse", "<value>1</value>") + v("Mood", "<value>1</value>") + v("SpO2", "") +
                    v("Heart Rate", "<value>1</value>")),
              (std::vector<std::string>{
                  "N Vitals/Blood Pressure /",
                  "T Vitals/Blood Pressure",
                  "M Vitals/Blood Pressure/Systolic systolic",
                  "N Vitals/Blood Pressure/Systolic",
                  "M Vitals/Blood Pressure/Diastolic diastolic",
                  "N Vitals/Blood Pressure/Diastolic",
                  "M Vitals/Blood Pressure/Mean Arterial Pressure diastolic",
                  "N Vitals/Blood Pressure/Mean Arterial Pressure",
                  "M Vitals/Blood Pressure/Pulse Pressure diastolic",
                  "N Vitals/Blood Pressure/Pulse Pressure",
                  "M Vitals/Heart Rate value",
                  "T Vitals/Heart Rate",
                  "N Vitals/Heart Rate",
                  "M Vitals/Pulse value",
                  "T Vitals/Pulse",
                  "M Vitals/Mood value",
                  "T Vitals/Mood",
                  "M Vitals/Heart Rate value",
                  "T Vitals/Heart Rate",
              }));
    EXPECT_TRUE(items(v("Blood Pressure", "") + v("Blood Sugar", "")).empty());
    EXPECT_TRUE(items("").empty());
}

TEST_F(DisplayMenuItemsTest, BloodSugarOffersTheKindsItHolds)
{
    std::string fasting = ChartRecord::entry("1/1/2011", "1:00:00 AM", "<fasting>90</fasting>");
    std::string after = ChartRecord::entry("1/1/2011", "2:00:00 AM", "<postprandial>140</postprandial>");
    EXPECT_EQ(items(ChartRecord::variableOf("Blood Sugar", fasting + fasting)),
              (std::vector<std::string>{"M Vitals/Blood Sugar/Fasting fasting", "N Vitals/Blood Sugar"}));
    EXPECT_EQ(items(ChartRecord::variableOf("Blood Sugar", fasting + after)),
              (std::vector<std::string>{"M Vitals/Blood Sugar/Postprandial postprandial",
                                        "M Vitals/Blood Sugar/Fasting fasting", "N Vitals/Blood Sugar"}));
}

TEST_F(DisplayMenuItemsTest, NormalRangeKeys)
{
    EXPECT_EQ(DisplayMenuItems::normalRangeKey("Systolic"), "systolic");
    EXPECT_EQ(DisplayMenuItems::normalRangeKey("Mean Arterial Pressure"), "value");
    EXPECT_EQ(DisplayMenuItems::normalRangeKey("Heart Rate"), "value");
}

}
