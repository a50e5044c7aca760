#include "tests/gui/GuiFixture.h"

#include "records/Global.h"
#include "ui/InfoWindow.h"
#include "ui/MainWindow.h"
#include "ui/UserInfoBox.h"

#include <FL/Fl.H>
#include <FL/Fl_Browser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Float_Input.H>

namespace {

class InfoWindowTest : public GuiFixture {
protected:
    void SetUp() override
    {
        GuiFixture::SetUp();
        makeUsers({{"Ann", "Lee"}});
        startWindow();
        clickUserLine(1);
        MainWindow::editInfoCB(nullptr, window);
        dialog = openInfoWindow();
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

TEST_F(InfoWindowTest, BothNamesAreRequired)
{
    dialog->lastInput->value("");
    EXPECT_EQ(check(), "Enter a value for first AND last name");
    std::string before = folder.read("user0.hma");
    dialog->saveCB_i();
    EXPECT_EQ(folder.read("user0.hma"), before);
    EXPECT_NE(openInfoWindow(), nullptr);
}

TEST_F(InfoWindowTest, DatesOfBirthMustExist)
{
    const std::string unreadable = "The date of birth you entered could not be read.";
    const std::string range = "Incorrect range for date of birth.";
    const std::pair<const char*, std::string> cases[] = {
        {"2/29/1996", ""},       {"2/29/1997", range},  {"1/15/1950", ""},        {"2/29/1960", ""},
        {"2/29/1900", range},    {"15/1/1990", range},  {"Jan 5 1990", unreadable}, {"12/31/1899", range},
        {"02/30/1990", range},   {"0/10/1990", range},  {"", ""},
    };
    for (const auto& c : cases) {
        dialog->dobInput->value(c.first);
        EXPECT_EQ(check(), c.second) << c.first;
    }
}

TEST_F(InfoWindowTest, HeightsNeedFeetAndInches)
{
    const std::string unreadable = "The value you entered for height could not be read.";
    const std::pair<const char*, std::string> cases[] = {
        {"5 ft 7.5 in", ""}, {"5 ft 7 in", ""}, {"5 ft", unreadable}, {"170 cm", unreadable}, {"", ""},
    };
    for (const auto& c : cases) {
        dialog->heightInput->value(c.first);
        EXPECT_EQ(check(), c.second) << c.first;
    }
}

TEST_F(InfoWindowTest, SavedValuesShowInThePanelAsTyped)
{
    dialog->dobInput->value("1/15/1950");
    dialog->weightInput->value("");
    dialog->heightInput->value("5 ft 7.5 in");
    dialog->saveCB_i();
    Fl::check();
    Fl_Browser* panel = window->userInfo->browser;
    std::vector<std::string> lines;
    for (int i = 1; i <= panel->size(); ++i)
        lines.push_back(panel->text(i));
    EXPECT_EQ(lines, (std::vector<std::string>{"First Name:\tAnn", "Last Name:\tLee",
                                               "Date of Birth:\t1/15/1950", "Height:\t5 ft 7.5 in"}));
    std::string saved = folder.read("user0.hma");
    EXPECT_NE(saved.find("<dob>1/15/1950</dob>"), std::string::npos);
    EXPECT_NE(saved.find("<weight/>"), std::string::npos);
}

TEST_F(InfoWindowTest, MissingInfoElementsAreCreatedOnSave)
{
    dialog->hide();
    folder.write("user0.hma", "<patient id=\"0\"><info><name><first>Ann</first><last>Lee</last></name></info></patient>");
    clickUserLine(1);
    MainWindow::editInfoCB(nullptr, window);
    dialog = openInfoWindow();
    ASSERT_NE(dialog, nullptr);
    EXPECT_STREQ(dialog->raceInput->value(), "");
    dialog->raceInput->value("x");
    dialog->saveCB_i();
    std::string saved = folder.read("user0.hma");
    EXPECT_NE(saved.find("<race>x</race>"), std::string::npos);
    EXPECT_NE(saved.find("<dob/>"), std::string::npos);
}

}
