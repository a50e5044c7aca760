// The main window, its user list and panels, and the user information dialog.
#include "tests/gui/GuiFixture.h"

#include "charts/ChartController.h"
#include "charts/TrendBox.h"
#include "history/HistoryBox.h"
#include "records/Global.h"
#include "ui/DocumentWindows.h"
#include "ui/InfoWindow.h"
#include "ui/MainWindow.h"
#include "ui/MyBrowser.h"
#include "ui/PasteFilter.h"
#include "ui/SearchUserBox.h"
#include "ui/TabBrowser.h"
#include "ui/UserInfoBox.h"

#include <FL/Fl.H>
#include <FL/Fl_Browser.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Float_Input.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Input_Choice.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Menu_Button.H>
#include <FL/Fl_Text_Display.H>
#include <FL/Fl_Tabs.H>

namespace {

using MainWindowTest = GuiFixture;

// Without a user only New, Exit and Help respond; a user fills every variable tab, and closing the
// user empties them all, the hidden ones too.
TEST_F(MainWindowTest, ControlsAndTabsFollowTheOpenUser)
{
    makeUsers({{"Ann", "Lee"}});
    startWindow();
    auto active = [&](const char* path) { return window->menuBar->find_item(path)->active() != 0; };
    const std::vector<Fl_Widget*> userControls = {
        window->multiDisplayMenu, window->normalRangeMenu, window->tableMenu,   window->editUserButton,
        window->removeUserButton, window->clearChartButton, window->infoEditButton, window->printButton,
        window->analysisButton};
    EXPECT_TRUE(active("File/New") && active("File/Exit") && window->addUserButton->active());
    for (const char* path : {"File/Save", "File/Close", "File/Save chart as PDF…", "Edit/Information"})
        EXPECT_FALSE(active(path)) << path;
    for (Fl_Widget* control : userControls)
        EXPECT_FALSE(control->active()) << (control->label() ? control->label() : control->tooltip());

    clickUserLine(1);
    for (Fl_Widget* control : userControls)
        EXPECT_TRUE(control->active());
    HistoryBox* box = window->historyBox;
    ASSERT_EQ(box->vitalsTab->browser->size(), 1);
    EXPECT_STREQ(box->vitalsTab->items[0], "Heart Rate");
    ASSERT_EQ(box->labTab->browser->size(), 1);
    EXPECT_STREQ(box->labTab->items[0], "Cholesterol");
    EXPECT_STREQ(box->medicineTab->items[0], "Aspirin");
    // No entries yet, so there is no history to edit.
    EXPECT_FALSE(MyBrowser::hasHistory("Heart Rate"));
    EXPECT_FALSE(MyBrowser::hasHistory("Cholesterol"));
    box->vitalsTab->browser->value(1);
    box->vitalsTab->browserCB_i();
    EXPECT_EQ(box->vitalsTab->browser->value(), 0);

    window->menuBar->picked(window->menuBar->find_item("File/Close"));
    EXPECT_FALSE(Global::userOpen);
    EXPECT_FALSE(window->editUserButton->active());
    EXPECT_EQ(window->userList->browser->value(), 0);
    EXPECT_EQ(box->vitalsTab->browser->size() + box->labTab->browser->size(), 0);
}

// The invisible edit button lies exactly over the information list; a larger window keeps the left
// column's width and the lower row's height, and gives the chart what it gains.
TEST_F(MainWindowTest, LayoutKeepsTheLeftColumnAndGrowsTheChart)
{
    startWindow(1000, 600);
    EXPECT_EQ(window->userInfo->browser->y(), window->infoEditButton->y());
    EXPECT_EQ(window->userInfo->browser->h(), window->infoEditButton->h());
    window->size(1600, 1000);
    EXPECT_EQ(window->userList->w(), Layout::userListWidth);
    EXPECT_EQ(window->historyBox->h(), Layout::lowerRowHeight);
    EXPECT_EQ(window->trendBox->h(), Layout::lowerRowHeight);
    EXPECT_EQ(window->chart->w(), 1600 - Layout::besideChart);
    EXPECT_EQ(window->historyBox->y() + window->historyBox->h(), Layout::lowerRowBottom);
}

TEST_F(MainWindowTest, HelpOpensOneWindowAndDropsOnlyAByteOrderMark)
{
    startWindow();
    for (const char* text : {"\xEF\xBB\xBFHelp text", "Help text"}) {
        folder.write("readme.txt", text);
        window->helpCB_i();
        Fl_Double_Window* help = window->helpWindow;
        window->helpCB_i();
        ASSERT_EQ(window->helpWindow, help);
        Fl_Text_Buffer* buffer = static_cast<Fl_Text_Display*>(help->child(0))->buffer();
        char* shown = buffer->text();
        EXPECT_STREQ(shown, "Help text");
        free(shown);
        delete help;
        delete buffer;
        window->helpWindow = nullptr;
    }
}

using UserFlowTest = GuiFixture;

// Two entries with id 0; the second, with a name too long to show whole, names user1.hma.
TEST_F(UserFlowTest, LinesWithADuplicatedIdActOnTheirOwnRecords)
{
    const std::string longName(10000, 'x');
    makeUsers({{"Ann", "Lee"}, {longName, "Lee"}});
    std::string config = folder.read("config.hma");
    folder.write("config.hma", config.replace(config.find("id=\"1\""), 6, "id=\"0\""));
    folder.write("user1.hma", record(0, longName, "Lee"));
    startWindow();
    const std::string shown = std::string(24, 'x') + "\xE2\x80\xA6 Lee";
    EXPECT_EQ(userLines(), (std::vector<std::string>{"Ann Lee", shown}));
    clickUserLine(2);
    EXPECT_STREQ(Global::currentFile, "user1.hma");

    MainWindow::editInfoCB(nullptr, window);
    DocumentWindows::find<InfoWindow>()->firstInput->value("Bo");
    DocumentWindows::find<InfoWindow>()->saveCB_i();
    Fl::check();
    EXPECT_EQ(userLines(), (std::vector<std::string>{"Ann Lee", "Bo Lee"}));
    EXPECT_EQ(window->userList->browser->value(), 2);
    EXPECT_EQ(folder.read("user0.hma"), record(0, "Ann", "Lee"));

    prompt.answer = 1;
    window->userRemoveCB_i();
    EXPECT_EQ(prompt.questions.at(0), "Do you really want to remove user:\nBo Lee?");
    EXPECT_EQ(userLines(), std::vector<std::string>{"Ann Lee"});
    clickUserLine(1);
    EXPECT_STREQ(Global::currentFile, "user0.hma");
}

// While a new user is pending: one dialog at a time, panels that show the new record, and Remove
// with nothing to remove; OK lists the new user. (That nothing is written before OK is a unit test.)
TEST_F(UserFlowTest, APendingNewUserTakesOneDialogAndIsListedByOK)
{
    showAnn();
    MainWindow::editInfoCB(nullptr, window);
    MainWindow::editInfoCB(nullptr, window);
    EXPECT_EQ(DocumentWindows::count(), 1);
    window->newCB_i();
    EXPECT_EQ(window->userList->browser->value(), 0);
    EXPECT_EQ(window->historyBox->vitalsTab->items.size(), 6u);
    EXPECT_STREQ(window->userInfo->browser->text(1), "First Name:\t");
    window->newCB_i();
    MainWindow::editInfoCB(nullptr, window);
    EXPECT_EQ(DocumentWindows::count(), 1);
    window->userRemoveCB_i();
    EXPECT_TRUE(prompt.questions.empty());

    InfoWindow* dialog = DocumentWindows::find<InfoWindow>();
    ASSERT_STREQ(dialog->label(), "New User");
    dialog->firstInput->value("Cy");
    dialog->lastInput->value("Park");
    dialog->saveCB_i();
    Fl::check();
    EXPECT_EQ(userLines(), (std::vector<std::string>{"Ann Lee", "Bo Ng", "Cy Park"}));
    EXPECT_EQ(window->userList->browser->value(), 3);
}

// While a new user waits for its dialog nothing can be recorded for it, and once something was typed
// for it, every way of leaving it asks first: its Cancel, File/Close, File/New, another user, File/Exit.
TEST_F(UserFlowTest, APendingNewUserTakesNoChangesAndIsLeftOnlyAfterAsking)
{
    showAnn();
    window->newCB_i();
    MyBrowser* vitals = window->historyBox->vitalsTab->browser;
    vitals->value(1);
    window->historyBox->vitalsTab->browserCB_i();
    vitals->value(1);
    vitals->propertiesCB_i();
    window->menuBar->picked(window->menuBar->find_item("File/Save"));
    EXPECT_EQ(DocumentWindows::count(), 1);
    ASSERT_EQ(prompt.alerts.size(), 3u);
    for (const std::string& alert : prompt.alerts)
        EXPECT_EQ(alert.find("The new user has not been added yet, so nothing can be recorded"), 0u);

    InfoWindow* dialog = DocumentWindows::find<InfoWindow>();
    dialog->firstInput->value("Cy");
    dialog->cancelCB_i();
    window->closeCB_i();
    window->newCB_i();
    clickUserLine(2);
    ASSERT_EQ(prompt.questions.size(), 4u);
    window->menuBar->picked(window->menuBar->find_item("File/Exit")); // answered No: goes on running
    EXPECT_EQ(prompt.questions.size(), 5u);
    EXPECT_TRUE(prompt.quits.empty());
    for (const std::string& question : prompt.questions)
        EXPECT_NE(question.find("would be lost.\nDrop the new user?"), std::string::npos);
    EXPECT_EQ(DocumentWindows::find<InfoWindow>(), dialog);
    EXPECT_STREQ(dialog->firstInput->value(), "Cy");
    EXPECT_TRUE(Global::newUserPending());
    EXPECT_EQ(window->userList->browser->value(), 0);

    prompt.answer = 1;
    clickUserLine(2);
    EXPECT_STREQ(Global::currentFile, "user1.hma");
    EXPECT_EQ(DocumentWindows::find<InfoWindow>(), nullptr);
    EXPECT_EQ(userLines(), (std::vector<std::string>{"Ann Lee", "Bo Ng"}));
}

// With the data folder gone, a change in memory holds the user: another line is not opened and
// File/Exit does not exit; a failed save in the dialog is undone and keeps what was typed. With the
// folder back, the retry saves both and File/Exit quits.
TEST_F(UserFlowTest, AFailedSaveHoldsTheUserAndTheDialogKeepsWhatWasTyped)
{
    showAnn();
    Xml::setChildText(*Global::userDoc, Xml::child(Global::userDoc.get(), "patient", "info"), "race", "unsaved");
    Global::dataFolder = folder.path() + "gone/";
    clickUserLine(2);
    EXPECT_STREQ(Global::currentFile, "user0.hma");
    EXPECT_EQ(window->userList->browser->value(), 1);
    window->menuBar->picked(window->menuBar->find_item("File/Exit"));
    EXPECT_TRUE(prompt.quits.empty());
    ASSERT_EQ(prompt.alerts.size(), 2u);
    EXPECT_NE(prompt.alerts[1].find("file: user0.hma\ncannot create a temporary file: No such file"), std::string::npos);

    MainWindow::editInfoCB(nullptr, window);
    InfoWindow* dialog = DocumentWindows::find<InfoWindow>();
    dialog->firstInput->value("Anna");
    dialog->saveCB_i();
    Fl::check();
    ASSERT_EQ(DocumentWindows::find<InfoWindow>(), dialog);
    EXPECT_STREQ(dialog->firstInput->value(), "Anna");
    EXPECT_EQ(prompt.alerts.size(), 3u);
    EXPECT_STREQ(Xml::childText(Xml::child(Xml::child(Global::userDoc.get(), "patient", "info"), "name"), "first"), "Ann");
    EXPECT_EQ(userLines(), (std::vector<std::string>{"Ann Lee", "Bo Ng"}));

    Global::dataFolder = folder.path();
    dialog->saveCB_i();
    Fl::check();
    EXPECT_EQ(DocumentWindows::find<InfoWindow>(), nullptr);
    EXPECT_EQ(userLines(), (std::vector<std::string>{"Anna Lee", "Bo Ng"}));
    EXPECT_NE(folder.read("user0.hma").find("<first>Anna</first>"), std::string::npos);
    EXPECT_NE(folder.read("user0.hma").find("<race>unsaved</race>"), std::string::npos);
    window->menuBar->picked(window->menuBar->find_item("File/Exit"));
    EXPECT_EQ(prompt.quits, std::vector<int>{0});
}

TEST_F(UserFlowTest, ADamagedRecordKeepsThePreviousUserOpen)
{
    makeUsers({{"Ann", "Lee"}, {"Bo", "Ng"}});
    folder.write("user1.hma", "<patient id=\"1\"><info>");
    startWindow();
    clickUserLine(1);
    clickUserLine(2);
    EXPECT_EQ(prompt.alerts.size(), 1u);
    EXPECT_TRUE(Global::userOpen);
    EXPECT_STREQ(Global::currentFile, "user0.hma");
    EXPECT_EQ(window->userList->browser->value(), 1);
}

// Ann's record, written by an older program: a two-digit year of birth, no other information.
class InfoWindowTest : public GuiFixture {
protected:
    void SetUp() override
    {
        GuiFixture::SetUp();
        showAnn("", "<dob>4/27/61</dob>");
        MainWindow::editInfoCB(nullptr, window);
        dialog = DocumentWindows::find<InfoWindow>();
        ASSERT_NE(dialog, nullptr);
    }
    // The alert that checking gives, or "" when the inputs pass.
    std::string check()
    {
        prompt.alerts.clear();
        InfoWindow::Inputs result = dialog->checkInputs();
        EXPECT_EQ(result == InfoWindow::Inputs::Valid, prompt.alerts.empty());
        return prompt.alerts.empty() ? "" : prompt.alerts[0].substr(0, prompt.alerts[0].find('\n'));
    }
    InfoWindow* dialog = nullptr;
};

// Each input reaches its check and its message; the checks themselves have their unit tests, and
// a refused save that keeps the dialog open is tried end to end.
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
        {dialog->lastInput, "   ", name},        {dialog->lastInput, "Lee\a", control},
        {dialog->lastInput, "Lee\nNg", control}, {dialog->lastInput, "Lee\r", control},
        {dialog->dobInput, "1/15/1950", ""},     {dialog->dobInput, "2/29/1997", range},
        {dialog->dobInput, "1/1/2000abc", unreadable}, {dialog->dobInput, "4/27/62", range},
        {dialog->heightInput, "170 cm", height}, {dialog->heightInput, "", ""},
        {dialog->weightInput, "-150", amount},   {dialog->stepSizeInput, "nan", amount},
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

// Bytes that are not UTF-8 reach no input as they are, however they are pasted or dropped.
TEST_F(InfoWindowTest, PastesAndDropsAreRepairedToUtf8)
{
    PasteFilter::install();
    for (int clipboard : {0, 1})
        Fl::copy("ab\xFF\xC3", 4, clipboard);
    const struct {
        Fl_Input_* input;
        int event, key, state;
    } cases[] = {
        {dialog->lastInput, FL_KEYBOARD, 'v', FL_CTRL},
        {dialog->genderChoice->input(), FL_KEYBOARD, FL_Insert, FL_SHIFT},
        {dialog->raceInput, FL_RELEASE, FL_Button + FL_MIDDLE_MOUSE, 0},
        {dialog->heightInput, FL_DND_RELEASE, 0, 0},
    };
    for (const auto& c : cases) {
        c.input->value("");
        Fl::focus(c.input);
        Fl::pushed(c.event == FL_RELEASE ? c.input : nullptr);
        Fl::belowmouse(c.input);
        Fl::e_keysym = c.key;
        Fl::e_state = c.state;
        EXPECT_TRUE(Fl::handle(c.event, dialog));
        if (c.event == FL_DND_RELEASE)
            Fl::paste(*Fl::belowmouse(), 0); // as the toolkit does once a drop is taken
        EXPECT_EQ(std::string(c.input->value(), size_t(c.input->size())), "ab\xEF\xBF\xBD\xEF\xBF\xBD") << c.event;
    }
}

}
