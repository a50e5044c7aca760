// The "Users List" panel: one line per user of the directory; a click opens that user.
#pragma once

#include "app/RecordEvents.h"
#include "records/Xml.h"

#include <FL/Fl_Group.H>

#include <string>

class Fl_Hold_Browser;
class Fl_Widget;

class SearchUserBox : public Fl_Group {
public:
    SearchUserBox(int h, RecordEvents& events);

    // Rebuilds the list; returns the 1-based line of the user whose id is selectId, or 0.
    int populateBrowser(const char* selectId);
    // The directory entry a line acts on, or null.
    XmlNode* patientOfLine(int line) const;
    // The selected line's name as shown, or "" when no line is selected.
    std::string selectedName() const;

    static void browserCB(Fl_Widget*, void* data) { static_cast<SearchUserBox*>(data)->browserCB_i(); }
    void browserCB_i();

    Fl_Hold_Browser* browser;

private:
    RecordEvents& events;
};
