#include "history/HistoryBox.h"

#include "app/Trace.h"
#include "app/PanelFrame.h"
#include "ui/TabBrowser.h"

#include <FL/Fl_Tabs.H>

HistoryBox::HistoryBox(int y, RecordEvents& events) : Fl_Group(3, y, 247, 197)
{
    TRACE_SCOPE("HistoryBox", "HistoryBox::HistoryBox", 3);
    PanelFrame::add(3, y, 247, 197, "Add an entry");
    color(FL_WHITE);
    tabs = new Fl_Tabs(13, y + 35, 227, 152);
    tabs->box(FL_THIN_UP_BOX);
    vitalsTab = new TabBrowser("Vitals", y + 60, events);
    labTab = new TabBrowser("Lab", y + 60, events);
    medicineTab = new TabBrowser("Medicine", y + 60, events);
    tabs->end();
    tabs->value(vitalsTab);
    resizable(tabs);
    end();
}
