// The chart report written as PostScript and as PDF, turned into pictures with Ghostscript.
#include "tests/gui/GuiFixture.h"

#include "app/PrintJob.h"
#include "app/Report.h"
#include "records/SystemCalls.h"
#include "charts/ChartController.h"
#include "charts/TrendBox.h"
#include "history/HistoryTableWindow.h"
#include "tests/common/ChartRecord.h"
#include "ui/MainWindow.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Menu_Button.H>
#include <FL/Fl_Pack.H>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>

namespace {

// The first page as Ghostscript draws it at 72 dpi, one pixel a printed point; pages counts them all.
struct Page {
    explicit Page(const std::string& file)
    {
        std::string out = file + "-page";
        std::system(("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r72 -sOutputFile='" + out + "-%d.ppm' '" +
                     file + "' >/dev/null 2>&1").c_str());
        while (std::ifstream(out + "-" + std::to_string(pages + 1) + ".ppm"))
            ++pages;
        std::ifstream in(out + "-1.ppm", std::ios::binary);
        std::string field[4], comment;
        for (std::string& f : field) // P6, width, height, depth; Ghostscript adds a comment line
            while (in >> f && f[0] == '#')
                std::getline(in, comment);
        w = std::atoi(field[1].c_str()), h = std::atoi(field[2].c_str());
        in.get();
        rgb.resize(size_t(w * h * 3));
        in.read(reinterpret_cast<char*>(rgb.data()), std::streamsize(rgb.size()));
    }
    unsigned at(int x, int y) const
    {
        const unsigned char* p = &rgb[size_t((y * w + x) * 3)];
        return unsigned(p[0]) << 16 | unsigned(p[1]) << 8 | p[2];
    }
    template <class Test> int count(int x0, int y0, int x1, int y1, Test test) const
    {
        int n = 0;
        for (int y = std::max(y0, 0); y < std::min(y1, h); ++y)
            for (int x = std::max(x0, 0); x < std::min(x1, w); ++x)
                n += test(at(x, y));
        return n;
    }
    int pages = 0, w = 0, h = 0;
    std::vector<unsigned char> rgb;
};

Fl_Button* buttonLabelled(Fl_Group* group, const std::string& label)
{
    for (int i = 0; i < group->children(); ++i) {
        Fl_Widget* child = group->child(i);
        auto* button = dynamic_cast<Fl_Button*>(child);
        if (button && button->visible() && button->label() && label == button->label())
            return button;
        if (Fl_Button* inside = child->as_group() ? buttonLabelled(child->as_group(), label) : nullptr)
            return inside;
    }
    return nullptr;
}

// Presses Print in the print dialog once it shows.
void pressPrint(void*)
{
    for (Fl_Window* w = Fl::first_window(); w; w = Fl::next_window(w))
        if (Fl_Button* print = buttonLabelled(w, "Print")) {
            print->do_callback();
            return;
        }
    Fl::repeat_timeout(0.05, pressPrint);
}

bool dark(unsigned c) { return (c & 0x808080) == 0; }
bool near(unsigned a, unsigned b)
{
    for (int shift : {0, 8, 16})
        if (std::abs(int((a >> shift) & 255) - int((b >> shift) & 255)) > 6)
            return false;
    return true;
}

class ReportTest : public GuiFixture {
protected:
    // Ann Lee with four weeks of pulse and temperature, both charted.
    void chartTwoVitals()
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
        startWindow(800, 600);
        clickUserLine(1);
        for (const char* path : {"Vitals/Heart Rate", "Vitals/Temperature"})
            window->multiDisplayMenu->picked(window->multiDisplayMenu->find_item(path));
    }
    std::vector<long> looks() const
    {
        std::vector<long> seen{window->x(), window->y(), window->w(), window->h()};
        for (Fl_Widget* w : window->chartReport().whiten)
            seen.push_back(long(w->color()));
        return seen;
    }
    // The report as a ".ps" or ".pdf" file, the window back at its place and size and in its colours
    // after. Without filling the screen, the chart prints at the window's size. Notes the layout and
    // where the trend cards were, from the printed column's top left.
    Page page(const std::string& name, bool fillScreen = true)
    {
        std::vector<long> before = looks();
        Report report = window->chartReport();
        auto enlarge = report.enlarge;
        report.enlarge = [&] {
            if (fillScreen)
                enlarge();
            Fl_Widget* column = window->chart->parent();
            layout = ReportLayout::compute(chartReportStyle, 559, 806, column->w(), column->h()); // A4
            cards = {window->trendBox->pack->x() - column->x(), window->trendBox->pack->y() - column->y()};
        };
        std::string error, path = folder.path() + name;
        EXPECT_TRUE(name.back() == 's' ? report.writePostScript(path, error) : report.savePdf(path)) << error;
        EXPECT_EQ(looks(), before);
        return Page(path);
    }
    // Dark pixels of the nth card's place on a landscape page; the printable area starts 18 points in.
    int cardInk(const Page& page, int n) const
    {
        auto at = [&](int units) { return 18 + int(units * layout.scale); };
        int left = cards.first + 160 * n, top = layout.gap + cards.second;
        return page.count(at(left), at(top), at(left + 150), at(top + 150), dark);
    }
    ReportLayout layout{};
    std::pair<int, int> cards;
};

// One landscape page, shown the right way up as a PDF and turned on the sheet as PostScript: the
// heading at one printed size for the window filling the screen and as it is, the pulse curve and
// the trend cards on white.
TEST_F(ReportTest, ChartIsOneLandscapePageWithAHeadingOfFixedSize)
{
    chartTwoVitals();
    Page large = page("large.pdf");
    ASSERT_EQ(large.pages, 1);
    ASSERT_GT(large.w, large.h);
    const int heading = large.count(0, 18, large.w, 58, dark);
    EXPECT_GT(heading, 300);
    EXPECT_GT(large.count(0, 0, large.w, large.h, [](unsigned c) { return near(c, 0xFF0000); }), 100) << "pulse";
    EXPECT_GT(cardInk(large, 0) * cardInk(large, 1), 0) << "two trend cards";
    EXPECT_EQ(cardInk(large, 2), 0);
    // Only the legend, 154 by 197 units at about half size here, keeps its panel grey.
    EXPECT_LT(large.count(0, 0, large.w, large.h, [](unsigned c) { return near(c, 0xE6E8E8); }), 154 * 197 / 4);

    const double largeScale = layout.scale;
    Page small = page("small.pdf", false);
    ASSERT_GT(layout.scale, largeScale * 1.5);
    EXPECT_NEAR(small.count(0, 18, small.w, 58, dark), heading, heading / 20) << "font sizes are whole units";
    EXPECT_GT(cardInk(small, 1), 0);

    Page sheet = page("large.ps");
    ASSERT_EQ(sheet.pages, 1);
    ASSERT_EQ(sheet.w * 10000 + sheet.h, large.h * 10000 + large.w) << "the same sheet, upright";
    int differ = 0;
    for (int y = 0; y < large.h; ++y)
        for (int x = 0; x < large.w; ++x)
            differ += !near(large.at(x, y), sheet.at(y, sheet.h - 1 - x));
    EXPECT_LT(differ, large.w * large.h / 500);
    EXPECT_TRUE(prompt.alerts.empty());
}

// A PDF that cannot be written is told and leaves nothing behind; an existing file is replaced
// only when the question is answered so.
TEST_F(ReportTest, FailedOrRefusedPdfLeavesNoFileBehind)
{
    chartTwoVitals();
    const std::string bin = folder.path() + "bin/", path = std::getenv("PATH");
    mkdir(bin.c_str(), 0700);
    std::ofstream(bin + "ps2pdf") << "#!/bin/sh\necho 'Error: /invalidfont in findfont\nGPL Ghostscript: Unrecoverable error' >&2\necho partial\nexit 1\n";
    chmod((bin + "ps2pdf").c_str(), 0700);
    folder.write("existing.pdf", "old");
    const struct {
        const char* name;
        std::string search;
        int answer;
        const char* told; // null: written, or left, without a word
    } cases[] = {{"failing.pdf", bin + ":" + path, 1, "ps2pdf failed: Error: /invalidfont in findfont"},
                 {"missing.pdf", bin + "none", 1, "could not be started: No such file or directory"},
                 {"no-folder/chart.pdf", path, 1, "No such file or directory"},
                 {"existing.pdf", path, 0, nullptr},
                 {"existing.pdf", path, 1, nullptr}};
    for (const auto& c : cases) {
        setenv("PATH", c.search.c_str(), 1);
        prompt.alerts.clear();
        prompt.questions.clear();
        prompt.answer = c.answer;
        EXPECT_EQ(window->chartReport().savePdf(folder.path() + c.name), c.answer && !c.told) << c.name;
        setenv("PATH", path.c_str(), 1);
        if (c.told) {
            EXPECT_NE(prompt.alerts.at(0).find("Unable to save file: " + folder.path() + c.name + "\n"), std::string::npos);
            EXPECT_NE(prompt.alerts.at(0).find(c.told), std::string::npos) << prompt.alerts[0];
            EXPECT_FALSE(folder.exists(c.name));
        } else {
            EXPECT_EQ(prompt.questions.at(0), "The file " + folder.path() + "existing.pdf already exists.\nDo you want to replace it?");
            EXPECT_EQ(folder.read(c.name).substr(0, 5), c.answer ? "%PDF-" : "old");
        }
    }
    for (const std::string& name : folder.names())
        EXPECT_NE(name[0], '.') << "a temporary file is left";
}


// Ghostscript reads a '%' in its output name as a page number: a name with one, in a folder with
// one, is saved whole, and the converter never sees it.
TEST_F(ReportTest, PercentSignsInThePdfName)
{
    chartTwoVitals();
    mkdir((folder.path() + "100%").c_str(), 0700);
    for (const char* name : {"pulse 100%.pdf", "chart%d.pdf", "100%/%s%%.pdf"}) {
        EXPECT_TRUE(window->chartReport().savePdf(folder.path() + name)) << name;
        EXPECT_EQ(folder.read(name).substr(0, 5), "%PDF-") << name;
    }
    EXPECT_TRUE(prompt.alerts.empty()) << prompt.alerts.at(0);
    for (const std::string& name : folder.names())
        EXPECT_NE(name[0], '.') << "a temporary file is left";
}

// While the converter runs, the files a kill of the program would leave have no names: the
// converter notes what the temporary folder and the PDF's folder hold then.
TEST_F(ReportTest, AKillDuringTheConversionLeavesNoFiles)
{
    chartTwoVitals();
    const std::string bin = folder.path() + "bin/", tmp = folder.path() + "tmp/", out = folder.path() + "out/";
    for (const std::string& made : {bin, tmp, out})
        mkdir(made.c_str(), 0700);
    std::ofstream(bin + "ps2pdf") << "#!/bin/sh\nls -A '" << tmp << "' '" << out << "' >'" << folder.path()
                                  << "seen'\nexec /usr/bin/ps2pdf \"$@\"\n";
    chmod((bin + "ps2pdf").c_str(), 0700);
    const std::string path = std::getenv("PATH");
    setenv("PATH", (bin + ":" + path).c_str(), 1);
    setenv("TMPDIR", tmp.c_str(), 1);
    EXPECT_TRUE(window->chartReport().savePdf(out + "chart.pdf"));
    setenv("PATH", path.c_str(), 1);
    unsetenv("TMPDIR");
    EXPECT_EQ(folder.read("seen"), out + ":\n\n" + tmp + ":\n"); // ls lists them by name
    EXPECT_EQ(folder.read("out/chart.pdf").substr(0, 5), "%PDF-");
}

// A print command that takes its time holds nothing up: the page is handed over while the main
// window answers and shows that it is printing; one that stops reading fails without ending the
// program. Each end is told once, with the command's status.
TEST_F(ReportTest, PrintCommandsGetThePageMeanwhile)
{
    startWindow(800, 600);
    const std::string got = folder.path() + "got";
    const struct {
        std::string command;
        size_t size;
        int status;
    } cases[] = {{"sleep 0.5; cat >'" + got + "'; exit 3", 100000, 3}, {"exit 1", 1 << 20, 1}};
    for (const auto& c : cases) {
        FILE* page = std::tmpfile();
        const std::string text = "%!PS-Adobe-3.0\n" + std::string(c.size, 'x');
        std::fputs(text.c_str(), page);
        std::vector<int> told;
        const auto start = std::chrono::steady_clock::now();
        PrintJob::start(popen(c.command.c_str(), "w"), page, [&](int status) { told.push_back(status); });
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300)) << c.command;
        EXPECT_TRUE(window->printingBox->visible());
        for (int i = 0; PrintJob::running() && i < 200; ++i)
            Fl::wait(0.05);
        EXPECT_EQ(told, std::vector<int>{c.status << 8}) << c.command;
        EXPECT_FALSE(window->printingBox->visible());
    }
    EXPECT_EQ(folder.read("got"), "%!PS-Adobe-3.0\n" + std::string(100000, 'x'));
}

// A page that cannot be written in full (a full disk) is told and never handed to the print
// command; once it can, the whole page goes.
TEST_F(ReportTest, APageThatCannotBeWrittenIsNotPrinted)
{
    chartTwoVitals();
    const std::string bin = folder.path() + "bin/", got = folder.path() + "got", path = std::getenv("PATH");
    mkdir(bin.c_str(), 0700);
    std::ofstream(bin + "lpstat") << "#!/bin/sh\necho 'printer office is idle.'\necho 'system default destination: office'\n";
    std::ofstream(bin + "lp") << "#!/bin/sh\ncat >>'" << got << "'\n";
    chmod((bin + "lpstat").c_str(), 0700);
    chmod((bin + "lp").c_str(), 0700);
    setenv("PATH", (bin + ":" + path).c_str(), 1);
    for (long failing : {3, 0}) {
        SystemCalls::watch(SystemCalls::Write, failing, ENOSPC);
        Fl::add_timeout(0.1, pressPrint);
        const bool printed = window->chartReport().print();
        SystemCalls::unwatch();
        for (int i = 0; PrintJob::running() && i < 200; ++i)
            Fl::wait(0.05);
        EXPECT_EQ(printed, !failing);
        if (failing) {
            ASSERT_EQ(prompt.alerts.size(), 1u);
            EXPECT_EQ(prompt.alerts[0], "Unable to print the report: its page could not be written (No space left on device).");
            // The dialog has sent the command its prolog already; no page follows it.
            EXPECT_EQ(folder.read("got").find("%%Page:"), std::string::npos) << "a page cut short was printed";
        }
    }
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(prompt.alerts.size(), 1u);
    const std::string page = folder.read("got");
    EXPECT_NE(page.find("%%Page: 1"), std::string::npos);
    EXPECT_NE(page.find("%%EOF"), std::string::npos);
}

// The history window prints upright on one page: its heading, then the whole table on white, and
// the window is back at its place and size afterwards.
TEST_F(ReportTest, TableIsOneUprightPageOnWhite)
{
    chartTwoVitals();
    HistoryTableWindow* history = HistoryTableWindow::open("Heart Rate", "Ann Lee", *window);
    Fl::check();
    const std::vector<int> before{history->x(), history->y(), history->w(), history->h()};
    std::string error, path = folder.path() + "table.ps";
    ASSERT_TRUE(history->tableReport().writePostScript(path, error)) << error;
    EXPECT_EQ((std::vector<int>{history->x(), history->y(), history->w(), history->h()}), before);
    Page sheet(path);
    ASSERT_EQ(sheet.pages, 1);
    ASSERT_GT(sheet.h, sheet.w);
    EXPECT_GT(sheet.count(0, 48, sheet.w, 84, dark), 200) << "the heading";
    EXPECT_GT(sheet.count(0, 110, sheet.w, sheet.h, dark), 2000) << "the table's rows";
    EXPECT_EQ(sheet.count(0, 110, 30, sheet.h, [](unsigned c) { return near(c, 0xE6E8E8); }), 0) << "the window on white";
}

}
