// Numbers written for a person to read, in labels and table cells of a fixed width: fixed-point
// while that fits, else a short exponent form.
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
};
