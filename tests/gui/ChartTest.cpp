#include "tests/gui/GuiFixture.h"

#include "app/Palette.h"
#include "charts/ChartController.h"
#include "charts/IndividualTrend.h"
#include "charts/MyGraph.h"
#include "charts/TrendBox.h"
#include "tests/unit/ChartRecord.h"
#include "ui/MainWindow.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Image_Surface.H>
#include <FL/Fl_Menu_Button.H>
#include <FL/Fl_Pack.H>
#include <FL/fl_draw.H>

#include <memory>

namespace {

class ChartTest : public GuiFixture {
protected:
    void open(const std::string& variables)
    {
        makeUsers({{"Ann", "Lee"}});
        folder.write("user0.hma", "<patient id=\"0\"><info><name><first>Ann</first><last>Lee</last></name></info>" +
                                      variables + "</patient>");
        startWindow(1260, 984);
        clickUserLine(1);
    }
    // Readings at 8 AM, days apart, from a day of January 2011.
    static std::string daily(const char* name, const std::vector<std::string>& fields, int firstDay = 1, int apart = 1)
    {
        std::string entries;
        for (size_t d = 0; d < fields.size(); ++d)
            entries += ChartRecord::entry("1/" + std::to_string(firstDay + apart * int(d)) + "/2011", "08:00:00 AM", fields[d]);
        return ChartRecord::variableOf(name, entries);
    }
    static std::string values(const char* name, std::vector<int> v, int firstDay = 1, int apart = 1)
    {
        std::vector<std::string> fields;
        for (int x : v)
            fields.push_back("<value>" + std::to_string(x) + "</value>");
        return daily(name, fields, firstDay, apart);
    }
    void pick(Fl_Menu_Button* menu, const char* path)
    {
        const Fl_Menu_Item* item = menu->find_item(path);
        ASSERT_NE(item, nullptr) << path;
        menu->picked(item);
        Fl::check();
    }
    std::string charted() const
    {
        std::string names;
        for (const ChartSeries& s : window->chart->series)
            names += (names.empty() ? "" : ", ") + s.name;
        return names;
    }
    int checkedCount() const
    {
        int n = 0;
        for (int i = 1; i < window->multiDisplayMenu->size(); ++i)
            n += window->multiDisplayMenu->menu()[i].label() && window->multiDisplayMenu->menu()[i].value();
        return n;
    }
    // A new window is drawn once the display server has shown it.
    void drawn()
    {
        for (int i = 0; i < 200 && window->damage(); ++i)
            Fl::wait(0.01);
        ASSERT_EQ(window->damage(), 0);
    }
};

TEST_F(ChartTest, DisplayMenusFillTheChart)
{
    open(daily("Blood Pressure", {"<systolic>120</systolic><diastolic>80</diastolic>", "<systolic>130</systolic>"}) +
         values("Heart Rate", {60, 70, 80}) + values("Temperature", {97, 98}) + values("SpO2", {95, 99}) +
         daily("Blood Sugar", {"<fasting>90</fasting>", "<postprandial>150</postprandial>"}));
    Fl_Menu_Button* multi = window->multiDisplayMenu;
    for (const char* path : {"Vitals/Blood Pressure/Systolic", "Vitals/Blood Pressure/Diastolic", "Vitals/Heart Rate",
                             "Vitals/Temperature", "Vitals/SpO2"})
        pick(multi, path);
    EXPECT_EQ(prompt.alerts, std::vector<std::string>{"At most 4 variables can be displayed at the same time.\n"
                                                      "Please uncheck some variables or clear the graph first."});
    EXPECT_EQ(charted(), "Systolic, Diastolic, Heart Rate, Temperature");
    EXPECT_EQ(checkedCount(), 4);
    pick(multi, "Vitals/Blood Pressure/Diastolic");
    EXPECT_EQ(charted(), "Systolic, Heart Rate, Temperature");
    EXPECT_EQ(window->chart->series.front().points.size(), 2u) << "the others keep their points";
    window->resetDisplayMenu(true);
    EXPECT_EQ(checkedCount(), 3);

    pick(window->normalRangeMenu, "Vitals/Blood Sugar");
    EXPECT_EQ(charted(), "Fasting, Postprandial");
    EXPECT_EQ(checkedCount(), 0);
    pick(window->normalRangeMenu, "Vitals/Blood Pressure/Mean Arterial Pressure");
    EXPECT_EQ(charted(), "Mean Arterial Pressure");
    EXPECT_STREQ(window->chart->series.front().normalHighText, "110");

    // Back to the multi-variable chart from the analysis, every checked variable is shown again.
    pick(multi, "Vitals/Temperature");
    window->analysisButton->do_callback();
    EXPECT_EQ(charted(), "Systolic, Diastolic");
    EXPECT_EQ(window->chart->displayType, ChartModel::Analysis);
    pick(multi, "Vitals/Heart Rate");
    EXPECT_EQ(charted(), "Heart Rate, Temperature");
    // A refused fifth after the analysis still brings back the four.
    pick(multi, "Vitals/Blood Pressure/Systolic");
    pick(multi, "Vitals/Blood Pressure/Diastolic");
    window->analysisButton->do_callback();
    pick(multi, "Vitals/SpO2");
    EXPECT_EQ(charted(), "Systolic, Diastolic, Heart Rate, Temperature");

    window->chartRemoveCB_i();
    EXPECT_EQ(checkedCount() + window->chart->seriesCount, 0);
    EXPECT_FALSE(window->chart->timePack->active());
}

TEST_F(ChartTest, TimeRangesChangeTheTrendCards)
{
    open(values("Heart Rate", {60, 70, 80, 90, 100}, 1, 7) + daily("Blood Pressure", {}));
    window->analysisButton->do_callback();
    drawn();
    EXPECT_EQ(charted(), "Systolic, Diastolic") << "an analysis without readings draws an empty plot";
    EXPECT_FALSE(window->chart->hasWindow);
    // Drawing the cards left the current group alone, so a dialog opened now is a window of its own.
    EXPECT_EQ(Fl_Group::current(), nullptr);

    pick(window->multiDisplayMenu, "Vitals/Heart Rate");
    auto card = [&] {
        drawn();
        EXPECT_EQ(window->trendBox->trends.size(), 1u);
        Fl_Group* c = window->trendBox->trends.at(0);
        return std::string(c->child(0)->label()) + " " + c->child(2)->label() + " " + c->child(4)->label() + " " +
               c->child(6)->label();
    };
    EXPECT_EQ(card(), "Heart Rate 80.00 60.0 100.0");
    EXPECT_STREQ(window->chart->toBox->label(), "01/29/11");
    window->chart->timeButtons[5]->do_callback();
    EXPECT_EQ(card(), "Heart Rate 95.00 90.0 100.0");
    EXPECT_EQ(window->chart->timeButtons[5]->color(), selectedButtonColor);
    window->chartRemoveCB_i();
    drawn();
    EXPECT_TRUE(window->trendBox->trends.empty());
    EXPECT_EQ(window->chart->timeMode, 0);
}

// The plot drawn into an image: axes, each series' last disc at the pixel the model gives it, and
// the legend discs in the series colours.
TEST_F(ChartTest, PlotDrawsEverySeriesInItsColour)
{
    open(values("Heart Rate", {60, 70}, 1) + values("Mood", {5, 7}, 4) + values("Temperature", {97, 98}, 7) +
         values("SpO2", {95, 99}, 10));
    for (const char* path : {"Vitals/Heart Rate", "Vitals/Mood", "Vitals/Temperature", "Vitals/SpO2"})
        pick(window->multiDisplayMenu, path);
    MyGraph* graph = window->chart->graph;
    Fl_Image_Surface surface(graph->w(), graph->h());
    surface.set_current();
    surface.draw(graph);
    std::unique_ptr<Fl_RGB_Image> image(surface.image());
    Fl_Display_Device::display_device()->set_current();
    auto rgb = [&](int x, int y) {
        const unsigned char* p = reinterpret_cast<const unsigned char*>(image->data()[0]) +
                                 ((y - graph->y()) * image->w() + (x - graph->x())) * image->d();
        return Fl_Color((unsigned(p[0]) << 24) | (unsigned(p[1]) << 16) | (unsigned(p[2]) << 8));
    };
    auto rgbOf = [](Fl_Color c) { return Fl_Color(Fl::get_color(c) & 0xFFFFFF00); };
    ChartController& chart = *window->chart;
    // Between two grid rows, and between two time ticks.
    EXPECT_EQ(rgb(graph->plotLeft, graph->dataBottom - (graph->dataBottom - graph->plotTop) / chart.gridIntervals / 2), 0u);
    EXPECT_EQ(rgb(graph->plotLeft + (graph->plotRight - graph->plotLeft) / int(chart.xEnd - chart.xStart) / 2,
                  graph->plotBottom), 0u);
    const Fl_Color colours[4] = {FL_RED, FL_BLUE, FL_DARK_GREEN, FL_DARK_CYAN};
    fl_font(FL_HELVETICA_BOLD, 13);
    int seriesX = graph->x() + 20 + int(fl_width("Vitals :")), legendY = graph->plotBottom + 51;
    fl_font(FL_HELVETICA, 12);
    for (size_t i = 0; i < 4; ++i) {
        const ChartPoint& last = chart.visibleSeries[i].end()[-1];
        int x = graph->timeToX(last), y = chart.valueToY(i, last.value, graph->dataBottom, graph->plotTop);
        EXPECT_EQ(rgb(x, y), rgbOf(colours[i])) << chart.visibleSeries[i].series->name;
        EXPECT_EQ(rgb(seriesX + 24, legendY + 10), rgbOf(colours[i])) << "legend " << i;
        seriesX += 75 + int(fl_width(chart.visibleSeries[i].series->name.c_str()));
    }
}

}
