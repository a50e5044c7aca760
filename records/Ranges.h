// A variable's normal and panic ranges, and where a reading falls against them: the one
// classification behind the history table's colours, the legend and the histogram's bars.
#pragma once

enum class RangeClass { PanicLow, Low, Normal, High, PanicHigh, Unranged };

struct Ranges {
    double normalLow = 0, normalHigh = 0, panicLow = 0, panicHigh = 0;

    // A pair of equal bounds is no range at all (none stored, no default): it says nothing.
    bool normalKnown() const { return normalLow < normalHigh; }
    bool panicKnown() const { return panicLow < panicHigh; }
    // A reading equal to a bound counts as inside.
    RangeClass classify(double value) const;
    // The most severe class among readings from lowest to highest; above the range goes before below.
    RangeClass classify(double lowest, double highest) const;

    bool operator==(const Ranges& other) const
    {
        return normalLow == other.normalLow && normalHigh == other.normalHigh && panicLow == other.panicLow &&
               panicHigh == other.panicHigh;
    }
};
