// Readings out to a CSV file and in from one, through the main window's File menu and the dialogs.
#include "tests/gui/GuiFixture.h"

#include "records/Global.h"
#include "tests/common/ChartRecord.h"
#include "records/SystemCalls.h"
#include "ui/CsvExportWindow.h"
#include "ui/CsvImportWindow.h"
#include "ui/DocumentWindows.h"
#include "ui/MainWindow.h"

#include <FL/Fl.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Display.H>

#include <unistd.h>

namespace {

class CsvWindowTest : public GuiFixture {
protected:
    void showReadings()
    {
        showAnn(ChartRecord::variableOf("Heart Rate", ChartRecord::entry("02/03/2024", "08:00:00 PM", "<value>61.000000</value>")) +
                ChartRecord::variableOf("SpO2", ChartRecord::entry("02/03/2024", "08:00:00 AM", "<value>97.500000</value>")));
    }
    void TearDown() override
    {
        SystemCalls::unwatch();
        GuiFixture::TearDown();
    }
    std::string exportTo(const std::string& name)
    {
        CsvExportWindow* dialog = pick<CsvExportWindow>("File/Export readings as CSV…");
        dialog->fileInput->value((folder.path() + "/" + name).c_str());
        EXPECT_TRUE(dialog && dialog->exportCB_i());
        return folder.path() + "/" + name;
    }
    CsvImportWindow* importFrom(const std::string& path)
    {
        CsvImportWindow* dialog = new CsvImportWindow(path, *window);
        return dialog->read() ? dialog : nullptr;
    }
    static std::string shown(CsvImportWindow* dialog) { return dialog->summary->buffer()->text(); }
    template <class W> W* pick(const char* path)
    {
        window->menuBar->picked(window->menuBar->find_item(path));
        Fl::check();
        return DocumentWindows::find<W>();
    }
};

TEST_F(CsvWindowTest, ExportWritesTheTickedVitalsAndReplacesAFileOnlyWhenAsked)
{
    startWindow();
    EXPECT_FALSE(window->menuBar->find_item("File/Export readings as CSV…")->active());
    delete window;
    window = nullptr;
    showReadings();
    CsvExportWindow* dialog = pick<CsvExportWindow>("File/Export readings as CSV…");
    ASSERT_TRUE(dialog);
    ASSERT_EQ(dialog->vitals.size(), 2u);
    EXPECT_NE(std::string(dialog->fileInput->value()).find("Ann Lee readings "), std::string::npos);
    const std::string header = "date,time,variable,systolic,diastolic,fasting,postprandial,value,conditions\r\n";
    const std::string both = header + "2024-02-03,08:00:00,SpO2,,,,,97.500000,\r\n2024-02-03,20:00:00,Heart Rate,,,,,61.000000,\r\n";

    dialog->fileInput->value((folder.path() + "/none/out.csv").c_str());
    EXPECT_FALSE(dialog->exportCB_i());
    ASSERT_EQ(prompt.alerts.size(), 1u);
    EXPECT_EQ(prompt.alerts[0].rfind("Unable to save file: " + folder.path() + "/none/out.csv\n", 0), 0u);
    EXPECT_FALSE(folder.exists("none"));

    dialog->fileInput->value((folder.path() + "/out").c_str());
    EXPECT_TRUE(dialog->exportCB_i());
    EXPECT_EQ(folder.read("out.csv"), both);
    EXPECT_EQ(prompt.alerts.back(), "2 readings exported to " + folder.path() + "/out.csv.");

    for (int answer : {0, 1}) {
        dialog = pick<CsvExportWindow>("File/Export readings as CSV…");
        ASSERT_TRUE(dialog);
        dialog->vitals[1]->value(0);
        dialog->fileInput->value((folder.path() + "/out.csv").c_str());
        prompt.answer = answer;
        EXPECT_EQ(dialog->exportCB_i(), answer == 1);
        EXPECT_EQ(folder.read("out.csv"), answer ? header + "2024-02-03,20:00:00,Heart Rate,,,,,61.000000,\r\n" : both);
        if (!answer)
            dialog->cancelCB_i();
    }
    EXPECT_EQ(prompt.questions.size(), 2u);
    for (const std::string& name : folder.names())
        EXPECT_EQ(name.find(".out"), std::string::npos) << name;
}

// Export Ann, import into Bo, who has no readings: Bo holds what Ann holds; a second import adds
// nothing, and a failed save leaves Bo's record as it was.
TEST_F(CsvWindowTest, ReadingsGoRoundThroughTheFileAndASecondImportAddsNothing)
{
    showReadings();
    const std::string path = exportTo("ann.csv");
    const std::string ann = folder.read("ann.csv");
    clickUserLine(2);
    const std::string before = folder.read("user1.hma");
    CsvImportWindow* dialog = importFrom(path);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(shown(dialog), "Importing from " + path + " would do this:\n\nHeart Rate: 1 reading to add, 0 already "
                             "present.\nSpO2: 1 reading to add, 0 already present.\n");
    SystemCalls::watch(SystemCalls::Write, 1, EIO);
    EXPECT_FALSE(dialog->importCB_i());
    EXPECT_EQ(folder.read("user1.hma"), before);
    EXPECT_EQ(Global::findVariableNode("SpO2"), nullptr);
    SystemCalls::unwatch();
    EXPECT_TRUE(dialog->importCB_i());
    EXPECT_EQ(prompt.alerts.back(), "2 readings imported.");
    EXPECT_EQ(folder.read(exportTo("bo.csv").substr(folder.path().size() + 1)), ann);

    dialog = importFrom(path);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(shown(dialog), "Importing from " + path + " would do this:\n\nHeart Rate: 0 readings to add, 1 already "
                             "present.\nSpO2: 0 readings to add, 1 already present.\n");
    EXPECT_FALSE(dialog->importButton->active());
    dialog->cancelCB_i();
}

// Bad files end in a message with nothing written; unlikely readings wait for the one tick.
TEST_F(CsvWindowTest, BadFilesAreToldAndUnlikelyReadingsNeedTheTick)
{
    showReadings();
    const std::string before = folder.read("user0.hma");
    folder.write("huge.csv", "");
    ASSERT_EQ(truncate((folder.path() + "/huge.csv").c_str(), 101LL << 20), 0);
    folder.write("nul.csv", std::string("date,time,value\n\0\n", 18));
    folder.write("only-header.csv", "date,time,variable,value\r\n");
    for (const char* name : {"huge.csv", "nul.csv", "only-header.csv", "missing.csv"}) {
        size_t alerts = prompt.alerts.size();
        EXPECT_EQ(importFrom(folder.path() + "/" + name), nullptr) << name;
        ASSERT_EQ(prompt.alerts.size(), alerts + 1) << name;
        EXPECT_EQ(prompt.alerts.back().rfind("Unable to import " + folder.path() + "/" + name + ":\n", 0) == 0 ||
                      prompt.alerts.back().rfind("Nothing can be imported from " + folder.path() + "/" + name + ":\n", 0) == 0,
                  true) << prompt.alerts.back();
    }
    EXPECT_NE(prompt.alerts[0].find("100 MB"), std::string::npos);
    EXPECT_EQ(folder.read("user0.hma"), before);

    folder.write("fast.csv", "Date,Time,Pulse\n2024-01-05,10:00,250\n2024-01-05,10:05,17:00\n2024-01-05,10:06,\n");
    CsvImportWindow* dialog = importFrom(folder.path() + "/fast.csv");
    ASSERT_TRUE(dialog);
    EXPECT_NE(shown(dialog).find(":\n\nHeart Rate: 0 readings to add, 0 already present, 1 unlikely reading left out, 1 line "
                                 "refused.\n\nHeart Rate, 1 line refused:\nline 3: the Heart Rate value is not a number.\n\n"
                                 "1 line refused that names no vital of this record:\nline 4: no value on this line.\n"),
              std::string::npos)
        << shown(dialog);
    EXPECT_TRUE(dialog->includeUnlikely->visible());
    EXPECT_FALSE(dialog->importButton->active());
    dialog->includeUnlikely->value(1);
    dialog->includeCB_i();
    ASSERT_TRUE(dialog->importButton->active());
    EXPECT_TRUE(dialog->importCB_i());
    EXPECT_NE(folder.read("user0.hma").find("<value>250.000000</value>"), std::string::npos);
}

}
