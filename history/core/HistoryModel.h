// A variable's history as the history table shows it, read from the open record without a display:
// the columns, one row per entry with its sort keys, and the table's edits, each saved at once
// through the one safe save. The history window holds one; the fuzz target walks it.
#pragma once

#include "records/Ranges.h"
#include "records/ReadingLimits.h"
#include "records/Xml.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

struct HistoryRow {
    XmlNode* node;                  // the row's entry element
    std::vector<std::string> cells; // the date, time and value texts, in column order
    std::vector<double> values;     // the numbers behind the value cells (0 for an empty cell)
    std::vector<bool> conditions;   // per condition column: its element is present
    std::int64_t when;              // calendar seconds of date and time; unreadable ones sort first
    int timeOfDay;                  // seconds since midnight
};

class HistoryModel {
public:
    enum Edit { Saved, Unchanged, Refused, NotSaved };

    explicit HistoryModel(const std::string& variableName);

    // Builds the columns and the rows from Global::userDoc; missing dates and times are told on errors.
    void loadData(std::ostream& errors);
    // The ranges of the value columns, as Global::findRange resolves them now.
    void loadRanges();

    int columnCount() const { return int(columnTitles.size()); }
    int deleteColumn() const { return columnCount() - 1; }
    bool isConditionColumn(int column) const { return column >= firstConditionColumn && column < deleteColumn(); }
    // Where the value of a value column lies against the column's ranges.
    RangeClass rangeOf(const HistoryRow& row, int column) const;

    // Stable: rows with equal keys keep their order. Date sorts by date and time, Time by the time
    // of day, a value column by its number, a condition column rows without it first.
    void sortColumn(int column, bool reverse);

    // The text the cell editor starts from: a value at the precision it is stored with.
    std::string editText(int row, int column) const;
    enum class Format { Valid, Unreadable, NotAmPm, NotOnTheClock };
    // Checks a typed text for a column and writes its standard form. NotOnTheClock: a day that is
    // not in the calendar, a time that is not on the clock, or one the local clock skips that day.
    Format formatCell(int row, int column, const char* text, std::string& out) const;
    // What the limits of the column's vital say of a typed value, with the entry's other value;
    // Likely for a date, a time or a text that is no number.
    ReadingLimits::Verdict judgeCell(int row, int column, const char* text, std::string& message) const;
    // Each edit is saved at once; NotSaved means the save failed and the edit was undone.
    Edit commitEdit(int row, int column, const char* text);
    // Returns false when the save failed: the flag is back as it was.
    bool toggleCondition(int row, int condition, std::ostream& errors);
    bool deleteRow(int row);

    std::string variableName;
    std::vector<HistoryRow> rows;
    std::vector<std::string> columnTitles;
    std::vector<std::string> elementNames;           // of the date, time and value columns
    std::vector<Ranges> columnRanges; // per value column
    bool isBloodPressure;
    int firstConditionColumn = 3;

private:
    void setTimes(HistoryRow& row) const;
};
