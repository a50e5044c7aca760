#include "tests/gui/GuiFixture.h"

#include "app/Palette.h"
#include "charts/ChartController.h"
#include "charts/IndividualTrend.h"
#include "charts/MyGraph.h"
#include "charts/TrendBox.h"
#include "history/HistogramTab.h"
#include "history/MyHistogram.h"
#include "records/Global.h"
#include "records/NumberText.h"
#include "tests/common/ChartRecord.h"
#include "ui/MainWindow.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Image_Surface.H>
#include <FL/Fl_Menu_Button.H>
#include <FL/Fl_Pack.H>
#include <FL/Fl_Tabs.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

namespace {

class ChartTest : public GuiFixture {
protected:
    // Readings at 8 AM, days apart, from a day of January 2011.
    static std::string daily(const char* name, const std::vector<std::string>& fields, int firstDay = 1, int apart = 1)
    {
        std::string entries;
        for (size_t d = 0; d < fields.size(); ++d)
            entries += ChartRecord::entry("1/" + std::to_string(firstDay + apart * int(d)) + "/2011", "08:00:00 AM", fields[d]);
        return name ? ChartRecord::variableOf(name, entries) : entries;
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
        for (const ChartSeries& s : window->chart->model.series)
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
    // What a widget draws, read back pixel by pixel in window coordinates.
    struct Pixels {
        explicit Pixels(Fl_Widget* widget, void (*paint)(int w, int h) = nullptr) : x0(widget->x()), y0(widget->y())
        {
            Fl_Image_Surface surface(widget->w(), widget->h());
            surface.set_current();
            paint ? paint(widget->w(), widget->h()) : surface.draw(widget);
            image.reset(surface.image());
            Fl_Display_Device::display_device()->set_current();
        }
        Fl_Color operator()(int x, int y) const
        {
            const unsigned char* p = reinterpret_cast<const unsigned char*>(image->data()[0]) +
                                     ((y - y0) * image->w() + (x - x0)) * image->d();
            return Fl_Color((unsigned(p[0]) << 24) | (unsigned(p[1]) << 16) | (unsigned(p[2]) << 8));
        }
        int x0, y0;
        std::unique_ptr<Fl_RGB_Image> image;
    };
    static Fl_Color rgbOf(Fl_Color c) { return Fl_Color(Fl::get_color(c) & 0xFFFFFF00); }
    // The pixel at (dx, dy) of a w by h box of the kind the bars and the class band are drawn with.
    static Fl_Color boxPixel(Fl_Color colour, int w, int h, int dx, int dy)
    {
        static Fl_Color c;
        c = colour;
        Fl_Box box(0, 0, w, h);
        return Pixels(&box, [](int w, int h) { fl_draw_box(FL_PLASTIC_DOWN_BOX, 0, 0, w, h, c); })(dx, dy);
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
    showAnn(daily("Blood Pressure", {"<systolic>120</systolic><diastolic>80</diastolic>", "<systolic>130</systolic>"}) +
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
    EXPECT_EQ(window->chart->model.series.front().points.size(), 2u) << "the others keep their points";
    window->resetDisplayMenu(true);
    EXPECT_EQ(checkedCount(), 3);

    pick(window->normalRangeMenu, "Vitals/Blood Sugar");
    EXPECT_EQ(charted(), "Fasting, Postprandial");
    EXPECT_EQ(checkedCount(), 0);
    pick(window->normalRangeMenu, "Vitals/Blood Pressure/Mean Arterial Pressure");
    EXPECT_EQ(charted(), "Mean Arterial Pressure");
    EXPECT_EQ(NumberText::bound(window->chart->model.series.front().ranges.normalHigh), "110");

    // Back to the multi-variable chart from the analysis, every checked variable is shown again.
    pick(multi, "Vitals/Temperature");
    window->analysisButton->do_callback();
    EXPECT_EQ(charted(), "Systolic, Diastolic");
    pick(multi, "Vitals/Heart Rate");
    EXPECT_EQ(charted(), "Heart Rate, Temperature");
    // A refused fifth after the analysis still brings back the four.
    pick(multi, "Vitals/Blood Pressure/Systolic");
    pick(multi, "Vitals/Blood Pressure/Diastolic");
    window->analysisButton->do_callback();
    pick(multi, "Vitals/SpO2");
    EXPECT_EQ(charted(), "Systolic, Diastolic, Heart Rate, Temperature");

    window->chartRemoveCB_i();
    EXPECT_EQ(checkedCount() + window->chart->model.seriesCount(), 0);
    EXPECT_FALSE(window->chart->timePack->active());
}

// Any name shows in the menus as itself, a long one cut; each item acts on its whole name and keeps
// its check mark by it, also where two names are cut alike; unchecking "all" drops that one only.
TEST_F(ChartTest, MenuItemsShowAnyNameAndActOnTheWholeName)
{
    const std::string huge(2000, 'w'), alike(45, 'z');
    showAnn(values("Weight/BMI", {70}) + values("_A&amp;B@\\", {1}) + values(huge.c_str(), {2}) +
            values((alike + "1").c_str(), {3}) + values((alike + "2").c_str(), {4}) + values("all", {5}));
    auto items = [](Fl_Menu_Button* menu) {
        std::vector<std::string> labels;
        for (int i = 1; i < menu->size(); ++i)
            if (const char* label = menu->menu()[i].label()) {
                EXPECT_FALSE(menu->menu()[i].submenu()) << label;
                labels.push_back(label);
            }
        return labels;
    };
    const std::string cut = "\xE2\x80\xA6";
    const std::vector<std::string> shown = {"Weight/BMI", "_A&&B@@\\", std::string(40, 'w') + cut,
                                            std::string(40, 'z') + cut, std::string(40, 'z') + cut, "all"};
    EXPECT_EQ(items(window->multiDisplayMenu), shown);
    EXPECT_EQ(items(window->tableMenu), shown);

    Fl_Menu_Button* multi = window->multiDisplayMenu;
    multi->picked(&multi->menu()[3]);
    multi->picked(&multi->menu()[5]);
    EXPECT_EQ(charted(), huge + ", " + alike + "2");
    window->resetDisplayMenu(true);
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(multi->menu()[i].value() != 0, i == 3 || i == 5) << i;
    multi->picked(&multi->menu()[5]);
    EXPECT_EQ(charted(), huge);
    multi->picked(&multi->menu()[6]);
    multi->picked(&multi->menu()[6]);
    EXPECT_EQ(charted(), huge);
}

TEST_F(ChartTest, TimeRangesChangeTheTrendCards)
{
    showAnn(values("Heart Rate", {60, 70, 80, 90, 100}, 1, 7) + daily("Blood Pressure", {}));
    window->analysisButton->do_callback();
    drawn();
    EXPECT_EQ(charted(), "Systolic, Diastolic") << "an analysis without readings draws an empty plot";
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
    EXPECT_EQ(window->chart->model.timeMode(), 0);
}

// The analysis draws the class band in each stretch's colour and marks a very high reading. (The
// shading of excursions is checked as triangles in the unit tests, and on screen end to end.)
TEST_F(ChartTest, AnalysisBandsTheClassesAndMarksVeryHighReadings)
{
    std::vector<std::string> bp;
    for (std::string r : {"118/78", "118/78", "118/78", "145/92", "145/92", "145/92", "145/92", "145/92", "145/92",
                          "165/105", "145/92"})
        bp.push_back("<systolic>" + r.substr(0, 3) + "</systolic><diastolic>" + r.substr(4) + "</diastolic>");
    showAnn(daily("Blood Pressure", bp, 1, 3));
    MyGraph* graph = window->chart->graph;
    const ChartModel& chart = window->chart->model;
    window->analysisButton->do_callback();
    Pixels rgb(graph);
    std::vector<PlotPoint> at = chart.plotPoints(0, graph->plotLeft, graph->plotRight, graph->dataBottom, graph->plotTop);
    const int band = graph->plotBottom - graph->dataBottom;
    // Normal from the first reading to the third, Stage 1 (drawn over Prehypertension) from the fourth on.
    for (auto [first, last, sample, k] : {std::make_tuple(0, 2, 1, 0), std::make_tuple(3, 10, 5, 2)}) {
        Fl_Color expected = boxPixel(toolkitColor(Global::bpClasses[size_t(k)].colour), at[last].x - at[first].x, band,
                                     at[sample].x - at[first].x, band / 2);
        EXPECT_EQ(rgb(at[sample].x, graph->dataBottom + band / 2), expected) << "reading " << sample;
    }
    const int markerTop = (graph->dataBottom - Global::markerIcon->h() + graph->plotBottom) / 2;
    EXPECT_EQ(rgb(at[9].x, markerTop), 0x7A0A0500u) << "the top of the marker's red disc";
    EXPECT_NE(rgb(at[8].x, markerTop), 0x7A0A0500u);

    // At 1024 x 768 the class row has no room left for the pointer to the help: it shows whole at
    // the right end of the "Vitals :" row, from its first letter to its last.
    window->resize(0, 0, 1004, 728);
    drawn();
    Pixels small(graph);
    fl_font(FL_HELVETICA_ITALIC, 13);
    const int helpWidth = int(fl_width("(refer to help for more details)"));
    const int right = graph->x() + graph->w() - 5, row = graph->plotBottom + 51;
    auto inked = [&](int from, int to) {
        int n = 0;
        for (int x = from; x < to; ++x)
            for (int y = row; y < row + 20; ++y)
                n += small(x, y) < 0x80808000u;
        return n;
    };
    EXPECT_GT(inked(right - helpWidth, right - helpWidth + 8), 0) << "the opening bracket";
    EXPECT_GT(inked(right - 8, right), 0) << "the closing bracket";
}

// Four vitals charted: the plot's axes and its legend discs in the series colours (the curves are
// compared with reference pictures end to end); the histograms placed as they come, their bars
// coloured by range, and following the time range.
TEST_F(ChartTest, PlotAndHistogramsShowEverySeriesInItsColours)
{
    showAnn(ChartRecord::bounded("Heart Rate", values(nullptr, {50, 70, 72, 75, 110, 130}, 1, 5)) +
            values("Mood", {5, 7}) + values("Temperature", {97, 98}) + values("SpO2", {95, 99}));
    HistogramTab* tab = window->chart->histogramTab;
    window->chart->tabs->value(tab);
    auto histograms = [&] {
        drawn();
        std::vector<MyHistogram*> shown;
        for (int i = 0; i < tab->area->children(); ++i)
            shown.push_back(static_cast<MyHistogram*>(tab->area->child(i)));
        return shown;
    };
    // The newest histogram's place.
    const char* vitals[] = {"Vitals/Heart Rate", "Vitals/Mood", "Vitals/Temperature", "Vitals/SpO2"};
    for (size_t n = 1; n <= 4; ++n) {
        pick(window->multiDisplayMenu, vitals[n - 1]);
        ASSERT_EQ(histograms().size(), n);
        const MyHistogram* h = histograms().back();
        EXPECT_EQ((std::array<int, 4>{h->x(), h->y(), h->w(), h->h()}), Layout::histograms[n - 1])
            << n << " histograms";
    }
    std::vector<MyHistogram*> four = histograms();
    MyGraph* graph = window->chart->graph;
    const ChartModel& chart = window->chart->model;
    window->chart->tabs->value(window->chart->tabs->child(0));
    drawn();
    Pixels plot(graph);
    // Between two grid rows, and between two time ticks.
    EXPECT_EQ(plot(graph->plotLeft, graph->dataBottom - (graph->dataBottom - graph->plotTop) / chart.gridIntervals / 2), 0u);
    EXPECT_EQ(plot(graph->plotLeft + (graph->plotRight - graph->plotLeft) / int(chart.xEnd - chart.xStart) / 2,
                   graph->plotBottom), 0u);
    const Fl_Color colours[4] = {FL_RED, FL_BLUE, FL_DARK_GREEN, FL_DARK_CYAN};
    fl_font(FL_HELVETICA_BOLD, 13);
    int seriesX = graph->x() + 20 + int(fl_width("Vitals :")), legendY = graph->plotBottom + 51;
    fl_font(FL_HELVETICA, 12);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(plot(seriesX + 24, legendY + 10), rgbOf(colours[i])) << "legend " << i;
        seriesX += 75 + int(fl_width(chart.visibleSeries[i].series->name.c_str()));
    }

    // Heart rate in bins of 10 from 50: 50 low, 70, 72 and 75 normal, 110 high, 130 panic high.
    window->chart->tabs->value(tab);
    four = histograms();
    const MyHistogram& h = *four[0];
    ASSERT_EQ(h.bins.binWidth * 100 + h.bins.firstBin, 1005);
    Pixels rgb(tab);
    const int barWidth = (h.plotRight - h.plotLeft) / h.bins.binCount;
    const double perCount = (h.plotBottom - h.plotTop) / (h.bins.countStep * h.bins.countTicks);
    const std::pair<size_t, Fl_Color> bars[] = {{0, lowColor}, {2, normalColor}, {6, highColor}, {8, panicHighColor}};
    for (auto [k, colour] : bars) {
        int top = int(h.plotBottom - h.bins.counts[k] * perCount + 1), x = h.plotLeft + int(k) * barWidth;
        EXPECT_EQ(rgb(x + barWidth / 2, h.plotBottom - 2),
                  boxPixel(colour, barWidth, int(h.bins.counts[k] * perCount), barWidth / 2, h.plotBottom - 2 - top))
            << "bin " << k;
    }

    window->chart->timeButtons[5]->do_callback();
    four = histograms();
    EXPECT_EQ(four[0]->bins.entryCount, 2) << "heart rate of the 21st and the 26th";
    EXPECT_TRUE(four[1]->bins.counts.empty()) << "no mood in the last week";
}


// Blood Sugar against its normal ranges: Fasting and Postprandial each in a colour of its own, the
// same on the curve as on the legend line.
TEST_F(ChartTest, NormalRangeDisplayTellsTwoMembersApart)
{
    showAnn(daily("Blood Sugar", {"<fasting>100</fasting><postprandial>150</postprandial>",
                                  "<fasting>105</fasting><postprandial>155</postprandial>"}));
    pick(window->normalRangeMenu, "Vitals/Blood Sugar");
    drawn();
    MyGraph* graph = window->chart->graph;
    const ChartModel& chart = window->chart->model;
    ASSERT_EQ(chart.visibleSeries.size(), 2u);
    Pixels plot(graph);
    // The legend lines: runs of one colour at least 45 pixels long along the legend row.
    std::vector<Fl_Color> legend;
    const int row = graph->plotBottom + 61;
    for (int x = graph->x(), run = 0; x < graph->x() + graph->w() - 1; ++x) {
        run = plot(x + 1, row) == plot(x, row) ? run + 1 : 0;
        if (run == 45 && plot(x, row) != rgbOf(panelColor))
            legend.push_back(plot(x, row));
    }
    ASSERT_EQ(legend.size(), 2u);
    EXPECT_NE(legend[0], legend[1]);
    for (size_t i = 0; i < 2; ++i) {
        PlotPoint p = chart.plotPoints(i, graph->plotLeft, graph->plotRight, graph->dataBottom, graph->plotTop).front();
        EXPECT_EQ(plot(p.x, p.y), legend[i]) << chart.visibleSeries[i].series->name;
    }
}

// Values near ten million label the outer axes in a form that ends inside the widget.
TEST_F(ChartTest, LargeValuesLabelTheAxesInFull)
{
    showAnn(values("Heart Rate", {-10000000, 10000000}) + values("Temperature", {-9000000, 10000000}));
    pick(window->multiDisplayMenu, "Vitals/Heart Rate");
    pick(window->multiDisplayMenu, "Vitals/Temperature");
    drawn();
    MyGraph* graph = window->chart->graph;
    Pixels plot(graph);
    const Fl_Color panel = rgbOf(panelColor);
    int ink = 0;
    for (int y = graph->plotTop - 15; y <= graph->dataBottom; ++y)
        for (int x : {graph->x(), graph->x() + 1, graph->x() + graph->w() - 2, graph->x() + graph->w() - 1})
            ink += plot(x, y) != panel;
    EXPECT_EQ(ink, 0);
}

// Four histograms in the grid: whole readings in whole bins, and the count axis in whole numbers
// up to at most all the readings. A narrow histogram labels only every few bin edges, so that no
// two labels run into each other.
TEST_F(ChartTest, HistogramsCountInWholeNumbersAndKeepTheirLabelsApart)
{
    showAnn(values("Heart Rate", {60, 61, 62}) + values("SpO2", {95, 96, 97, 98, 99, 100}) +
            values("Temperature", {97, 99}) + values("Mood", {7}));
    HistogramTab* tab = window->chart->histogramTab;
    window->chart->tabs->value(tab);
    for (const char* vital : {"Vitals/Heart Rate", "Vitals/SpO2", "Vitals/Temperature", "Vitals/Mood"})
        pick(window->multiDisplayMenu, vital);
    drawn();
    ASSERT_EQ(tab->area->children(), 4);
    for (int i = 0; i < 4; ++i) {
        const HistogramBins& b = static_cast<MyHistogram*>(tab->area->child(i))->bins;
        EXPECT_EQ(b.countStep, std::floor(b.countStep)) << i;
        EXPECT_LE(b.countStep * b.countTicks, b.entryCount) << i;
        if (i < 2) {
            EXPECT_EQ(std::count(b.counts.begin(), b.counts.end(), 0), 0) << i << ": whole readings, no gaps";
        }
    }

    ChartSeries temperature;
    for (int t = 970; t <= 990; ++t)
        temperature.points.push_back({std::tm{}, 0, t / 10.0});
    VisibleSeries shown{&temperature, 0, temperature.points.size(), {}};
    static std::unique_ptr<MyHistogram> narrow;
    narrow.reset(new MyHistogram(0, 0, 180, 200, &shown));
    Pixels rgb(narrow.get(), [](int, int) { narrow->draw(); });
    // The widest stretch of ink across the label row, gaps between the glyphs of one label
    // included, is one label.
    const Fl_Color background = rgb(10, narrow->plotBottom + 15);
    int stretch = 0, gap = 99, widest = 0;
    for (int x = 2; x < narrow->w() - 2; ++x) {
        bool ink = false;
        for (int y = narrow->plotBottom + 9; y < narrow->plotBottom + 23 && !ink; ++y)
            ink = rgb(x, y) != background;
        if (ink) {
            stretch = gap < 3 ? stretch + gap + 1 : 1;
            gap = 0;
        } else {
            ++gap;
        }
        widest = std::max(widest, stretch);
    }
    fl_font(FL_HELVETICA, 12);
    EXPECT_GT(widest, 4);
    EXPECT_LE(widest, int(fl_width("99.0")) + 1);
    narrow.reset();
}

}
