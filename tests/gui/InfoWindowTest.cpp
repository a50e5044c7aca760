#include "tests/gui/GuiFixture.h"

#include "ui/DocumentWindows.h"
#include "ui/InfoWindow.h"
#include "ui/MainWindow.h"
#include "ui/UserInfoBox.h"

#include <FL/Fl.H>
#include <FL/Fl_Browser.H>
#include <FL/Fl_Float_Input.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Input_Choice.H>

namespace {

// Ann's record, written by an older program: a two-digit year of birth, no other information.
class InfoWindowTest : public GuiFixture {
protected:
    void SetUp() override
    {
        GuiFixture::SetUp();
        makeUsers({{"Ann", "Lee"}});
        folder.write("user0.hma", "<patient id=\"0\"><info><name><first>Ann</first><last>Lee</last></name>"
                                  "<dob>4/27/61</dob></info></patient>");
        startWindow();
        clickUserLine(1);
        MainWindow::editInfoCB(nullptr, window);
        dialog = DocumentWindows::find<InfoWindow>();
        ASSERT_NE(dialog, nullptr);
    }
    // The alert that checking gives, or "" when the inputs pass.
    std::string check()
    {
        prompt.alerts.clear();
        int result = dialog->checkInputs();
        EXPECT_EQ(result == 0, prompt.alerts.empty());
        return prompt.alerts.empty() ? "" : prompt.alerts[0].substr(0, prompt.alerts[0].find('\n'));
    }
    InfoWindow* dialog = nullptr;
};

TEST_F(InfoWindowTest, ChecksRefuseWhatARecordCannotKeep)
{
    EXPECT_EQ(check(), "") << "a date of birth kept from the record passes until it is changed";
    const std::string name = "Enter a value for first AND last name";
    const std::string unreadable = "The date of birth you entered could not be read.";
    const std::string range = "Incorrect range for date of birth.";
    const std::string height = "The value you entered for height could not be read.";
    const std::string amount = "The value you entered for ";
    const std::string control = "The last name you entered holds a control character, which a record cannot keep.";
    const struct {
        Fl_Input_* input;
        const char* text;
        std::string alert;
    } cases[] = {
        {dialog->lastInput, "", name},          {dialog->lastInput, "   ", name},
        {dialog->lastInput, "Lee\a", control},  {dialog->dobInput, "1/15/1950", ""},
        {dialog->dobInput, "2/29/1997", range},  {dialog->dobInput, "1/1/2000abc", unreadable},
        {dialog->dobInput, "4/27/62", range},    {dialog->dobInput, "4/27/1961", ""},
        {dialog->heightInput, "5 ft 7.5 in", ""}, {dialog->heightInput, "5 ft", height},
        {dialog->heightInput, "170 cm", height}, {dialog->heightInput, "", ""},
        {dialog->weightInput, "-150", amount},   {dialog->weightInput, "1e308", amount},
        {dialog->stepSizeInput, ".", amount},    {dialog->stepSizeInput, "nan", amount},
        {dialog->stepSizeInput, "28.5", ""},
    };
    for (const auto& c : cases) {
        std::string before = c.input->value();
        c.input->value(c.text);
        std::string alert = check();
        EXPECT_EQ(alert.substr(0, c.alert.size()), c.alert) << c.text;
        EXPECT_EQ(alert.empty(), c.alert.empty()) << c.text;
        c.input->value(before.c_str());
    }
    std::string record = folder.read("user0.hma");
    dialog->lastInput->value(" ");
    dialog->saveCB_i();
    EXPECT_EQ(folder.read("user0.hma"), record);
    EXPECT_EQ(DocumentWindows::find<InfoWindow>(), dialog);
}

TEST_F(InfoWindowTest, SavedValuesAreWrittenIntoMadeElementsAndShownAsTyped)
{
    EXPECT_STREQ(dialog->raceInput->value(), "");
    dialog->dobInput->value("1/15/1950");
    dialog->heightInput->value("5 ft 7.5 in");
    dialog->raceInput->value("x");
    dialog->saveCB_i();
    Fl::check();
    Fl_Browser* panel = window->userInfo->browser;
    std::vector<std::string> lines;
    for (int i = 1; i <= panel->size(); ++i)
        lines.push_back(panel->text(i));
    EXPECT_EQ(lines, (std::vector<std::string>{"First Name:\tAnn", "Last Name:\tLee", "Date of Birth:\t1/15/1950",
                                               "Height:\t5 ft 7.5 in", "Race:\tx"}));
    std::string saved = folder.read("user0.hma");
    for (const char* element : {"<dob>1/15/1950</dob>", "<weight/>", "<race>x</race>"})
        EXPECT_NE(saved.find(element), std::string::npos) << element;
}

}
