#include "ui/TabBrowser.h"

#include "app/Trace.h"
#include "history/NewEntryWindow.h"
#include "records/Global.h"
#include "records/RecordView.h"
#include "ui/MyBrowser.h"

namespace {
const char* const source = "TabBrowser";
}

TabBrowser::TabBrowser(const char* tabName, int y, RecordEvents& events)
    : Fl_Group(21, y, 211, 127), name(tabName), events(events)
{
    TRACE_SCOPE(source, "TabBrowser::TabBrowser", 3);
    label(name.c_str());
    browser = new MyBrowser(y + 8, events);
    browser->box(FL_PLASTIC_DOWN_BOX);
    browser->callback(browserCB, this);
    populateBrowser();
    end();
    show();
}

void TabBrowser::populateBrowser()
{
    TRACE_SCOPE(source, "TabBrowser::populateBrowser", 3);
    browser->clear();
    items.clear();
    if (!Global::userOpen)
        return;
    items = RecordView::tabItems(name);
    for (const char* item : items)
        browser->add(item);
}

void TabBrowser::browserCB_i()
{
    TRACE_SCOPE(source, "TabBrowser::browserCB_i", 3);
    int line = browser->value();
    if (!line)
        return;
    std::string variable = items[size_t(line - 1)];
    browser->deselect();
    if (Global::refuseWhilePending())
        return;
    new NewEntryWindow(("Add history entry for " + name + ": " + variable).c_str(), name.c_str(), variable.c_str(), events);
}
