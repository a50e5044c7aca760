// The items of the three display menus ("Multi-Display", "Normal Range Display", "Table Display"),
// worked out from the open user's record.
#pragma once

#include "records/Xml.h"

#include <string>
#include <vector>

struct DisplayMenuItem {
    enum Menu { Multi, NormalRange, Table } menu;
    std::string parent;        // the submenu it is in: "Vitals/Blood Pressure"
    std::string label;         // as the menu shows it (see DisplayMenuItems::label)
    std::string name;          // what it acts on, whole: "Systolic", or the variable's name
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
    // A name as a menu label: cut like the user list's names, and with the toolkit's label
    // markers '&' (a shortcut) and '@' (a symbol) doubled so that they show as themselves.
    static std::string label(const std::string& name);
    // The whole name an item of the variable acts on, given the item's label: a member's label
    // ("Systolic") is its name, and every other item stands for its variable.
    static std::string nameOf(const XmlNode* variable, const char* label);
};
