// What the dialogs and panels tell the window that shows the open user: a record changed, a
// reading was added, the panels need refreshing, a user was opened or closed. The main window
// implements it and hands it to each dialog it makes; a test hands a dialog a recording stand-in.
#pragma once

#include "records/Xml.h"

#include <ctime>
#include <string>

class Fl_Window;

class RecordEvents {
public:
    virtual ~RecordEvents() = default;

    // A variable's entries or ranges were saved; source, the window that saved them, shows them already.
    virtual void recordChanged(XmlNode* variable, Fl_Window* source) = 0;
    // A reading was recorded: the chart takes it when that series is shown.
    virtual void readingAdded(const std::string& series, std::tm when, double value) = 0;
    virtual void refreshPanels(bool selectCurrent, bool deselect, bool clearChart) = 0;
    // Before a pending new user is left: true when nothing was typed for it, or the person agrees.
    virtual bool leavePendingUser() = 0;
    // A user was opened (true) or closed (false).
    virtual void enableUserControls(bool on) = 0;
};
