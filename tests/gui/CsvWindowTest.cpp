// Readings out to a CSV file and in from one, through the main window's File menu and the dialogs.
#include "tests/gui/GuiFixture.h"

#include "records/Global.h"
#include "tests/common/ChartRecord.h"
#include "ui/CsvExportWindow.h"
#include "ui/DocumentWindows.h"
#include "ui/MainWindow.h"

#include <FL/Fl.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Bar.H>

namespace {

class CsvWindowTest : public GuiFixture {
protected:
    void showReadings()
    {
        showAnn(ChartRecord::variableOf("Heart Rate", ChartRecord::entry("02/03/2024", "08:00:00 PM", "<value>61.000000</value>")) +
                ChartRecord::variableOf("SpO2", ChartRecord::entry("02/03/2024", "08:00:00 AM", "<value>97.500000</value>")));
    }
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

}
