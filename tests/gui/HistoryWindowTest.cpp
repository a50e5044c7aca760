#include "tests/gui/GuiFixture.h"

#include "app/RecordEvents.h"
#include "charts/ChartController.h"
#include "charts/VariablePropertiesWindow.h"
#include "history/HistoryBox.h"
#include "history/HistoryTable.h"
#include "history/HistoryTableWindow.h"
#include "history/NewEntryWindow.h"
#include "records/Global.h"
#include "records/NumberText.h"
#include "tests/common/ChartRecord.h"
#include "ui/DocumentWindows.h"
#include "ui/InfoWindow.h"
#include "ui/MainWindow.h"
#include "ui/MyBrowser.h"
#include "ui/TabBrowser.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Float_Input.H>
#include <FL/Fl_Input.H>
#include <FL/fl_draw.H>

#include <chrono>
#include <ctime>
#include <sstream>
#include <thread>

namespace {

class HistoryWindowTest : public GuiFixture {
protected:
    void SetUp() override
    {
        GuiFixture::SetUp();
        showAnn(ChartRecord::bounded("Pulse", ChartRecord::entry("01/05/2012", "09:05:00 AM", "<value>98.640000</value>") +
                                                  ChartRecord::entry("01/06/2012", "09:05:00 AM", "<value>70.000000</value>")));
        history = HistoryTableWindow::open("Pulse", "Ann Lee", *window);
        table = history->table;
    }
    std::string record() const { return folder.read("user0.hma"); }
    bool inRecord(const std::string& text) const { return record().find(text) != std::string::npos; }
    void mouse(int event, int x, int y)
    {
        Fl::e_x = x, Fl::e_y = y, Fl::e_x_root = history->x() + x, Fl::e_y_root = history->y() + y;
        Fl::e_keysym = FL_Button + FL_LEFT_MOUSE;
        Fl::e_state = event == FL_RELEASE ? 0 : FL_BUTTON1;
        Fl::handle(event, history);
    }
    void key(int keysym)
    {
        Fl::e_keysym = keysym;
        Fl::e_state = 0;
        Fl::e_text = const_cast<char*>("\r"), Fl::e_length = 1;
        Fl::handle(FL_KEYBOARD, history);
    }
    HistoryTableWindow* history = nullptr;
    HistoryTable* table = nullptr;
};

// Enter and Escape in the editor are tried end to end; here the editor's first text, a click on the
// Delete header that sorts nothing, and a refused date.
TEST_F(HistoryWindowTest, CellsAreEditedInPlaceAndTheDeleteHeaderSortsNothing)
{
    EXPECT_EQ(HistoryTableWindow::open("Pulse", "Ann Lee", *window), history) << "one window per variable";
    EXPECT_EQ(DocumentWindows::count(), 1);
    table->startEdit(0, 2);
    EXPECT_STREQ(table->input->value(), "98.64") << "the stored value, not the cell's rounded text";
    Fl::e_number = FL_RELEASE;
    Fl::e_keysym = FL_Button + FL_LEFT_MOUSE;
    for (int column : {2, history->model.deleteColumn()})
        table->do_callback(Fl_Table::CONTEXT_COL_HEADER, 0, column);
    EXPECT_EQ(history->model.rows[0].cells[2] + " " + std::to_string(table->lastSortColumn), "70.0 2");
    table->startEdit(1, 0);
    table->input->value("2/30/2012");
    table->input->do_callback();
    EXPECT_EQ(prompt.alerts, std::vector<std::string>{"Incorrect format"});
}

TEST_F(HistoryWindowTest, DeletingAsks)
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

}

// A click toggles once on its release however long it is held; a press or release off the tick box
// changes nothing. The pointer events go through the toolkit as a person's would.
TEST_F(HistoryWindowTest, AClickOnATickBoxTogglesItOnceWhateverItsLength)
{
    const int condition = history->model.firstConditionColumn + 2;
    int bx, by, s;
    table->tickBox(0, condition, bx, by, s);
    const int onBox = bx + s / 2, offBox = bx - 4, y = by + s / 2;
    const struct {
        int pressX, releaseX, heldMs;
        bool ticked;
    } clicks[] = {{onBox, onBox, 0, true}, {onBox, onBox, 200, false}, {onBox, offBox, 0, false},
                  {offBox, onBox, 0, false}, {onBox, onBox, 0, true}};
    for (const auto& c : clicks) {
        std::this_thread::sleep_for(std::chrono::milliseconds(160)); // a person's clicks are apart
        mouse(FL_PUSH, c.pressX, y);
        std::this_thread::sleep_for(std::chrono::milliseconds(c.heldMs));
        mouse(FL_DRAG, c.releaseX, y);
        mouse(FL_RELEASE, c.releaseX, y);
        EXPECT_EQ(history->model.rows[0].conditions[2], c.ticked) << c.pressX << " to " << c.releaseX << ", " << c.heldMs;
        EXPECT_EQ(inRecord("<c2/>"), c.ticked) << c.pressX << " to " << c.releaseX << ", " << c.heldMs;
    }
}

// The alert of a failed save takes the keyboard; Enter then tries the save again at once.
TEST_F(HistoryWindowTest, EnterRetriesAFailedSave)
{
    struct FocusTakingPrompt : RecordingPrompt {
        void alert(const std::string& text) override
        {
            RecordingPrompt::alert(text);
            Fl::focus(nullptr);
        }
    } alerts;
    table->startEdit(1, 2);
    table->input->value("75");
    Global::dataFolder = folder.path() + "gone/";
    key(FL_Enter);
    ASSERT_EQ(alerts.alerts.size(), 1u);
    EXPECT_FALSE(inRecord("<value>75"));
    Global::dataFolder = folder.path();
    key(FL_Enter);
    EXPECT_TRUE(inRecord("<value>75")) << "Enter went to " << Fl::focus();
}

// The window and the entry dialog name the person whose readings they hold.
TEST_F(HistoryWindowTest, WindowsNameTheUser)
{
    TabBrowser* vitals = window->historyBox->vitalsTab;
    vitals->browser->value(1);
    vitals->browserCB_i();
    for (Fl_Group* shown : {static_cast<Fl_Group*>(history), static_cast<Fl_Group*>(DocumentWindows::find<NewEntryWindow>())}) {
        ASSERT_NE(shown, nullptr);
        bool named = false;
        for (int i = 0; i < shown->children(); ++i)
            named |= shown->child(i)->label() && std::string(shown->child(i)->label()).find("Ann Lee") != std::string::npos;
        EXPECT_TRUE(named) << shown->label();
    }
    EXPECT_EQ(history->tableReport().userName, "Ann Lee");
    MainWindow::editInfoCB(nullptr, window);
    InfoWindow* info = DocumentWindows::find<InfoWindow>();
    info->firstInput->value("Anna");
    info->saveCB_i();
    EXPECT_EQ(history->tableReport().userName, "Anna Lee") << "a renamed user heads the printed table";
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
    EXPECT_EQ(history->model.rows.size(), 3u);
    EXPECT_EQ(window->chart->model.series.front().points.size(), 3u);

    // A failed save records nothing and keeps the dialog as typed; the retry records the reading once.
    dialog->inputs[0]->value("1/8/2012");
    dialog->inputs[2]->value("131");
    Global::dataFolder = folder.path() + "gone/";
    dialog->saveCB_i(false);
    EXPECT_STREQ(dialog->inputs[2]->value(), "131");
    EXPECT_EQ(window->chart->model.series.front().points.size(), 3u);
    Global::dataFolder = folder.path();
    dialog->saveCB_i(false);
    EXPECT_EQ(DocumentWindows::find<NewEntryWindow>(), nullptr);
    EXPECT_EQ(history->model.rows.size(), 4u);
    EXPECT_EQ(window->chart->model.series.front().points.size(), 4u);
    EXPECT_EQ(record().find("131.000000"), record().rfind("131.000000"));

    auto* ranges = new VariablePropertiesWindow(300, "Pulse", "Properties for Pulse", *window);
    ranges->inputs[1]->value("115");
    ranges->saveCB_i();
    EXPECT_EQ(history->model.columnRanges[0].normalHigh, 115);
    EXPECT_EQ(NumberText::bound(window->chart->model.series.front().ranges.normalHigh), "115");
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
    EXPECT_EQ(history->model.rows.size(), 3u);
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

using HistoryLayoutTest = GuiFixture;

// Blood pressure with every condition, in a window that fits a screen of 1024 x 768: every column
// shows without scrolling sideways, and every header whole.
TEST_F(HistoryLayoutTest, TheBloodPressureTableFitsASmallScreen)
{
    std::string entries;
    for (int day = 1; day <= 60; ++day)
        entries += ChartRecord::entry("1/" + std::to_string(day % 28 + 1) + "/2012", "10:00:00 PM",
                                      "<systolic>121.000000</systolic><diastolic>83.000000</diastolic>");
    showAnn(ChartRecord::variableOf("Blood Pressure", entries));
    HistoryTableWindow* history = HistoryTableWindow::open("Blood Pressure", "Ann Lee", *window);
    HistoryTable* table = history->table;
    int width = 3 + Fl::scrollbar_size();
    fl_font(FL_HELVETICA, 12);
    for (int c = 0; c < table->cols(); ++c) {
        width += table->col_width(c);
        const std::string& title = history->model.columnTitles[size_t(c)];
        std::istringstream words(title);
        int widest = 0;
        for (std::string word; words >> word;)
            widest = std::max(widest, int(fl_width(word.c_str())));
        // A centred header clear of the sort arrow in the right 14 pixels.
        EXPECT_GE(table->col_width(c), widest + (c == history->model.deleteColumn() ? 5 : 28)) << title;
    }
    EXPECT_GE(table->col_header_height(), 2 * fl_height());
    EXPECT_LE(width, table->w()) << "the table scrolls sideways";
    EXPECT_LE(history->w(), 1024 - 40);
}

// A stand-in for the main window that writes down what it is told.
class RecordingEvents : public RecordEvents {
public:
    void recordChanged(XmlNode* variable, Fl_Window* source) override
    {
        log.push_back(std::string("changed ") + Xml::attribute(variable, "name") + " by " + source->label());
    }
    void readingAdded(const std::string& series, std::tm when, double value) override
    {
        char text[32];
        std::strftime(text, sizeof text, "%m/%d/%Y %H:%M", &when);
        std::ostringstream line;
        line << "reading " << series << " " << text << " " << value;
        log.push_back(line.str());
    }
    void refreshPanels(bool selectCurrent, bool deselect, bool clearChart) override
    {
        log.push_back("refresh " + std::to_string(selectCurrent) + std::to_string(deselect) + std::to_string(clearChart));
    }
    bool leavePendingUser() override { return true; }
    void enableUserControls(bool on) override { log.push_back("controls " + std::to_string(on)); }
    std::vector<std::string> log;
};

using RecordEventsTest = GuiFixture;

// Without a main window: each reading, then the saved record; a value left empty is no reading, and
// "Add and Quit" refreshes the panels. The history window and the range dialog name themselves as source.
TEST_F(RecordEventsTest, DialogsTellTheirEventsWhatTheySaved)
{
    openRecord(ChartRecord::variableOf("Blood Pressure", ""));
    Global::userOpen = true;
    RecordingEvents events;
    auto* entry = new NewEntryWindow("New Blood Pressure", "Vitals", "Blood Pressure", events);
    entry->inputs[0]->value("1/7/2012");
    entry->inputs[1]->value("8:30:00 AM");
    entry->inputs[2]->value("128");
    entry->inputs[3]->value("84");
    entry->saveCB_i(true);
    entry->inputs[3]->value("86");
    entry->saveCB_i(false);
    prompt.answer = 1;
    HistoryTableWindow::open("Blood Pressure", "Ann Lee", events)->table->deleteCB(0);
    auto* ranges = new VariablePropertiesWindow(420, "Blood Pressure", "Blood Pressure Ranges", events);
    const char* bounds[8] = {"90", "60", "120", "80", "70", "40", "180", "120"};
    for (size_t i = 0; i < 8; ++i)
        ranges->inputs[i]->value(bounds[i]);
    ranges->saveCB_i();
    EXPECT_EQ(prompt.alerts, std::vector<std::string>{});
    EXPECT_EQ(events.log, (std::vector<std::string>{"reading Systolic 01/07/2012 08:30 128",
                                                    "reading Diastolic 01/07/2012 08:30 84",
                                                    "changed Blood Pressure by New Blood Pressure",
                                                    "reading Diastolic 01/07/2012 08:30 86",
                                                    "changed Blood Pressure by New Blood Pressure", "refresh 000",
                                                    "changed Blood Pressure by Blood Pressure History",
                                                    "changed Blood Pressure by Blood Pressure Ranges"}));
}

}
