// One reading as the entry dialog takes it: the typed date, time and values and the ticked
// conditions, checked, then written as a new entry at the end of its variable. Display-free.
#pragma once

#include "records/Xml.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

class Change;

class NewEntry {
public:
    struct Field {
        std::string label; // "Systolic", "Value", ...: the element is named by it, first letter in lower case
        std::string text;
    };
    struct Point {
        std::string series; // the chart series that shows the value
        double value;
    };

    enum class Check {
        Ready,           // points holds the values
        NothingToRecord, // no field holds a number
        DateUnreadable,
        TimeUnreadable,
        TimeNotAmPm,
        DateOrTimeNotOnTheClock, // no such day, or a time the local clock skips
        ValueUnreadable,         // a field holds text that is not a number; unreadable names it
        ValueImpossible,         // outside what its vital can be (ReadingLimits); refusal says which
        NotConfirmed,            // the dialog's: the person did not confirm an unusual value
    };
    // Checks in the order of the dialog's messages; empty fields are left out. Fills when and
    // points, and question when a value is unlikely and should be confirmed before it is recorded.
    Check check(const std::string& variableName);
    // check's second half, the values, for a caller that has checked the same date and time
    // already and fills when itself.
    Check checkValues(const std::string& variableName);
    // After a check that is Ready: appends the entry, with its variable when the record has none yet.
    XmlNode* insert(XmlDocument& doc, const std::string& variableName, Change& change) const;
    // The same into variable, the record's node of variableName or null when it has none yet;
    // with the entry's id when the caller counts them.
    XmlNode* insert(XmlDocument& doc, XmlNode* variable, const std::string& variableName, Change& change,
                    const char* id = nullptr) const;
    // The entry insert appends, with the given id, not yet in the record.
    XmlNode* make(XmlDocument& doc, const char* id) const;
    // After a check that is Ready: each value's element and its text as the entry will hold it.
    const std::vector<std::pair<std::string, std::string>>& storedValues() const { return values; }
    // The values insert writes, for a caller that checked them before and kept only the numbers:
    // each is stored as check stores it.
    void storeValues(const uint8_t* elements, const char* const* elementNames, const double* numbers, size_t count);
    // The id after the variable's last entry ("0" for the first).
    static std::string nextId(const XmlNode* variable);

    std::string date, time;
    std::vector<Field> fields;
    std::vector<std::string> conditions; // keys of the ticked conditions, in catalogue order

    std::tm when{};
    std::vector<Point> points;
    std::string unreadable; // the label of the field, or the variable's name for its one value
    std::string refusal;
    std::string question;   // empty when every value is likely

private:
    Check checkWhen(); // check's first half: Ready when the date and time are on the clock
    std::vector<std::pair<std::string, std::string>> values; // element name, "%f" text
};
