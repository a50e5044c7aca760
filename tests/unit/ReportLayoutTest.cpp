#include "app/ReportLayout.h"

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
