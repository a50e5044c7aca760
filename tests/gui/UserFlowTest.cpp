#include "tests/gui/GuiFixture.h"

#include "history/HistoryBox.h"
#include "records/Global.h"
#include "ui/DocumentWindows.h"
#include "ui/InfoWindow.h"
#include "ui/MainWindow.h"
#include "ui/SearchUserBox.h"
#include "ui/TabBrowser.h"
#include "ui/UserInfoBox.h"

#include <FL/Fl.H>
#include <FL/Fl_Browser.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Input.H>

namespace {

using UserFlowTest = GuiFixture;

// Two entries with id 0; the second, with a name too long to show whole, names user1.hma.
TEST_F(UserFlowTest, LinesWithADuplicatedIdActOnTheirOwnRecords)
{
    const std::string longName(10000, 'x');
    makeUsers({{"Ann", "Lee"}, {longName, "Lee"}});
    std::string config = folder.read("config.hma");
    folder.write("config.hma", config.replace(config.find("id=\"1\""), 6, "id=\"0\""));
    folder.write("user1.hma", record(0, longName, "Lee").replace(record(0, longName, "Lee").find("150"), 3, "181"));
    startWindow();
    const std::string shown = std::string(24, 'x') + "\xE2\x80\xA6 Lee";
    EXPECT_EQ(userLines(), (std::vector<std::string>{"Ann Lee", shown}));
    clickUserLine(2);
    EXPECT_STREQ(Global::currentFile, "user1.hma");
    EXPECT_STREQ(window->userInfo->browser->text(3), "Weight:\t181 lbs");

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

// While a new user is pending: one dialog at a time, panels that show the new record, Remove with
// nothing to remove, and File/Save or another File/New writing nothing; OK lists the new user.
TEST_F(UserFlowTest, APendingNewUserTakesOneDialogAndIsWrittenOnlyByOK)
{
    makeUsers({{"Ann", "Lee"}});
    startWindow();
    clickUserLine(1);
    MainWindow::editInfoCB(nullptr, window);
    MainWindow::editInfoCB(nullptr, window);
    EXPECT_EQ(DocumentWindows::count(), 1);
    window->newCB_i();
    const std::string ann = folder.read("user0.hma");
    EXPECT_EQ(window->userList->browser->value(), 0);
    EXPECT_EQ(window->historyBox->vitalsTab->items.size(), 6u);
    EXPECT_STREQ(window->userInfo->browser->text(1), "First Name:\t");
    window->menuBar->picked(window->menuBar->find_item("File/Save"));
    window->newCB_i();
    MainWindow::editInfoCB(nullptr, window);
    EXPECT_EQ(DocumentWindows::count(), 1);
    window->userRemoveCB_i();
    EXPECT_TRUE(prompt.questions.empty());
    EXPECT_EQ(folder.read("user0.hma"), ann);
    EXPECT_FALSE(folder.exists("user1.hma"));

    InfoWindow* dialog = DocumentWindows::find<InfoWindow>();
    ASSERT_STREQ(dialog->label(), "New User");
    dialog->firstInput->value("Cy");
    dialog->lastInput->value("Park");
    dialog->saveCB_i();
    Fl::check();
    EXPECT_EQ(userLines(), (std::vector<std::string>{"Ann Lee", "Cy Park"}));
    EXPECT_EQ(window->userList->browser->value(), 2);
}

TEST_F(UserFlowTest, AFailedSaveInTheDialogIsUndoneAndKeepsWhatWasTyped)
{
    makeUsers({{"Ann", "Lee"}});
    startWindow();
    clickUserLine(1);
    MainWindow::editInfoCB(nullptr, window);
    InfoWindow* dialog = DocumentWindows::find<InfoWindow>();
    dialog->firstInput->value("Anna");
    Global::dataFolder = folder.path() + "gone/";
    dialog->saveCB_i();
    Fl::check();
    ASSERT_EQ(DocumentWindows::find<InfoWindow>(), dialog);
    EXPECT_STREQ(dialog->firstInput->value(), "Anna");
    EXPECT_NE(prompt.alerts.at(0).find("Unable to save file: user0.hma"), std::string::npos);
    EXPECT_STREQ(Xml::childText(Xml::child(Xml::child(Global::userDoc.get(), "patient", "info"), "name"), "first"), "Ann");
    EXPECT_EQ(userLines(), std::vector<std::string>{"Ann Lee"});

    Global::dataFolder = folder.path();
    dialog->saveCB_i();
    Fl::check();
    EXPECT_EQ(DocumentWindows::find<InfoWindow>(), nullptr);
    EXPECT_EQ(userLines(), std::vector<std::string>{"Anna Lee"});
    EXPECT_NE(folder.read("user0.hma").find("<first>Anna</first>"), std::string::npos);
}

TEST_F(UserFlowTest, ADamagedRecordKeepsThePreviousUserOpen)
{
    makeUsers({{"Ann", "Lee"}, {"Bo", "Ng"}});
    folder.write("user1.hma", "<patient id=\"1\"><info>");
    startWindow();
    clickUserLine(1);
    clickUserLine(2);
    ASSERT_EQ(prompt.alerts.size(), 1u);
    EXPECT_NE(prompt.alerts[0].find("user1.hma"), std::string::npos);
    EXPECT_TRUE(Global::userOpen);
    EXPECT_STREQ(Global::currentFile, "user0.hma");
    EXPECT_EQ(window->userList->browser->value(), 1);
    EXPECT_EQ(folder.read("user1.hma"), "<patient id=\"1\"><info>");
}

TEST_F(UserFlowTest, AnUnsavableRecordIsNeitherSwitchedAwayFromNorExited)
{
    makeUsers({{"Ann", "Lee"}, {"Bo", "Ng"}});
    startWindow();
    clickUserLine(1);
    Xml::setChildText(*Global::userDoc, Xml::child(Global::userDoc.get(), "patient", "info"), "race", "unsaved");
    Global::dataFolder = folder.path() + "gone/";
    clickUserLine(2);
    EXPECT_STREQ(Global::currentFile, "user0.hma");
    EXPECT_EQ(window->userList->browser->value(), 1);
    // Exit refuses too, so this test goes on running.
    window->menuBar->picked(window->menuBar->find_item("File/Exit"));
    ASSERT_EQ(prompt.alerts.size(), 2u);
    EXPECT_NE(prompt.alerts[1].find("Unable to save file: user0.hma"), std::string::npos);

    Global::dataFolder = folder.path();
    window->menuBar->picked(window->menuBar->find_item("File/Save"));
    EXPECT_NE(folder.read("user0.hma").find("<race>unsaved</race>"), std::string::npos);
}

}
