#include "ui/UserInfoBox.h"

#include "app/Trace.h"
#include "records/Global.h"
#include "app/Palette.h"
#include "app/PanelFrame.h"

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
    XmlNode* info = Xml::child(Global::userDoc.get(), "patient", "info");
    XmlNode* name = Xml::child(info, "name");
    auto addLine = [this](const char* caption, const char* value, const char* unit) {
        browser->add((std::string(caption) + "\t" + value + unit).c_str());
    };
    addLine("First Name:", Xml::childText(name, "first"), "");
    addLine("Last Name:", Xml::childText(name, "last"), "");

    static const struct {
        const char* element;
        const char* caption;
        const char* unit;
    } lines[] = {{"dob", "Date of Birth:", ""}, {"gender", "Gender:", ""},   {"weight", "Weight:", " lbs"},
                 {"height", "Height:", ""},     {"stepSize", "Step size:", " in"}, {"race", "Race:", ""}};
    XmlNode* node = name;
    for (const auto& line : lines) {
        node = node ? node->next_sibling(line.element) : nullptr;
        if (node && *node->value())
            addLine(line.caption, node->value(), line.unit);
    }
}
