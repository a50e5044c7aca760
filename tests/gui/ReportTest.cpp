// The chart report drawn into a PostScript file and saved as a PDF, both turned into pictures
// with Ghostscript and looked at pixel by pixel.
#include "tests/gui/GuiFixture.h"

#include "app/Palette.h"
#include "app/Report.h"
#include "app/ReportLayout.h"
#include "charts/ChartController.h"
#include "charts/MyGraph.h"
#include "charts/TrendBox.h"
#include "history/HistogramTab.h"
#include "tests/unit/ChartRecord.h"
#include "ui/MainWindow.h"

#include <FL/Fl.H>
#include <FL/Fl_Menu_Button.H>
#include <FL/Fl_Pack.H>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>

namespace {

// A page as Ghostscript draws it at 72 dpi: one pixel a printed point.
struct Page {
    int w = 0, h = 0;
    std::vector<unsigned char> rgb;

    static std::vector<Page> render(const std::string& file)
    {
        std::string out = file + "-page";
        std::string command = "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r72 -sOutputFile='" + out +
                              "-%d.ppm' '" + file + "' >/dev/null 2>&1";
        std::vector<Page> pages;
        if (std::system(command.c_str()) != 0)
            return pages;
        for (int n = 1;; ++n) {
            std::ifstream in(out + "-" + std::to_string(n) + ".ppm", std::ios::binary);
            Page p;
            std::string word, fields[4];
            for (std::string& field : fields) // P6, width, height, depth; Ghostscript adds a comment
                while (in >> field && field[0] == '#')
                    std::getline(in, word);
            if (!in || fields[0] != "P6")
                return pages;
            p.w = std::stoi(fields[1]);
            p.h = std::stoi(fields[2]);
            in.get();
            p.rgb.resize(size_t(p.w) * size_t(p.h) * 3);
            in.read(reinterpret_cast<char*>(p.rgb.data()), std::streamsize(p.rgb.size()));
            pages.push_back(std::move(p));
        }
    }
    unsigned at(int x, int y) const
    {
        const unsigned char* p = &rgb[(size_t(y) * size_t(w) + size_t(x)) * 3];
        return unsigned(p[0]) << 16 | unsigned(p[1]) << 8 | p[2];
    }
    // Turned a quarter clockwise: an upright page that carries a landscape report, read upright.
    Page turned() const
    {
        Page t;
        t.w = h;
        t.h = w;
        t.rgb.resize(rgb.size());
        for (int y = 0; y < t.h; ++y)
            for (int x = 0; x < t.w; ++x)
                std::copy_n(&rgb[(size_t(h - 1 - x) * size_t(w) + size_t(y)) * 3], 3, &t.rgb[(size_t(y) * size_t(t.w) + size_t(x)) * 3]);
        return t;
    }
    template <class Test> int count(Test test) const
    {
        int n = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                n += test(at(x, y));
        return n;
    }
    // The box around the dark pixels of rows [top, bottom): x, width and height.
    std::tuple<int, int, int> ink(int top, int bottom) const
    {
        int left = w, right = -1, high = h, low = -1;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < w; ++x)
                if ((at(x, y) & 0x808080) == 0) {
                    left = std::min(left, x), right = std::max(right, x);
                    high = std::min(high, y), low = std::max(low, y);
                }
        return {left, right - left, low - high};
    }
};

bool near(unsigned a, unsigned b)
{
    for (int shift : {0, 8, 16})
        if (std::abs(int((a >> shift) & 255) - int((b >> shift) & 255)) > 6)
            return false;
    return true;
}

class ReportTest : public GuiFixture {
protected:
    // Ann Lee with a month of pulse and temperature, both charted.
    void chartTwoVitals(int w, int h)
    {
        makeUsers({{"Ann", "Lee"}});
        std::string pulse, temperature;
        for (int d = 1; d <= 28; ++d) {
            std::string date = "1/" + std::to_string(d) + "/2011";
            pulse += ChartRecord::entry(date, "08:00:00 AM", "<value>" + std::to_string(60 + d % 7 * 5) + "</value>");
            temperature += ChartRecord::entry(date, "08:00:00 PM", "<value>98</value>");
        }
        folder.write("user0.hma", "<patient id=\"0\"><info><name><first>Ann</first><last>Lee</last></name></info>" +
                                      ChartRecord::variableOf("Heart Rate", pulse) +
                                      ChartRecord::variableOf("Temperature", temperature) + "</patient>");
        startWindow(w, h);
        clickUserLine(1);
        for (const char* path : {"Vitals/Heart Rate", "Vitals/Temperature"})
            window->multiDisplayMenu->picked(window->multiDisplayMenu->find_item(path));
        Fl::check();
    }
    std::vector<Fl_Color> colours() const
    {
        std::vector<Fl_Color> c;
        for (Fl_Widget* w : window->chartReport().whiten)
            c.push_back(w->color());
        return c;
    }
    // The chart report as a PostScript file, with the window and its colours checked to be as before.
    // Where the trend cards were: their top left in drawing units from the printed column's.
    // Without filling the screen, the chart prints at the window's size.
    std::string postScript(const std::string& name, bool fillScreen = true)
    {
        const int geometry[] = {window->x(), window->y(), window->w(), window->h()};
        std::vector<Fl_Color> before = colours();
        std::string error, path = folder.path() + name;
        Report report = window->chartReport();
        auto enlarge = report.enlarge;
        report.enlarge = [&] {
            if (fillScreen)
                enlarge();
            Fl_Widget* column = window->chart->parent();
            layout = ReportLayout::compute(chartReportStyle, 559, 806, column->w(), column->h()); // A4
            cards = {window->trendBox->pack->x() - column->x(), window->trendBox->pack->y() - column->y()};
        };
        EXPECT_TRUE(report.writePostScript(path, error)) << error;
        EXPECT_EQ(std::vector<int>({window->x(), window->y(), window->w(), window->h()}),
                  std::vector<int>(geometry, geometry + 4));
        EXPECT_EQ(colours(), before);
        return path;
    }
    // Dark pixels of the nth card of an upright page; the printable area starts 18 points in.
    int cardInk(const Page& page, int n) const
    {
        int ink = 0;
        auto point = [&](int units) { return 18 + int(units * layout.scale); };
        for (int y = point(layout.gap + cards.second); y < point(layout.gap + cards.second + 150); ++y)
            for (int x = point(cards.first + 160 * n); x < point(cards.first + 160 * n + 150); ++x)
                ink += (page.at(x, y) & 0x808080) == 0;
        return ink;
    }
    ReportLayout layout{};
    std::pair<int, int> cards;
};

// One landscape page: the heading at the same printed size for the window filling the screen and
// for the window as it is, the plot's series and the trend cards on white. The PDF shows the same
// page, the right way up.
TEST_F(ReportTest, ChartPageIsOneLandscapePageWithAFixedHeading)
{
    chartTwoVitals(800, 600);
    std::vector<Page> pages = Page::render(postScript("large.ps"));
    ASSERT_EQ(pages.size(), 1u);
    ASSERT_LT(pages[0].w, pages[0].h) << "an upright sheet";
    Page large = pages[0].turned();
    // The heading lies in the top 40 points of the printable area, which starts 18 points in on A4.
    auto [titleX, titleW, titleH] = large.ink(18, 38);
    EXPECT_NEAR(titleX, 18 + 20, 2);
    EXPECT_GT(titleW, 100);
    EXPECT_GT(large.count([](unsigned c) { return near(c, 0xFF0000); }), 100) << "the pulse curve";
    EXPECT_GT(cardInk(large, 0) * cardInk(large, 1), 0) << "two trend cards";
    EXPECT_EQ(cardInk(large, 2), 0);
    // On white: only the legend, 154 by 197 units at about half size here, keeps its panel grey.
    EXPECT_LT(large.count([](unsigned c) { return near(c, 0xE6E8E8); }), 154 * 197 / 4);

    const double largeScale = layout.scale;
    Page small = Page::render(postScript("small.ps", false)).at(0).turned();
    ASSERT_GT(layout.scale, largeScale * 1.5);
    auto [smallX, smallW, smallH] = small.ink(18, 38);
    EXPECT_NEAR(smallW, titleW, 4) << "font sizes are whole units";
    EXPECT_NEAR(smallH, titleH, 1);
    EXPECT_GT(cardInk(small, 1), 0);

    ASSERT_TRUE(window->chartReport().savePdf(folder.path() + "chart"));
    std::vector<Page> pdf = Page::render(folder.path() + "chart.pdf");
    ASSERT_EQ(pdf.size(), 1u);
    ASSERT_EQ(pdf[0].w * 10000 + pdf[0].h, large.w * 10000 + large.h) << "landscape";
    int differ = 0;
    for (int y = 0; y < large.h; ++y)
        for (int x = 0; x < large.w; ++x)
            differ += !near(pdf[0].at(x, y), large.at(x, y));
    EXPECT_LT(differ, large.w * large.h / 500);
    EXPECT_TRUE(prompt.alerts.empty());
}

// A PDF that cannot be written is told and leaves nothing behind; an existing file is replaced
// only when the question is answered so.
TEST_F(ReportTest, FailedOrRefusedPdfLeavesNoFileBehind)
{
    chartTwoVitals(800, 600);
    const std::string stand = folder.path() + "bin/";
    mkdir(stand.c_str(), 0700);
    std::ofstream(stand + "ps2pdf") << "#!/bin/sh\necho 'Error: /invalidfont in findfont' >&2\necho partial > \"$3\"\nexit 1\n";
    chmod((stand + "ps2pdf").c_str(), 0700);
    const std::string path = std::getenv("PATH");
    const struct {
        const char* name;
        std::string search;
        int answer;
        const char* told; // null: written without a word
    } cases[] = {
        {"failing.pdf", stand + ":" + path, 1, "ps2pdf failed: Error: /invalidfont in findfont"},
        {"missing.pdf", stand + "none", 1, "could not be started: No such file or directory"},
        {"no-folder/chart.pdf", path, 1, "No such file or directory"},
        {"existing.pdf", path, 0, nullptr},
        {"existing.pdf", path, 1, nullptr},
    };
    folder.write("existing.pdf", "old");
    for (const auto& c : cases) {
        setenv("PATH", c.search.c_str(), 1);
        prompt.alerts.clear();
        prompt.questions.clear();
        prompt.answer = c.answer;
        bool saved = window->chartReport().savePdf(folder.path() + c.name);
        setenv("PATH", path.c_str(), 1);
        EXPECT_EQ(saved, c.answer == 1 && !c.told) << c.name;
        if (c.told) {
            ASSERT_EQ(prompt.alerts.size(), 1u) << c.name;
            EXPECT_NE(prompt.alerts[0].find("Unable to save file: " + folder.path() + c.name), std::string::npos);
            EXPECT_NE(prompt.alerts[0].find(c.told), std::string::npos) << prompt.alerts[0];
            EXPECT_FALSE(folder.exists(c.name));
        } else {
            EXPECT_EQ(prompt.questions, std::vector<std::string>{"The file " + folder.path() +
                                                                 "existing.pdf already exists.\nDo you want to replace it?"});
            EXPECT_EQ(folder.read(c.name).substr(0, 5), c.answer ? "%PDF-" : "old");
        }
    }
    std::vector<std::string> left = folder.names();
    EXPECT_EQ(std::count_if(left.begin(), left.end(), [](const std::string& n) { return n[0] == '.'; }), 0)
        << "temporary files";
}

}
