// What a typed reading of each vital can be, and what is likely: the entry dialog, the history
// table's editor and the import of readings all judge values by this one table. Display-free.
#pragma once

#include <string>
#include <vector>

class ReadingLimits {
public:
    struct Limits {
        const char* unit;            // "" when the vital has none
        double lowest, highest;      // outside: refused
        double usualLow, usualHigh;  // outside: asked about before it is recorded
    };
    enum Verdict { Likely, Unlikely, Impossible };
    struct Value {
        std::string label;   // what the message calls it: "Systolic", "Heart Rate", ...
        std::string element; // "systolic", "fasting", "value", ...
        double number;
        bool typed = true;   // false: a stored value of the same reading, only compared with
    };

    // The limits of a variable's value (element "value") or of a member ("systolic", ...); null
    // for a variable the table does not know.
    static const Limits* find(const std::string& variable, const std::string& element);
    // The worst verdict on the typed values of one reading. message names each value concerned and
    // its limits, one line each, without the closing request: the caller adds what to do.
    static Verdict judge(const std::string& variable, const std::vector<Value>& values, std::string& message);
};
