// The items of the three display menus ("Multi-Display", "Normal Range Display", "Table Display"),
// worked out from the open user's record.
#pragma once

#include "records/Xml.h"

#include <string>
#include <vector>

struct DisplayMenuItem {
    enum Menu { Multi, NormalRange, Table } menu;
    std::string path;          // "Vitals/Blood Pressure/Systolic"
    const char* key;           // Multi-Display items: the entry child that holds the value
    XmlNode* variable;
    bool submenu;              // a title that holds further items
};

class DisplayMenuItems {
public:
    // The variables that get a "Normal Range Display" item besides blood pressure and sugar.
    static const char* const normalRangeList[3];

    // In menu order; a record without a `patient` element gives none.
    static std::vector<DisplayMenuItem> build(const XmlDocument* record);
    // The value key of a "Normal Range Display" leaf: "systolic" for a group member's
    // "Systolic", otherwise "value".
    static std::string normalRangeKey(const std::string& leaf);
};
