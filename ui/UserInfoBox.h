// The "User Information" panel: the open user's personal information as captioned lines.
#pragma once

#include <FL/Fl_Group.H>

class Fl_Browser;

class UserInfoBox : public Fl_Group {
public:
    UserInfoBox(int y, int h);
    void populateBrowser();

    Fl_Browser* browser;
    int columnWidths[2] = {92, 0}; // wide enough for "Date of Birth:" at size 12
};
