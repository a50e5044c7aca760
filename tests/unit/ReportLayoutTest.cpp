#include "app/ReportLayout.h"
#include "app/ReportName.h"

#include <gtest/gtest.h>

// The widget fits the page below its heading, and a landscape report is turned only on an upright
// page; on a large widget the heading keeps its printed height instead of running into it.
TEST(ReportLayoutTest, WidgetFitsBelowTheHeading)
{
    const struct {
        ReportStyle style;
        int pageW, pageH, widgetW, widgetH;
        bool rotated;
    } cases[] = {{chartReportStyle, 559, 806, 1029, 973, true},  {chartReportStyle, 806, 559, 1029, 973, false},
                 {chartReportStyle, 559, 806, 3589, 2109, true}, {tableReportStyle, 559, 806, 420, 380, false},
                 {tableReportStyle, 559, 806, 1240, 700, false}, {tableReportStyle, 559, 806, 500, 2000, false}};
    for (const auto& c : cases) {
        ReportLayout l = ReportLayout::compute(c.style, c.pageW, c.pageH, c.widgetW, c.widgetH);
        const int across = l.rotated ? c.pageH : c.pageW, down = l.rotated ? c.pageW : c.pageH;
        SCOPED_TRACE(std::to_string(c.widgetW) + " by " + std::to_string(c.widgetH));
        EXPECT_EQ(l.rotated, c.rotated);
        EXPECT_LE(c.widgetW * l.scale, across + 0.5);
        EXPECT_LE((l.gap + c.widgetH) * l.scale, down + 1);
        EXPECT_GE(l.gap * l.scale, c.style.headingTop + c.style.lineSpacing + 19.5);
        EXPECT_NEAR(l.titleSize * l.scale, 13 - l.scale / 2, l.scale / 2) << "whole units, within one of 13 points";
    }
    ReportLayout usual = ReportLayout::compute(chartReportStyle, 559, 806, 1029, 973);
    EXPECT_DOUBLE_EQ(usual.scale, 559.0 / (973 + 150));
    EXPECT_EQ(usual.gap, 150);
}

// A saved report is offered under the person's name, what it shows and the day, as one plain file
// name whatever the name holds.
TEST(ReportNameTest, NamesThePersonTheSubjectAndTheDay)
{
    std::tm day{};
    day.tm_year = 126, day.tm_mon = 11, day.tm_mday = 8;
    const struct {
        const char *user, *subject, *name;
    } cases[] = {{"Ann Lee", "chart", "Ann Lee chart 2026-12-08.pdf"},
                 {"Ann Lee", "Blood Pressure", "Ann Lee Blood Pressure 2026-12-08.pdf"},
                 {"", "chart", "chart 2026-12-08.pdf"},
                 {"Ann/Bo Lee", "chart", "Ann-Bo Lee chart 2026-12-08.pdf"},
                 {"../Lee", "chart", "-Lee chart 2026-12-08.pdf"},
                 {".Ann\tLee", "chart", "Ann-Lee chart 2026-12-08.pdf"}};
    for (const auto& c : cases)
        EXPECT_EQ(ReportName::suggest(c.user, c.subject, day), c.name) << c.user;
    EXPECT_EQ(ReportName::suggest("Ann Lee", "readings", day, ".csv"), "Ann Lee readings 2026-12-08.csv");
}
