// The window with the whole history of one variable of the open user: the number of entries and
// the table, in which entries are sorted, corrected, ticked and deleted. One per variable.
#pragma once

#include "app/Report.h"
#include "app/RecordEvents.h"
#include "history/core/HistoryModel.h"

#include <FL/Fl_Double_Window.H>

class Fl_Box;
class Fl_Button;
class Fl_Widget;
class HistoryTable;

class HistoryTableWindow : public Fl_Double_Window {
public:
    // userName heads the printed table.
    HistoryTableWindow(int w, int h, const char* title, const char* variableName, const std::string& userName,
                       RecordEvents& events);
    ~HistoryTableWindow() override;

    // Raises the variable's open window, or opens one sized to the screen's work area.
    static HistoryTableWindow* open(const std::string& variableName, const std::string& userName, RecordEvents& events);
    static HistoryTableWindow* find(const std::string& variableName);
    // Reads the record again after another window changed it; the sort stays, an edit is dropped.
    void reload();
    void countEntries();

    static void closeCB(Fl_Widget*, void* data) { static_cast<HistoryTableWindow*>(data)->closeCB_i(); }
    void closeCB_i();
    static void printCB(Fl_Widget*, void* data) { static_cast<HistoryTableWindow*>(data)->printCB_i(); }
    void printCB_i();
    static void savePdfCB(Fl_Widget*, void* data) { static_cast<HistoryTableWindow*>(data)->savePdfCB_i(); }
    void savePdfCB_i();
    // The window with its whole table, on one upright page under the heading.
    Report tableReport();
    void setUserName(const std::string& name) { userName = name; }

    HistoryModel model;
    HistoryTable* table;
    Fl_Box* countBox;
    Fl_Box* userBox; // whose readings these are
    Fl_Button* printButton;
    Fl_Button* savePdfButton;

private:
    std::string userName;
    RecordEvents& events;
};
