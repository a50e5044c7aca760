// One tab of the variable browser: the open user's vitals, lab items or medicines.
#pragma once

#include "app/RecordEvents.h"

#include <FL/Fl_Group.H>

#include <string>
#include <vector>

class MyBrowser;

class TabBrowser : public Fl_Group {
public:
    TabBrowser(const char* name, int y, RecordEvents& events);
    void populateBrowser();

    static void browserCB(Fl_Widget*, void* data) { static_cast<TabBrowser*>(data)->browserCB_i(); }
    void browserCB_i();

    std::string name;
    MyBrowser* browser;
    std::vector<const char*> items;

private:
    RecordEvents& events;
};
