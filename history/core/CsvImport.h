// Readings from a CSV file into the open user's record: this program's own export and the usual
// variants of other loggers' (delimiter ',', ';' or tab; decimal commas; dates and times in
// several forms; headers by their common names). Every value goes through the entry dialog's
// checks. A preview tells what would be added, what is already present and which lines are
// refused and why; nothing is written until apply. Display-free.
#pragma once

#include "history/core/NewEntry.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

class Change;

class CsvImport {
public:
    static constexpr long long maxBytes = 100LL << 20;
    static constexpr size_t maxLines = 1000000;

    // The order of day and month in slashed dates, when the file does not tell it.
    enum class DayOrder { Unknown, MonthFirst, DayFirst };
    struct Note {
        size_t line;
        std::string text; // "line 17: the date 2/30/2024 does not exist"
    };
    struct Count {
        size_t add = 0, present = 0, unlikely = 0;
    };
    struct Reading {
        size_t line;
        std::string vital;
        NewEntry entry; // checked: Ready
        bool present;   // the record holds it already
        bool unlikely;
    };
    struct Preview {
        std::string refusal; // the whole file is refused: why, with its line where there is one
        bool cancelled = false;
        bool askDayOrder = false; // read again with a DayOrder
        std::map<std::string, Count> counts;
        std::vector<Note> refused;
        std::vector<Note> unlikely;
        std::vector<Reading> readings;

        size_t toAdd(bool includeUnlikely) const;
        // What an import would do, per vital, then every refused and unlikely line.
        std::string summary(bool includeUnlikely) const;
    };
    // Called now and then with the share of the text read; false cancels the reading.
    using Progress = std::function<bool(double done)>;

    // Reads text against the open user's record (Global::userDoc).
    static Preview read(const char* text, size_t size, DayOrder order = DayOrder::Unknown,
                        const Progress& progress = {});
    // Appends the readings to add to the open record through change; returns how many.
    static size_t apply(const Preview& preview, bool includeUnlikely, XmlDocument& doc, Change& change);
    // "" when a file of this many bytes may be read, else the message naming the limit.
    static std::string tooLarge(long long size);
};
