// The variable list of one tab: a hold browser with a right-click menu.
#pragma once

#include "app/RecordEvents.h"

#include <FL/Fl_Hold_Browser.H>

#include <string>

class MyBrowser : public Fl_Hold_Browser {
public:
    MyBrowser(int y, RecordEvents& events);
    int handle(int event) override;

    // The selected line's text, or "".
    std::string selectedText() const;
    // True when the record holds entries of the variable named, so its history can be shown.
    static bool hasHistory(const char* name);

    static void newEntryCB(Fl_Widget*, void* data) { static_cast<MyBrowser*>(data)->newEntryCB_i(); }
    void newEntryCB_i();
    static void editHistoryCB(Fl_Widget*, void* data) { static_cast<MyBrowser*>(data)->editHistoryCB_i(); }
    void editHistoryCB_i();
    static void propertiesCB(Fl_Widget*, void* data) { static_cast<MyBrowser*>(data)->propertiesCB_i(); }
    void propertiesCB_i();

private:
    RecordEvents& events;
};
