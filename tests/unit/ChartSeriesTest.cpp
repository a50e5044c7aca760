#include "app/TimeZone.h"
#include "charts/ChartSeries.h"
#include "charts/DisplayMenuItems.h"
#include "records/DateCheck.h"
#include "records/Global.h"
#include "tests/unit/ChartRecord.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace {

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

TEST_F(ChartSeriesTest, KeepsChartableEntriesInTimeOrderAndTheLaterOfOneSecond)
{
    std::string entries = e("1/3/2011", "08:00:00 AM", "<value>73</value>") + e("1/1/2011", "08:00:00 AM", "<value>71</value>") +
                          e("1/2/2011", "08:00:00 AM", "<other>1</other>") + e("1/1/2011", "08:00:00 AM", "<value>72</value>") +
                          e("1/11/2011", "12:00:00 AM", "<value>76.5</value>");
    for (const char* bad : {"nan", "1e999", "-inf", "abc", "2e7"})
        entries += e("1/9/2011", "08:00:00 AM", std::string("<value>") + bad + "</value>");
    entries += e("1/4/11", "08:00:00 AM", "<value>74</value>") + e("1/5/2011", "25:00:00 AM", "<value>75</value>");
    EXPECT_EQ(values(entries), (std::vector<double>{72, 73, 76.5}));
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

// Readings around the clock changes keep the hours that passed between them, and a point stored
// with the other season's daylight flag is the same point as the one read from the record.
TEST_F(ChartSeriesTest, ReadingsOnTheDaysTheClockChanges)
{
    ZoneScope zone("America/New_York");
    values(e("03/08/2026", "01:30:00 AM", "<value>1</value>") + e("03/08/2026", "03:30:00 AM", "<value>2</value>") +
           e("11/01/2026", "12:30:00 AM", "<value>3</value>") + e("11/01/2026", "03:30:00 AM", "<value>4</value>"));
    ASSERT_EQ(series.points.size(), 4u);
    EXPECT_EQ(series.points[1].seconds - series.points[0].seconds, 3600);
    EXPECT_EQ(series.points[3].seconds - series.points[2].seconds, 4 * 3600);
    std::tm summer = series.points[2].when, winter = series.points[0].when;
    summer.tm_isdst = 0;
    winter.tm_isdst = 1;
    series.store(summer, 30);
    series.store(winter, 10);
    EXPECT_EQ(series.points.size(), 4u);
    EXPECT_EQ(series.points[0].value + series.points[2].value, 40);
}

TEST(TimeZoneTest, NamesTheSystemZoneOnlyWhenUnset)
{
    ZoneScope unset(nullptr);
    TimeZone::settle();
    EXPECT_STREQ(std::getenv("TZ"), ":/etc/localtime");
    ZoneScope berlin("Europe/Berlin");
    TimeZone::settle();
    EXPECT_STREQ(std::getenv("TZ"), "Europe/Berlin");
}

// One text per item: menu letter, path, key; items separated by "|".
std::string menuItems(const std::string& variables)
{
    Global::init();
    ChartRecord record(variables);
    std::string text;
    for (const DisplayMenuItem& item : DisplayMenuItems::build(&record.doc))
        text += std::string(text.empty() ? "" : "|") + "MNT"[item.menu] + " " + item.path.substr(7) +
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
    EXPECT_EQ(DisplayMenuItems::normalRangeKey("Systolic"), "systolic");
    EXPECT_EQ(DisplayMenuItems::normalRangeKey("Mean Arterial Pressure"), "value");
}

}
