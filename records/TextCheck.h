// Checks of the texts a person types into the information dialog, before they reach a record.
#pragma once

#include <cstddef>
#include <string>

class TextCheck {
public:
    // At least one character that is not a blank.
    static bool isVisible(const char* text);
    // A control character other than tab, line feed and carriage return: a record cannot keep it.
    static bool hasControl(const char* text);
    // A line break: a name stays on one line.
    static bool hasLineBreak(const char* text);
    // The text with each byte that is not part of a UTF-8 character replaced by U+FFFD.
    static std::string validUtf8(const char* text, size_t size);
    // A plain decimal number (no sign, no "nan" or "inf") from 0 to maxAmount.
    static bool isAmount(const char* text);
    // "5 ft 7.5 in": whole feet and an amount of inches, neither negative nor absurd.
    static bool isHeight(const char* text);
    // A reading or a range bound: one plain decimal number (sign, digits, a point; no exponent, no
    // hexadecimal), blanks around it allowed, no larger than maxReading either way. Text after the
    // number ("120/80", "9x") makes it no number: taking the leading digits would record a value
    // other than the one meant.
    static bool readNumber(const char* text, double& value);
    static constexpr double maxAmount = 9999;
    // No vital sign comes near this; beyond it the chart's grid indexes would leave int range.
    static constexpr double maxReading = 1e7;
};
