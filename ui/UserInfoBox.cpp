#include "ui/UserInfoBox.h"

#include "app/Trace.h"
#include "records/Global.h"
#include "app/Palette.h"
#include "app/PanelFrame.h"
#include "records/RecordView.h"

#include <FL/Fl_Browser.H>

#include <string>

UserInfoBox::UserInfoBox(int y, int h) : Fl_Group(3, y, 247, h)
{
    TRACE_SCOPE("UserInfoBox", "UserInfoBox::UserInfoBox", 3);
    PanelFrame::add(3, y, 247, h, "User Information");
    Fl_Group* inner = new Fl_Group(3, y + 28, 247, h - 28);
    browser = new Fl_Browser(23, y + 58, 207, h - 86);
    browser->box(FL_PLASTIC_DOWN_BOX);
    browser->column_widths(columnWidths);
    browser->column_char('\t');
    browser->format_char(textOnly);
    inner->end();
    inner->resizable(browser);
    end();
    resizable(inner);
    populateBrowser();
}

void UserInfoBox::populateBrowser()
{
    TRACE_SCOPE("UserInfoBox", "UserInfoBox::populateBrowser", 3);
    browser->clear();
    if (!Global::userOpen)
        return;
    for (const std::string& line : RecordView::infoLines())
        browser->add(line.c_str());
}
