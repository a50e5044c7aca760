#include "tests/gui/GuiFixture.h"

#include "charts/ChartController.h"
#include "charts/TrendBox.h"
#include "history/HistoryBox.h"
#include "records/Global.h"
#include "ui/MainWindow.h"
#include "ui/SearchUserBox.h"
#include "ui/TabBrowser.h"
#include "ui/MyBrowser.h"
#include "ui/UserInfoBox.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Menu_Button.H>
#include <FL/Fl_Text_Display.H>
#include <FL/Fl_Tabs.H>

namespace {

using MainWindowTest = GuiFixture;

bool itemActive(MainWindow* window, const char* path)
{
    const Fl_Menu_Item* item = window->menuBar->find_item(path);
    return item && item->active();
}

std::vector<Fl_Widget*> userControls(MainWindow* w)
{
    return {w->multiDisplayMenu, w->normalRangeMenu, w->tableMenu,   w->editUserButton, w->removeUserButton,
            w->clearChartButton, w->infoEditButton,  w->printButton, w->analysisButton};
}

TEST_F(MainWindowTest, OnlyNewExitAndHelpRespondWithoutAUser)
{
    makeUsers({{"Ann", "Lee"}});
    startWindow();
    EXPECT_TRUE(itemActive(window, "File/New"));
    EXPECT_TRUE(itemActive(window, "File/Exit"));
    for (const char* path : {"File/Save", "File/Close", "File/Save chart as PDF…", "Edit/Information"})
        EXPECT_FALSE(itemActive(window, path)) << path;
    for (Fl_Widget* control : userControls(window))
        EXPECT_FALSE(control->active()) << (control->label() ? control->label() : control->tooltip());
    EXPECT_TRUE(window->addUserButton->active());

    clickUserLine(1);
    for (Fl_Widget* control : userControls(window))
        EXPECT_TRUE(control->active());
    EXPECT_TRUE(itemActive(window, "File/Close"));

    window->menuBar->picked(window->menuBar->find_item("File/Close"));
    EXPECT_FALSE(Global::userOpen);
    EXPECT_FALSE(window->editUserButton->active());
    EXPECT_EQ(window->userList->browser->value(), 0);
}

TEST_F(MainWindowTest, PanelsFollowTheWindowHeight)
{
    startWindow(1000, 600);
    EXPECT_EQ(MainWindow::panelHeight(600), 173);
    EXPECT_EQ(window->userList->h(), 173);
    EXPECT_EQ(window->userInfo->y(), 226);
    EXPECT_EQ(window->infoEditButton->x(), 23);
    EXPECT_EQ(window->infoEditButton->y(), 284);
    EXPECT_EQ(window->infoEditButton->w(), 207);
    EXPECT_EQ(window->infoEditButton->h(), 87);
    // The invisible button lies exactly over the information list.
    EXPECT_EQ(window->userInfo->browser->y(), window->infoEditButton->y());
    EXPECT_EQ(window->userInfo->browser->h(), window->infoEditButton->h());
    EXPECT_EQ(window->historyBox->y(), 401);
    EXPECT_EQ(window->chart->x(), 252);
    EXPECT_EQ(window->chart->w(), 744);
    EXPECT_EQ(window->chart->h(), 347);
    EXPECT_EQ(window->trendBox->y(), 401);
    EXPECT_EQ(window->trendBox->w(), 589);
}

TEST_F(MainWindowTest, LargeWindowKeepsTheLeftColumnAndGrowsTheChart)
{
    startWindow(1260, 944);
    int s = MainWindow::panelHeight(944);
    EXPECT_EQ(s, 345);
    EXPECT_EQ(window->historyBox->y(), 2 * s + 55);
    EXPECT_EQ(window->chart->w(), 1260 - 256);
    EXPECT_EQ(window->chart->h(), 2 * s + 1);

    window->size(1600, 1000);
    EXPECT_EQ(window->userList->w(), 247);
    EXPECT_EQ(window->historyBox->h(), 197);
    EXPECT_EQ(window->trendBox->h(), 197);
    EXPECT_EQ(window->chart->w(), 1600 - 256);
    EXPECT_EQ(window->historyBox->y() + window->historyBox->h(), 998);
}

TEST_F(MainWindowTest, HelpOpensOneWindowAndDropsOnlyAByteOrderMark)
{
    folder.write("readme.txt", "\xEF\xBB\xBFHelp text");
    startWindow();
    window->helpCB_i();
    Fl_Double_Window* help = window->helpWindow;
    ASSERT_NE(help, nullptr);
    window->helpCB_i();
    EXPECT_EQ(window->helpWindow, help);
    auto shownText = [](Fl_Double_Window* w) {
        char* text = static_cast<Fl_Text_Display*>(w->child(0))->buffer()->text();
        std::string copy = text;
        free(text);
        return copy;
    };
    EXPECT_EQ(shownText(help), "Help text");

    // A text without the mark keeps its first characters.
    Fl_Text_Buffer* buffer = static_cast<Fl_Text_Display*>(help->child(0))->buffer();
    delete window->helpWindow;
    delete buffer;
    window->helpWindow = nullptr;
    folder.write("readme.txt", "Help text");
    window->helpCB_i();
    EXPECT_EQ(shownText(window->helpWindow), "Help text");
}

TEST_F(MainWindowTest, ClosingTheMainWindowEndsTheRunWithDialogsOpen)
{
    makeUsers({{"Ann", "Lee"}});
    startWindow();
    clickUserLine(1);
    window->helpCB_i();
    MainWindow::editInfoCB(nullptr, window);
    Fl::check();
    ASSERT_NE(openInfoWindow(), nullptr);
    window->do_callback();
    EXPECT_EQ(Fl::first_window(), nullptr);
}

TEST_F(MainWindowTest, VariableTabsListTheRecordAndEmptyWhenClosed)
{
    makeUsers({{"Ann", "Lee"}});
    startWindow();
    HistoryBox* box = window->historyBox;
    EXPECT_STREQ(box->tabs->value()->label(), "Vitals");
    clickUserLine(1);
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

    window->closeCB_i();
    EXPECT_EQ(box->vitalsTab->browser->size(), 0);
    EXPECT_EQ(box->labTab->browser->size(), 0);
}

}
