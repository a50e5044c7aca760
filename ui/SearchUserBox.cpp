#include "ui/SearchUserBox.h"

#include "app/Trace.h"
#include "records/Global.h"
#include "app/Palette.h"
#include "ui/DocumentWindows.h"
#include "ui/MainWindow.h"
#include "app/PanelFrame.h"

#include <FL/Fl_Hold_Browser.H>

#include <cstring>
#include <iostream>
#include <string>

SearchUserBox::SearchUserBox(int h) : Fl_Group(3, 52, 247, h)
{
    TRACE_SCOPE("SearchUserBox", "SearchUserBox::SearchUserBox", 3);
    PanelFrame::add(3, 52, 247, h, "Users List");
    Fl_Group* inner = new Fl_Group(3, 80, 247, h - 28);
    browser = new Fl_Hold_Browser(23, 110, 207, h - 88);
    browser->box(FL_PLASTIC_DOWN_BOX);
    browser->callback(browserCB, this);
    browser->format_char(textOnly);
    inner->end();
    inner->resizable(browser);
    end();
    resizable(inner);
    populateBrowser(nullptr);
}

int SearchUserBox::populateBrowser(const char* selectId)
{
    TRACE_SCOPE("SearchUserBox", "SearchUserBox::populateBrowser", 3);
    browser->clear();
    int found = 0;
    XmlNode* config = Xml::child(Global::configDoc.get(), "config");
    for (XmlNode* p = Xml::child(config, "patient"); p; p = p->next_sibling("patient")) {
        const char* id = Xml::attribute(p, "id");
        if (!id)
            continue;
        XmlNode* name = Xml::child(p, "name");
        std::string text = std::string(Xml::childText(name, "first")) + " " + Xml::childText(name, "last");
        browser->add(text.c_str(), const_cast<char*>(id));
        if (selectId && !std::strcmp(selectId, id))
            found = browser->size();
    }
    return found;
}

std::string SearchUserBox::selectedName() const
{
    const char* text = browser->value() ? browser->text(browser->value()) : nullptr;
    return text ? text : "";
}

const char* SearchUserBox::idOfLine(int line) const
{
    return line > 0 && line <= browser->size() ? static_cast<const char*>(browser->data(line)) : nullptr;
}

void SearchUserBox::browserCB_i()
{
    TRACE_SCOPE("SearchUserBox", "SearchUserBox::browserCB_i", 3);
    MainWindow* window = mainWindow;
    // A record that cannot be saved is not closed: switching would lose its changes.
    if (!Global::saveCurrentUser()) {
        window->refreshPanels(true, false, false);
        return;
    }
    const char* id = idOfLine(browser->value());
    if (!id) {
        DocumentWindows::closeAll();
        Global::userOpen = false;
        window->enableUserControls(false);
    } else {
        std::string idText = id;
        int opened = Global::openUser(idText.c_str());
        if (opened == 0) {
            window->enableUserControls(true);
        } else if (opened == -1) {
            TRACE_MSG(1, "Error in SearchUserBox::browserCB_i : patient with id %s not found in config\n",
                      idText.c_str());
            std::cerr << "Error in SearchUserBox::browserCB_i : patient with id " << idText << " not found in config."
                      << std::endl;
        }
        if (opened != 0) {
            // The open record stays; show its line again rather than the one that failed.
            window->refreshPanels(Global::userOpen, !Global::userOpen, false);
            return;
        }
    }
    window->refreshPanels(false, false, true);
}
