// The "Add an entry" panel: a tab set with the variable browsers for vitals, lab items and medicines.
#pragma once

#include "app/RecordEvents.h"

#include <FL/Fl_Group.H>

class Fl_Tabs;
class TabBrowser;

class HistoryBox : public Fl_Group {
public:
    HistoryBox(int y, RecordEvents& events);
    ~HistoryBox() override = default;

    Fl_Tabs* tabs;
    TabBrowser* vitalsTab;
    TabBrowser* labTab;
    TabBrowser* medicineTab;
};
