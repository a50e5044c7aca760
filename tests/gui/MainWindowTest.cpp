#include "tests/gui/GuiFixture.h"

#include "charts/ChartController.h"
#include "charts/TrendBox.h"
#include "history/HistoryBox.h"
#include "records/Global.h"
#include "ui/MainWindow.h"
#include "ui/MyBrowser.h"
#include "ui/SearchUserBox.h"
#include "ui/TabBrowser.h"
#include "ui/UserInfoBox.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
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
    for (const char* path : {"File/Save", "File/Close", "Edit/Information"})
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
    EXPECT_EQ(window->userList->w(), 247);
    EXPECT_EQ(window->historyBox->h(), 197);
    EXPECT_EQ(window->trendBox->h(), 197);
    EXPECT_EQ(window->chart->w(), 1600 - 256);
    EXPECT_EQ(window->historyBox->y() + window->historyBox->h(), 998);
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

}
