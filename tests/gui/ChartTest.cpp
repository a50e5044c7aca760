#include "tests/gui/GuiFixture.h"

#include "app/Palette.h"
#include "charts/ChartController.h"
#include "charts/IndividualTrend.h"
#include "charts/MyGraph.h"
#include "charts/TrendBox.h"
#include "records/Global.h"
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
    // Opens one user whose record holds these variables.
    void open(const std::string& variables)
    {
        makeUsers({{"Ann", "Lee"}});
        folder.write("user0.hma", "<patient id=\"0\"><info><name><first>Ann</first><last>Lee</last></name></info>" +
                                      variables + "</patient>");
        startWindow(1260, 984);
        clickUserLine(1);
    }
    // Daily readings in January 2011 at 8 AM, from the first day given.
    static std::string daily(const char* name, const std::vector<std::string>& fields, size_t firstDay = 1)
    {
        std::string entries;
        for (size_t d = 0; d < fields.size(); ++d)
            entries += ChartRecord::entry("1/" + std::to_string(firstDay + d) + "/2011", "08:00:00 AM", fields[d]);
        return ChartRecord::variableOf(name, entries);
    }
    static std::string values(const char* name, std::vector<int> v, size_t firstDay = 1)
    {
        std::vector<std::string> fields;
        for (int x : v)
            fields.push_back("<value>" + std::to_string(x) + "</value>");
        return daily(name, fields, firstDay);
    }
    std::string vitals()
    {
        return daily("Blood Pressure", {"<systolic>120</systolic><diastolic>80</diastolic>",
                                        "<systolic>130</systolic><diastolic>85</diastolic>"}) +
               values("Heart Rate", {60, 70, 80}) + values("Temperature", {97, 98}) + values("SpO2", {95, 99}) +
               daily("Blood Sugar", {"<fasting>90</fasting>", "<postprandial>150</postprandial>"});
    }
    void pick(Fl_Menu_Button* menu, const char* path)
    {
        const Fl_Menu_Item* item = menu->find_item(path);
        ASSERT_NE(item, nullptr) << path;
        menu->picked(item);
        Fl::check();
    }
    std::vector<std::string> charted() const
    {
        std::vector<std::string> names;
        for (const ChartSeries& s : window->chart->series)
            names.push_back(s.name);
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
    using Names = std::vector<std::string>;
};

TEST_F(ChartTest, DisplayMenusFillTheChart)
{
    open(vitals());
    Fl_Menu_Button* multi = window->multiDisplayMenu;
    for (const char* path : {"Vitals/Blood Pressure/Systolic", "Vitals/Blood Pressure/Diastolic", "Vitals/Heart Rate",
                             "Vitals/Temperature"})
        pick(multi, path);
    EXPECT_EQ(charted(), (Names{"Systolic", "Diastolic", "Heart Rate", "Temperature"}));
    pick(multi, "Vitals/SpO2");
    EXPECT_EQ(prompt.alerts, (Names{"At most 4 variables can be displayed at the same time.\n"
                                    "Please uncheck some variables or clear the graph first."}));
    EXPECT_EQ(checkedCount(), 4);
    EXPECT_FALSE(multi->find_item("Vitals/SpO2")->value());
    pick(multi, "Vitals/Blood Pressure/Diastolic");
    EXPECT_EQ(charted(), (Names{"Systolic", "Heart Rate", "Temperature"}));
    EXPECT_EQ(window->chart->series.front().points.size(), 2u) << "the others keep their points";
    window->resetDisplayMenu(true);
    EXPECT_EQ(checkedCount(), 3);

    pick(window->normalRangeMenu, "Vitals/Blood Sugar");
    EXPECT_EQ(charted(), (Names{"Fasting", "Postprandial"}));
    EXPECT_EQ(window->chart->displayType, ChartModel::NormalRange);
    EXPECT_EQ(checkedCount(), 0);
    pick(window->normalRangeMenu, "Vitals/Blood Pressure/Mean Arterial Pressure");
    EXPECT_EQ(charted(), Names{"Mean Arterial Pressure"});
    EXPECT_NEAR(window->chart->series.front().points[0].value, 93.333, 1e-3);
    EXPECT_STREQ(window->chart->series.front().normalHighText, "110");

    pick(multi, "Vitals/Temperature");
    window->analysisButton->do_callback();
    EXPECT_EQ(charted(), (Names{"Systolic", "Diastolic"}));
    EXPECT_EQ(window->chart->displayType, ChartModel::Analysis);
    // Back to the multi-variable chart, every checked variable is shown again.
    pick(multi, "Vitals/Heart Rate");
    EXPECT_EQ(charted(), (Names{"Heart Rate", "Temperature"}));

    window->chartRemoveCB_i();
    EXPECT_EQ(checkedCount(), 0);
    EXPECT_TRUE(charted().empty());
    EXPECT_FALSE(window->chart->timePack->active());
}

TEST_F(ChartTest, AnalysisOfARecordWithoutBloodPressureIsAnEmptyChart)
{
    open(values("Heart Rate", {60}) + daily("Blood Pressure", {}));
    window->analysisButton->do_callback();
    EXPECT_EQ(charted(), (Names{"Systolic", "Diastolic"}));
    drawn();
    EXPECT_FALSE(window->chart->hasWindow);
    EXPECT_EQ(window->chart->graph->parent()->parent(), window->chart);
    // Drawing left the current group alone, so a dialog opened now is a window of its own.
    EXPECT_EQ(Fl_Group::current(), nullptr);
}

TEST_F(ChartTest, TimeRangesChangeTheTrendCards)
{
    // Five readings a week apart; "Week" keeps the last two.
    std::string entries;
    for (int d = 0; d < 5; ++d)
        entries += ChartRecord::entry("3/" + std::to_string(1 + 7 * d) + "/2011", "08:00:00 AM",
                                      "<value>" + std::to_string(60 + 10 * d) + "</value>");
    open(ChartRecord::variableOf("Heart Rate", entries));
    pick(window->multiDisplayMenu, "Vitals/Heart Rate");
    drawn();
    ASSERT_EQ(window->trendBox->trends.size(), 1u);
    auto figures = [&] {
        drawn();
        Fl_Group* card = window->trendBox->trends.at(0);
        return std::string(card->child(0)->label()) + " " + card->child(2)->label() + " " + card->child(4)->label() +
               " " + card->child(6)->label();
    };
    EXPECT_EQ(figures(), "Heart Rate 80.00 60.0 100.0");
    EXPECT_STREQ(window->chart->toBox->label(), "03/29/11");
    window->chart->timeButtons[5]->do_callback();
    EXPECT_EQ(figures(), "Heart Rate 95.00 90.0 100.0");
    EXPECT_EQ(window->chart->timeButtons[5]->color(), selectedButtonColor);
    EXPECT_EQ(window->chart->timeButtons[0]->color(), FL_BACKGROUND_COLOR);
    window->chart->dropVar("all");
    window->chart->refresh();
    drawn();
    EXPECT_TRUE(window->trendBox->trends.empty());
    EXPECT_EQ(window->chart->timeMode, 0);
}

// The plot drawn into an image: axes, each series' discs at the pixels the model gives them, and
// the legend discs in the series colours.
TEST_F(ChartTest, PlotDrawsEverySeriesInItsColour)
{
    // Each series ends on a day of its own, so that no disc covers another.
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
        const unsigned char* p =
            reinterpret_cast<const unsigned char*>(image->data()[0]) + ((y - graph->y()) * image->w() + (x - graph->x())) * image->d();
        return (unsigned(p[0]) << 16) | (unsigned(p[1]) << 8) | p[2];
    };
    auto toolkit = [](Fl_Color c) {
        unsigned char r, g, b;
        Fl::get_color(c, r, g, b);
        return (unsigned(r) << 16) | (unsigned(g) << 8) | b;
    };
    ChartController& chart = *window->chart;
    // Between two grid rows, and between two time ticks.
    EXPECT_EQ(rgb(graph->plotLeft, graph->dataBottom - (graph->dataBottom - graph->plotTop) / chart.gridIntervals / 2), 0u);
    EXPECT_EQ(rgb(graph->plotLeft + (graph->plotRight - graph->plotLeft) / int(chart.xEnd - chart.xStart) / 2,
                  graph->plotBottom), 0u);
    const Fl_Color colours[4] = {FL_RED, FL_BLUE, FL_DARK_GREEN, FL_DARK_CYAN};
    for (size_t i = 0; i < 4; ++i) {
        const ChartPoint& last = chart.visibleSeries[i].end()[-1];
        int x = graph->timeToX(last), y = chart.valueToY(i, last.value, graph->dataBottom, graph->plotTop);
        EXPECT_EQ(rgb(x, y), toolkit(colours[i])) << chart.visibleSeries[i].series->name;
    }
    fl_font(FL_HELVETICA_BOLD, 13);
    int w = 0, h = 0;
    fl_measure("Vitals :", w, h, 0);
    int seriesX = graph->x() + 10 + w + 10, legendY = graph->plotBottom + 51;
    fl_font(FL_HELVETICA, 12);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(rgb(seriesX + 24, legendY + 10), toolkit(colours[i])) << "legend " << i;
        int lw = 0, lh = 0;
        fl_measure(chart.visibleSeries[i].series->name.c_str(), lw, lh, 0);
        seriesX += 55 + lw + 20;
    }
}

}
