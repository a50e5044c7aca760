// The texts the panels show, read from the documents without a display: the user list's lines,
// the information panel's lines and a variable-browser tab's names. The panels and the fuzz
// target both call these, so every reader of a record can be exercised without a window.
#pragma once

#include "records/Xml.h"

#include <string>
#include <vector>

class RecordView {
public:
    struct UserLine {
        std::string text; // first and last name, cut to fit
        XmlNode* patient; // the directory entry the line acts on
    };
    // One line per user of config.hma with a usable id, in document order.
    static std::vector<UserLine> userLines();
    // The open record's first and last name, each cut as in the user list.
    static std::string userName();
    // "Caption:\tvalue" lines of the open record's information; empty values are left out.
    static std::vector<std::string> infoLines();
    // The names of the open record's variables ("Vitals"), lab items ("Lab") or medicines ("Medicine").
    static std::vector<const char*> tabItems(const std::string& tab);
    // The text cut after maxCharacters characters (UTF-8), with an ellipsis to show the cut.
    static std::string shortened(const std::string& text, size_t maxCharacters = 40);
};
