// Readings from a CSV file into the open user's record: this program's own export and the usual
// variants of other loggers' (delimiter ',', ';' or tab; decimal commas; dates and times in
// several forms; headers by their common names). Every value goes through the entry dialog's
// checks. A preview tells what would be added, what is already present and which lines are
// refused and why; nothing is written until apply. Display-free.
#pragma once

#include "history/core/NewEntry.h"

#include <cstdint>
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
        std::string text;  // "line 17: the date 2/30/2024 does not exist"
        std::string vital; // of a refused line, the vital it names first; "" when it names none
    };
    struct Count {
        size_t add = 0, present = 0, unlikely = 0, refused = 0;
    };
    // A checked reading, kept small since a file may hold a million: the entry is made by apply.
    struct Reading {
        uint32_t line;
        uint16_t vital; // in Preview::vitals
        uint16_t year;
        uint8_t month, day, hour, minute, second;
        uint8_t count;       // of values
        uint8_t elements[2]; // in elementNames
        bool present;        // the record holds it already
        bool unlikely;
        uint32_t conditions; // in Preview::conditionSets
        double values[2];
    };
    static const char* const elementNames[5];
    struct Preview {
        std::string refusal; // the whole file is refused: why, with its line where there is one
        bool cancelled = false;
        bool askDayOrder = false; // read again with a DayOrder
        std::map<std::string, Count> counts;
        std::vector<Note> refused; // in the order of the file
        std::vector<Note> unlikely;
        std::vector<Reading> readings;
        std::vector<std::string> vitals;                    // of the readings
        std::vector<std::vector<std::string>> conditionSets; // keys, in order

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
