#include "ui/TabBrowser.h"

#include "app/Trace.h"
#include "records/Global.h"
#include "ui/MyBrowser.h"

#include <cstring>

namespace {

const char* const source = "TabBrowser";

const char* elementListed(const std::string& tab)
{
    if (tab == "Vitals")
        return "variable";
    if (tab == "Lab")
        return "lab";
    if (tab == "Medicine")
        return "drug";
    return nullptr;
}

}

TabBrowser::TabBrowser(const char* tabName, int y) : Fl_Group(21, y, 211, 127), name(tabName)
{
    TRACE_SCOPE(source, "TabBrowser::TabBrowser", 3);
    label(name.c_str());
    browser = new MyBrowser(y + 8);
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
    const char* element = elementListed(name);
    if (!Global::userOpen || !element)
        return;
    XmlNode* patient = Xml::child(Global::userDoc.get(), "patient");
    for (XmlNode* node = Xml::child(patient, element); node; node = node->next_sibling(element))
        if (const char* itemName = Xml::firstAttribute(node))
            items.push_back(itemName);
    for (const char* item : items)
        browser->add(item);
}

void TabBrowser::browserCB_i()
{
    TRACE_SCOPE(source, "TabBrowser::browserCB_i", 3);
    int line = browser->value();
    if (!line)
        return;
    // The new-entry dialog arrives with the recording work; the click already names its subject.
    TRACE_MSG(4, "Add history entry for %s: %s\n", name.c_str(), items[size_t(line - 1)]);
    browser->deselect();
}
