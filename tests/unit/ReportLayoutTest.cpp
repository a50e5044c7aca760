#include "app/ReportLayout.h"

#include <gtest/gtest.h>

namespace {

// Whatever the page and the widget: the widget fits below the heading, the heading prints at 13
// and 10 points, and a landscape report is turned only on an upright page.
TEST(ReportLayoutTest, WidgetFitsBelowAHeadingOfFixedSize)
{
    const struct {
        const char* what;
        ReportStyle style;
        int pageW, pageH, widgetW, widgetH;
        bool rotated;
    } cases[] = {
        {"chart on upright A4", chartReportStyle, 559, 806, 1029, 973, true},
        {"chart on a landscape page", chartReportStyle, 806, 559, 1029, 973, false},
        {"chart of a very large screen", chartReportStyle, 559, 806, 3589, 2109, true},
        {"narrow table", tableReportStyle, 559, 806, 420, 380, false},
        {"wide table", tableReportStyle, 559, 806, 1240, 700, false},
        {"long table", tableReportStyle, 559, 806, 500, 2000, false},
        {"table on letter", tableReportStyle, 588, 768, 1000, 984, false},
    };
    for (const auto& c : cases) {
        ReportLayout l = ReportLayout::compute(c.style, c.pageW, c.pageH, c.widgetW, c.widgetH);
        const double across = l.rotated ? c.pageH : c.pageW, down = l.rotated ? c.pageW : c.pageH;
        EXPECT_EQ(l.rotated, c.rotated) << c.what;
        EXPECT_LE(c.widgetW * l.scale, across + 0.5) << c.what;
        EXPECT_LE((l.gap + c.widgetH) * l.scale, down + 1) << c.what;
        EXPECT_GE(l.gap * l.scale, c.style.headingTop + c.style.lineSpacing + 19.5) << c.what << ": under the heading";
        EXPECT_GE(l.gap, c.style.gap) << c.what;
        // Sizes are whole drawing units, so within one unit below their printed size.
        EXPECT_NEAR(l.titleSize * l.scale, 13 - l.scale / 2, l.scale / 2) << c.what;
        EXPECT_NEAR(l.creditSize * l.scale, 10 - l.scale / 2, l.scale / 2) << c.what;
        EXPECT_NEAR(l.credit.y * l.scale, c.style.headingTop + c.style.lineSpacing - l.scale / 2, l.scale / 2) << c.what;
        EXPECT_NEAR(l.title.x * l.scale, 20 - l.scale / 2, l.scale / 2) << c.what;
    }
    // The usual chart page: the height with the 150 units of the heading fills the paper's width.
    ReportLayout usual = ReportLayout::compute(chartReportStyle, 559, 806, 1029, 973);
    EXPECT_DOUBLE_EQ(usual.scale, 559.0 / (973 + 150));
    EXPECT_EQ(usual.gap, 150);
}

}
