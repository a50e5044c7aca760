// The modal dialog that records one reading of a variable: date, time, values and conditions.
#pragma once

#include "app/RecordEvents.h"
#include "history/core/NewEntry.h"

#include <FL/Fl_Double_Window.H>

#include <string>
#include <vector>

class Change;
class Fl_Box;
class Fl_Button;
class Fl_Check_Button;
class Fl_Input;
class Fl_Widget;

class NewEntryWindow : public Fl_Double_Window {
public:
    NewEntryWindow(const char* title, const char* tabName, const char* variableName, RecordEvents& events);
    ~NewEntryWindow() override;

    void makeButtons(int y);
    // Checks the fields, asks about unlikely values and appends the entry through change when Ready.
    NewEntry::Check insertEntry(Change& change);
    void alert(NewEntry::Check result) const;

    static void addCB(Fl_Widget*, void* data) { static_cast<NewEntryWindow*>(data)->saveCB_i(true); }
    static void addQuitCB(Fl_Widget*, void* data) { static_cast<NewEntryWindow*>(data)->saveCB_i(false); }
    void saveCB_i(bool keepOpen);
    static void cancelCB(Fl_Widget*, void* data) { static_cast<NewEntryWindow*>(data)->cancelCB_i(); }
    void cancelCB_i();

    std::vector<Fl_Input*> inputs; // Date, Time, then the value fields
    Fl_Button* addQuitButton = nullptr;
    Fl_Button* cancelButton = nullptr;
    Fl_Button* addButton = nullptr;
    Fl_Box* userBox = nullptr; // whose reading this is
    std::string dateText, timeText, tabName, variableName;
    std::vector<Fl_Check_Button*> conditionButtons;

private:
    RecordEvents& events;
    NewEntry entry;
};
