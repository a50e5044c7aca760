#include "tests/gui/GuiFixture.h"

#include "charts/ChartController.h"
#include "charts/VariablePropertiesWindow.h"
#include "history/HistoryBox.h"
#include "history/HistoryTable.h"
#include "history/HistoryTableWindow.h"
#include "history/NewEntryWindow.h"
#include "records/Global.h"
#include "tests/unit/ChartRecord.h"
#include "ui/DocumentWindows.h"
#include "ui/MainWindow.h"
#include "ui/MyBrowser.h"
#include "ui/TabBrowser.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Float_Input.H>
#include <FL/Fl_Input.H>

namespace {

class HistoryWindowTest : public GuiFixture {
protected:
    void SetUp() override
    {
        GuiFixture::SetUp();
        showAnn(ChartRecord::bounded("Pulse", ChartRecord::entry("01/05/2012", "09:05:00 AM", "<value>98.640000</value>") +
                                                  ChartRecord::entry("01/06/2012", "09:05:00 AM", "<value>70.000000</value>")));
        history = HistoryTableWindow::open("Pulse");
        table = history->table;
    }
    std::string record() const { return folder.read("user0.hma"); }
    bool inRecord(const std::string& text) const { return record().find(text) != std::string::npos; }
    HistoryTableWindow* history = nullptr;
    HistoryTable* table = nullptr;
};

// Enter and Escape in the editor are tried end to end; here the editor's first text, a click on the
// Delete header that sorts nothing, and a refused date.
TEST_F(HistoryWindowTest, CellsAreEditedInPlaceAndTheDeleteHeaderSortsNothing)
{
    EXPECT_EQ(HistoryTableWindow::open("Pulse"), history) << "one window per variable";
    EXPECT_EQ(DocumentWindows::count(), 1);
    table->startEdit(0, 2);
    EXPECT_STREQ(table->input->value(), "98.64") << "the stored value, not the cell's rounded text";
    Fl::e_number = FL_RELEASE;
    Fl::e_keysym = FL_Button + FL_LEFT_MOUSE;
    for (int column : {2, history->deleteColumn()})
        table->do_callback(Fl_Table::CONTEXT_COL_HEADER, 0, column);
    EXPECT_EQ(history->rows[0].cells[2] + " " + std::to_string(table->lastSortColumn), "70.0 2");
    table->startEdit(1, 0);
    table->input->value("2/30/2012");
    table->input->do_callback();
    EXPECT_EQ(prompt.alerts, std::vector<std::string>{"Incorrect format"});
}

TEST_F(HistoryWindowTest, DeletingAsksAndConditionsToggleOncePerQuickClick)
{
    std::string before = record();
    table->deleteCB(0);
    EXPECT_EQ(prompt.questions, std::vector<std::string>{"Delete this entry (01/05/2012 09:05:00 AM) ?"});
    EXPECT_EQ(record(), before);
    prompt.answer = 1;
    table->deleteCB(0);
    EXPECT_EQ(table->rows(), 1);
    EXPECT_STREQ(history->countBox->label(), "Total number of entries: 1");
    EXPECT_FALSE(inRecord("98.6"));

    const int condition = history->firstConditionColumn + 2;
    const struct {
        long long after;
        bool inside, ticked;
    } events[] = {{1000, true, true},  {100, true, true},  {1000, false, true}, // a quick click; outside the box
                  {1000, true, false}, {300, true, true}}; // a press held longer toggles again on release
    long long now = table->lastClickTime;
    for (const auto& e : events) {
        table->conditionEvent(0, condition, now += e.after, e.inside);
        EXPECT_EQ(history->rows[0].conditions[2], e.ticked) << now;
        EXPECT_EQ(inRecord("<c2/>"), e.ticked) << now;
    }
}

TEST_F(HistoryWindowTest, ChangesReachTheChartAndTheOpenWindow)
{
    XmlNode* pulse = Global::findVariableNode("Pulse");
    window->addVarToChart("Pulse", "value", pulse);
    TabBrowser* vitals = window->historyBox->vitalsTab;
    vitals->browser->value(1);
    vitals->browserCB_i();
    auto* dialog = DocumentWindows::find<NewEntryWindow>();
    ASSERT_NE(dialog, nullptr);
    dialog->inputs[0]->value("1/7/2012");
    dialog->inputs[2]->value("130");
    dialog->saveCB_i(true);
    EXPECT_STREQ(dialog->inputs[2]->value(), "");
    EXPECT_EQ(history->rows.size(), 3u);
    EXPECT_EQ(window->chart->series.front().points.size(), 3u);

    // A failed save records nothing and keeps the dialog as typed; the retry records the reading once.
    dialog->inputs[0]->value("1/8/2012");
    dialog->inputs[2]->value("131");
    Global::dataFolder = folder.path() + "gone/";
    dialog->saveCB_i(false);
    EXPECT_STREQ(dialog->inputs[2]->value(), "131");
    EXPECT_EQ(window->chart->series.front().points.size(), 3u);
    Global::dataFolder = folder.path();
    dialog->saveCB_i(false);
    EXPECT_EQ(DocumentWindows::find<NewEntryWindow>(), nullptr);
    EXPECT_EQ(history->rows.size(), 4u);
    EXPECT_EQ(window->chart->series.front().points.size(), 4u);
    EXPECT_EQ(record().find("131.000000"), record().rfind("131.000000"));

    auto* ranges = new VariablePropertiesWindow(300, "Pulse", "Properties for Pulse");
    ranges->inputs[1]->value("115");
    ranges->saveCB_i();
    EXPECT_EQ(history->columnRanges[0][1], 115);
    EXPECT_STREQ(window->chart->series.front().normalHighText, "115");
}


// An unlikely value is recorded only after "Record it anyway?", and an impossible one is refused
// naming the limits, in the entry dialog and in the table's editor alike.
TEST_F(HistoryWindowTest, UnlikelyValuesAreAskedAboutAndImpossibleOnesRefused)
{
    TabBrowser* vitals = window->historyBox->vitalsTab;
    vitals->browser->value(1);
    vitals->browserCB_i();
    auto* dialog = DocumentWindows::find<NewEntryWindow>();
    ASSERT_NE(dialog, nullptr);
    for (const auto& [value, answer] : {std::make_pair("0", 1), std::make_pair("25", 0), std::make_pair("25", 1)}) {
        prompt.answer = answer;
        dialog->inputs[2]->value(value);
        dialog->saveCB_i(true);
    }
    ASSERT_EQ(prompt.alerts.size(), 1u);
    EXPECT_NE(prompt.alerts[0].find("between 1 and 350 beats/min.\nPlease try again or hit \"Cancel\""), std::string::npos);
    ASSERT_EQ(prompt.questions.size(), 2u);
    EXPECT_NE(prompt.questions[0].find("Pulse, 25 beats/min, is unusual"), std::string::npos);
    EXPECT_EQ(history->rows.size(), 3u);
    EXPECT_EQ(record().find("<value>25.000000"), record().rfind("<value>25.000000"));

    for (const auto& [text, answer] : {std::make_pair("400", 1), std::make_pair("250", 0), std::make_pair("250", 1)}) {
        prompt.answer = answer;
        table->startEdit(0, 2);
        table->input->value(text);
        table->input->do_callback();
        EXPECT_FALSE(table->input->visible());
        EXPECT_EQ(inRecord("<value>250.000000"), text == std::string("250") && answer == 1) << text << " " << answer;
    }
    EXPECT_EQ(prompt.alerts.size(), 2u);
    EXPECT_EQ(prompt.questions.size(), 4u);
    EXPECT_FALSE(inRecord("400.000000"));
}

}
