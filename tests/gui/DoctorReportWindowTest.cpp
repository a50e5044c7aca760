// The report for the doctor from its dialog to the PDF, read back as text with pdftotext.
#include "tests/gui/GuiFixture.h"

#include "history/core/ReportPeriod.h"
#include "tests/common/ChartRecord.h"
#include "ui/DoctorReportWindow.h"
#include "ui/MainWindow.h"
#include "ui/ReportProgress.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Bar.H>

#include <cstdio>
#include <memory>
#include <regex>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string run(const std::string& command)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    char chunk[4096];
    for (size_t n; pipe && (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
        out.append(chunk, n);
    if (pipe)
        pclose(pipe);
    return out;
}

std::string date(ReportDay d)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", d.month, d.day, d.year);
    return text;
}

class DoctorReportWindowTest : public GuiFixture {
protected:
    // René Müller with the home record ending today, and ten heart-rate readings a day for 30 days.
    void SetUp() override
    {
        GuiFixture::SetUp();
        makeUsers({{"Ren\xC3\xA9", "M\xC3\xBCller"}});
        const long today = ReportDay::today().number();
        std::string bp, pulse;
        auto entry = [](long day, const char* time, const std::string& fields) {
            return ChartRecord::entry(date(ReportDay::fromNumber(day)), time, fields);
        };
        const char* const times[] = {"07:00:00 AM", "11:00:00 AM", "06:00:00 PM", "10:00:00 PM"};
        const int day1[] = {152, 96, 148, 94, 150, 95, 146, 93}, later[] = {136, 86, 134, 84, 133, 83, 131, 81};
        for (int d = 0; d < 7; ++d)
            for (int i = 0; i < 4; ++i) {
                const int* v = d ? later : day1;
                bp += entry(today - 6 + d, times[i],
                            "<systolic>" + std::to_string(v[2 * i]) + "</systolic><diastolic>" +
                                std::to_string(v[2 * i + 1]) + "</diastolic>");
            }
        for (int d = 0; d < 30; ++d)
            for (int h = 1; h <= 10; ++h)
                pulse += entry(today - d, (std::to_string(h) + ":30:00 PM").c_str(),
                               "<value>" + std::to_string(50 + (d * 10 + h) % 80) + "</value>");
        folder.write("user0.hma", "<patient id=\"0\"><info><name><first>Ren\xC3\xA9</first><last>M\xC3\xBCller</last>"
                                  "</name><dob>03/04/1950</dob></info>" +
                                      ChartRecord::variableOf("Blood Pressure", bp) +
                                      ChartRecord::bounded("Heart Rate", pulse) +
                                      ChartRecord::variableOf("Temperature", "") + "</patient>");
        startWindow(1000, 700);
        clickUserLine(1);
    }
    std::vector<std::string> leftovers() const
    {
        std::vector<std::string> hidden;
        for (const std::string& name : folder.names())
            if (name[0] == '.' || name.find(".pdf") != std::string::npos)
                hidden.push_back(name);
        return hidden;
    }
};

TEST_F(DoctorReportWindowTest, SavesEveryReadingOfThePeriodAsTextOverSeveralPages)
{
    const Fl_Menu_Item* item = window->menuBar->find_item("File/Report for the doctor\xE2\x80\xA6");
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->active());
    auto dialog = std::make_unique<DoctorReportWindow>();
    const long today = ReportDay::today().number();
    EXPECT_EQ(dialog->fromInput->value(), date(ReportDay::fromNumber(today - 29)));
    EXPECT_EQ(dialog->toInput->value(), date(ReportDay::fromNumber(today)));
    ASSERT_EQ(dialog->vitalButtons.size(), 3u);
    EXPECT_EQ(dialog->vitalButtons[0]->value() + dialog->vitalButtons[1]->value() * 2 + dialog->vitalButtons[2]->value() * 4, 3);

    const std::string path = folder.path() + "report.pdf";
    // The progress shows at once; the windows it lets redraw stay off the pages.
    int pagesSeen = 0;
    ReportProgress progress("Making the report");
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    ASSERT_TRUE(dialog->saveTo(path, [&](int done, int total) {
        window->redraw();
        dialog->redraw();
        pagesSeen = done;
        return progress.step(done, total);
    }));
    const std::string text = run("pdftotext -layout '" + path + "' -");
    EXPECT_NE(text.find("Ren\xC3\xA9 M\xC3\xBCller, born March 4, 1950 (age "), std::string::npos) << text.substr(0, 400);
    EXPECT_NE(text.find("Period: " + ReportPeriod(ReportDay::fromNumber(today - 29), ReportDay::fromNumber(today)).text()),
              std::string::npos);
    EXPECT_NE(text.find("Home average: mean 133.5/83.5 mmHg, below the home threshold"), std::string::npos);
    EXPECT_NE(text.find("the last day of the period holding a blood-pressure reading"), std::string::npos);
    EXPECT_NE(text.find("Heart Rate: 300 readings, mean "), std::string::npos);
    // The plot of each vital with readings, blood pressure on one axis.
    EXPECT_NE(text.find("History for Systolic and Diastolic"), std::string::npos);
    EXPECT_NE(text.find("History for Heart Rate"), std::string::npos);
    EXPECT_EQ(text.find("History for Temperature"), std::string::npos);
    EXPECT_NE(text.find("page 1 of " + std::to_string(pagesSeen)), std::string::npos);
    EXPECT_NE(text.find("page " + std::to_string(pagesSeen) + " of " + std::to_string(pagesSeen)), std::string::npos);
    EXPECT_GT(pagesSeen, 3);
    EXPECT_TRUE(std::regex_search(run("pdfinfo '" + path + "'"), std::regex("Pages: +" + std::to_string(pagesSeen) + "\n")));
    // Every reading once: 28 of blood pressure, 300 of heart rate, each a line of the table.
    const std::regex row(R"(\d\d/\d\d/\d{4} +\d{1,2}:\d\d:\d\d [AP]M +\d+\.\d)");
    EXPECT_EQ(std::distance(std::sregex_iterator(text.begin(), text.end(), row), std::sregex_iterator()), 328);
    // The fonts are in the file.
    const std::string fonts = run("pdffonts '" + path + "'");
    EXPECT_NE(fonts.find("Helvetica"), std::string::npos);
    const size_t embedded = fonts.find("emb");
    for (size_t line = fonts.find("\n---"); (line = fonts.find('\n', line + 1)) != std::string::npos && line + 1 < fonts.size();)
        EXPECT_EQ(fonts.substr(line + 1 + embedded, 3), "yes") << fonts;
    EXPECT_TRUE(prompt.alerts.empty());
    for (const char* screen : {"Last 7 days", "Cancel", "Users"})
        EXPECT_EQ(text.find(screen), std::string::npos) << screen;
}

TEST_F(DoctorReportWindowTest, CancelledOrEmptyReportsWriteNothing)
{
    auto dialog = std::make_unique<DoctorReportWindow>();
    const std::string tmp = folder.path() + "tmp";
    mkdir(tmp.c_str(), 0700);
    const char* previous = std::getenv("TMPDIR");
    const std::string kept = previous ? previous : "";
    setenv("TMPDIR", tmp.c_str(), 1);
    EXPECT_FALSE(dialog->saveTo(folder.path() + "cancelled.pdf", [](int done, int) { return done < 2; }));
    previous ? setenv("TMPDIR", kept.c_str(), 1) : unsetenv("TMPDIR");
    EXPECT_TRUE(prompt.alerts.empty());
    EXPECT_EQ(rmdir(tmp.c_str()), 0) << "left in the temporary folder";
    const long today = ReportDay::today().number();
    dialog->fromInput->value(date(ReportDay::fromNumber(today - 400)).c_str());
    dialog->toInput->value(date(ReportDay::fromNumber(today - 370)).c_str());
    dialog->vitalButtons[0]->value(1);
    EXPECT_FALSE(dialog->saveTo(folder.path() + "empty.pdf", [](int, int) { return true; }));
    ASSERT_EQ(prompt.alerts.size(), 1u);
    EXPECT_EQ(prompt.alerts[0].find("There are no readings"), 0u) << prompt.alerts[0];
    EXPECT_EQ(leftovers(), std::vector<std::string>());
}

// Quick work shows nothing; after half a second a window tells the progress, and its Cancel stops the work.
TEST(ReportProgressTest, ShowsItselfAfterHalfASecondAndCancels)
{
    auto shown = [] {
        for (Fl_Window* w = Fl::first_window(); w; w = Fl::next_window(w))
            for (int i = 0; i < w->children(); ++i)
                if (w->child(i)->label() && std::string(w->child(i)->label()) == "Cancel")
                    return static_cast<Fl_Button*>(w->child(i));
        return static_cast<Fl_Button*>(nullptr);
    };
    ReportProgress progress("Making the report");
    EXPECT_TRUE(progress.step(1, 10));
    EXPECT_EQ(shown(), nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    EXPECT_TRUE(progress.step(2, 10));
    Fl_Button* cancel = shown();
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(std::string(cancel->window()->child(0)->label()), "Making the report: page 2 of 10");
    cancel->do_callback();
    EXPECT_FALSE(progress.step(3, 10));
}

}
