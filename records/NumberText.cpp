#include "records/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

std::string NumberText::fixed(double value, int decimals)
{
    // 1e308 has 309 digits before the point. to_chars writes what "%.*f" writes, several times faster:
    // an import writes every value it adds.
    char text[400];
    auto written = std::to_chars(text, text + sizeof text, value + 0.0, std::chars_format::fixed, std::clamp(decimals, 0, 17));
    return std::string(text, written.ptr);
}

std::string NumberText::exponent(double value, double step)
{
    int decimals = 1;
    if (step > 0 && value != 0 && std::isfinite(value))
        decimals = int(std::clamp(std::floor(std::log10(std::fabs(value))) - std::floor(std::log10(step)), 1.0, 15.0));
    char text[64];
    std::snprintf(text, sizeof text, "%.*e", decimals, value + 0.0);
    // "1.0e+07" becomes "1.0e7": the sign and the leading zeros of the exponent take room for nothing.
    char* e = std::strchr(text, 'e');
    if (!e)
        return text;
    return std::string(text, size_t(e - text)) + "e" + std::to_string(std::atoi(e + 1));
}

std::string NumberText::fitting(double value, int decimals, std::size_t maxChars, double step)
{
    std::string text = fixed(value, decimals);
    return text.size() <= maxChars || !std::isfinite(value) ? text : exponent(value, step);
}

int NumberText::decimals(double value)
{
    return value == std::floor(value) ? 0 : 1;
}

std::string NumberText::bound(double value, std::size_t maxChars)
{
    return fitting(value, decimals(value), maxChars);
}

std::string NumberText::reading(double value)
{
    return fitting(value, 1, 10);
}

std::string NumberText::stored(double value)
{
    // Most readings are whole or have a decimal or two: when value * 1e6 lies this near a whole
    // number, that number is the correctly rounded "%f" (the product's own error is below 2^-13
    // for these sizes), and writing it needs no general conversion. An import stores every value.
    const double scaled = std::fabs(value) * 1e6, whole = std::nearbyint(scaled);
    if (!(scaled < 1e12 && std::fabs(scaled - whole) < 1e-3))
        return fixed(value, 6);
    auto digits = static_cast<unsigned long long>(whole);
    char text[32], *end = text + sizeof text, *at = end;
    for (int i = 0; i < 6; ++i, digits /= 10)
        *--at = char('0' + digits % 10);
    *--at = '.';
    do
        *--at = char('0' + digits % 10);
    while (digits /= 10);
    if (std::signbit(value + 0.0))
        *--at = '-';
    return std::string(at, end);
}

std::string NumberText::shortest(double value)
{
    for (int digits = 0; digits <= 17; ++digits) {
        std::string text = fixed(value, digits);
        if (std::strtod(text.c_str(), nullptr) == value + 0.0)
            return text;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::string NumberText::figure(double value)
{
    if (!std::isfinite(value))
        return "-";
    std::string text = fixed(value, 1);
    return text == "-0.0" ? "0.0" : text;
}

std::string NumberText::brief(double value)
{
    std::string text = fixed(value, 2);
    while (text.find('.') != std::string::npos && (text.back() == '0' || text.back() == '.'))
        text.pop_back();
    return text == "-0" ? "0" : text;
}
