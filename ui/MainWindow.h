// The application's main window: menus, tool row and every panel, and the commands on whole users.
#pragma once

#include "app/RecordEvents.h"
#include "records/Xml.h"

#include <FL/Fl_Double_Window.H>

#include <ctime>
#include <string>

class ChartController;
class Fl_Box;
class Fl_Button;
class Fl_Group;
class Fl_Menu_Bar;
class Fl_Menu_Button;
class Fl_Widget;
class Fl_Window;
struct ChartSeries;
class HistoryBox;
class Report;
class SearchUserBox;
class TrendBox;
class UserInfoBox;

class MainWindow : public Fl_Double_Window, public RecordEvents {
public:
    MainWindow(int w, int h, const char* title);
    ~MainWindow() override;

    // The height of the user list and of the information panel for a window height.
    static int panelHeight(int windowHeight) { return (windowHeight - 251) / 2 - 1; }

    void enableUserControls(bool on) override;
    // Also before another user, New, Close or Exit.
    bool leavePendingUser() override;
    void refreshPanels(bool selectCurrent, bool deselect, bool clearChart) override;
    void resetDisplayMenu(bool keepChecks);

    static void newCB(Fl_Widget*, void* data) { static_cast<MainWindow*>(data)->newCB_i(); }
    void newCB_i();
    static void closeCB(Fl_Widget*, void* data) { static_cast<MainWindow*>(data)->closeCB_i(); }
    void closeCB_i();
    static void menuCB(Fl_Widget*, void* data) { static_cast<MainWindow*>(data)->menuCB_i(); }
    void menuCB_i();
    static void userRemoveCB(Fl_Widget*, void* data) { static_cast<MainWindow*>(data)->userRemoveCB_i(); }
    void userRemoveCB_i();
    static void chartRemoveCB(Fl_Widget*, void* data) { static_cast<MainWindow*>(data)->chartRemoveCB_i(); }
    void chartRemoveCB_i();
    static void printCB(Fl_Widget*, void* data) { static_cast<MainWindow*>(data)->printCB_i(); }
    void printCB_i();
    static void savePdfCB(Fl_Widget*, void* data) { static_cast<MainWindow*>(data)->savePdfCB_i(); }
    void savePdfCB_i();
    // Readings out to a CSV file and in from one (MainWindow_csv.cpp).
    static void exportCsvCB(Fl_Widget*, void* data) { static_cast<MainWindow*>(data)->exportCsvCB_i(); }
    void exportCsvCB_i();
    static void importCsvCB(Fl_Widget*, void* data) { static_cast<MainWindow*>(data)->importCsvCB_i(); }
    void importCsvCB_i();
    // The chart report (MainWindow_report.cpp): the right-hand column under the heading.
    Report chartReport();
    static void helpCB(Fl_Widget*, void* data) { static_cast<MainWindow*>(data)->helpCB_i(); }
    void helpCB_i();
    static void editInfoCB(Fl_Widget*, void*);
    static void analysisCB(Fl_Widget* w, void* data) { of(w)->analysisCB_i(static_cast<const char*>(data)); }
    void analysisCB_i(const char* group);

    // Display menus and chart wiring (MainWindow_display.cpp). A Multi-Display item's trampoline
    // binds the entry child that holds its value.
    static void variableValueCB(Fl_Widget* w, void* v) { of(w)->variableCB_i(static_cast<XmlNode*>(v), "value"); }
    static void variableSystolicCB(Fl_Widget* w, void* v) { of(w)->variableCB_i(static_cast<XmlNode*>(v), "systolic"); }
    static void variableDiastolicCB(Fl_Widget* w, void* v) { of(w)->variableCB_i(static_cast<XmlNode*>(v), "diastolic"); }
    static void variablePostprandialCB(Fl_Widget* w, void* v) { of(w)->variableCB_i(static_cast<XmlNode*>(v), "postprandial"); }
    static void variableFastingCB(Fl_Widget* w, void* v) { of(w)->variableCB_i(static_cast<XmlNode*>(v), "fasting"); }
    void variableCB_i(XmlNode* variable, const char* key);
    static void normalRangeCB(Fl_Widget* w, void* v) { of(w)->normalRangeCB_i(static_cast<XmlNode*>(v)); }
    void normalRangeCB_i(XmlNode* variable);
    static void tableCB(Fl_Widget* w, void* v) { of(w)->tableCB_i(static_cast<XmlNode*>(v)); }
    void tableCB_i(XmlNode* variable);
    void addVarToChart(std::string label, const char* key, XmlNode* variable);
    // After a change to a variable's entries or ranges: its charted series (derived ones too) are
    // built again from the record, the display menus and the chart follow, and its history window
    // other than source reads the record again.
    void recordChanged(XmlNode* variable, Fl_Window* source) override;
    // -1 when no series of that name is charted.
    int addPointToChart(std::string name, std::tm when, double value);
    void readingAdded(const std::string& series, std::tm when, double value) override { addPointToChart(series, when, value); }
    static void windowCloseCB(Fl_Widget*, void*);

    Fl_Menu_Bar* menuBar;
    Fl_Menu_Button* multiDisplayMenu;
    Fl_Menu_Button* normalRangeMenu;
    Fl_Menu_Button* tableMenu;
    ChartController* chart;
    SearchUserBox* userList;
    UserInfoBox* userInfo;
    HistoryBox* historyBox;
    Fl_Button* addUserButton;
    Fl_Button* editUserButton;
    Fl_Button* removeUserButton;
    Fl_Button* clearChartButton;
    Fl_Button* printButton;
    Fl_Button* infoEditButton;
    Fl_Button* analysisButton;
    Fl_Box* printingBox; // shown while a report is being handed to the print command
    TrendBox* trendBox;
    Fl_Double_Window* helpWindow = nullptr;

private:
    static MainWindow* of(Fl_Widget* w) { return static_cast<MainWindow*>(w->window()); }
    void enableUserMenuItems(bool on);
    void closeUser();
    static ChartSeries seriesFor(const std::string& label, const char* key, XmlNode* variable);
};

extern MainWindow* mainWindow;

// The one-line notice shown at the right of the menu row.
extern const char* const noticeText;
