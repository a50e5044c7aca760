#include "ui/SearchUserBox.h"

#include "app/Trace.h"
#include "records/Global.h"
#include "app/Palette.h"
#include "records/RecordView.h"
#include "ui/DocumentWindows.h"
#include "app/PanelFrame.h"

#include <FL/Fl_Hold_Browser.H>

#include <cstring>
#include <string>

SearchUserBox::SearchUserBox(int h, RecordEvents& events) : Fl_Group(3, 52, 247, h), events(events)
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
    // With an id listed twice, the open user's own line is the one to select.
    XmlNode* current = Global::currentEntry();
    for (const RecordView::UserLine& line : RecordView::userLines()) {
        browser->add(line.text.c_str(), line.patient);
        const char* id = Xml::attribute(line.patient, "id");
        if (line.patient == current || (!found && selectId && !std::strcmp(selectId, id)))
            found = browser->size();
    }
    return found;
}

std::string SearchUserBox::selectedName() const
{
    const char* text = browser->value() ? browser->text(browser->value()) : nullptr;
    return text ? text : "";
}

XmlNode* SearchUserBox::patientOfLine(int line) const
{
    return line > 0 && line <= browser->size() ? static_cast<XmlNode*>(browser->data(line)) : nullptr;
}

void SearchUserBox::browserCB_i()
{
    TRACE_SCOPE("SearchUserBox", "SearchUserBox::browserCB_i", 3);
    if (!events.leavePendingUser()) {
        events.refreshPanels(false, true, false);
        return;
    }
    // A record that cannot be saved is not closed: switching would lose its changes.
    if (!Global::saveCurrentUser()) {
        events.refreshPanels(true, false, false);
        return;
    }
    XmlNode* patient = patientOfLine(browser->value());
    if (!patient) {
        DocumentWindows::closeAll();
        Global::userOpen = false;
        events.enableUserControls(false);
    } else if (Global::openUser(patient) == Global::Opening::Opened) {
        events.enableUserControls(true);
    } else {
        // The open record stays; show its line again rather than the one that failed.
        events.refreshPanels(Global::userOpen, !Global::userOpen, false);
        return;
    }
    events.refreshPanels(false, false, true);
}
