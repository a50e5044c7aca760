// Numbers written for a person to read, in labels and table cells of a fixed width, and into the
// records: every value, bound and figure the program shows or saves is written here.
#pragma once

#include <cstddef>
#include <string>

class NumberText {
public:
    // "%.*f", whatever its length.
    static std::string fixed(double value, int decimals);
    // "1.0e7", "-2.5e-5": one decimal, or with a step (of an axis) as many as tell its ticks apart.
    static std::string exponent(double value, double step = 0);
    // Fixed-point where that takes at most maxChars characters, else the exponent form.
    static std::string fitting(double value, int decimals, std::size_t maxChars, double step = 0);

    // 0 for a whole number, else 1: range bounds and axis steps are written so.
    static int decimals(double value);
    // A range bound: 140 or 99.5.
    static std::string bound(double value, std::size_t maxChars = std::string::npos);
    // A reading in a table cell: one decimal, or the exponent form where a column is too narrow.
    static std::string reading(double value);
    // A reading as a record stores it ("%f").
    static std::string stored(double value);
    // The shortest fixed-point text that reads back to the very same number.
    static std::string shortest(double value);
    // A figure of a summary (mean, median, deviation): one decimal, "-" where there is none.
    static std::string figure(double value);
    // A reading or bound in a summary's text: at most two decimals, no trailing zeros ("98.6", "140").
    static std::string brief(double value);
};
