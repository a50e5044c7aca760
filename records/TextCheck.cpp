#include "records/TextCheck.h"

#include "records/Xml.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}

bool TextCheck::isVisible(const char* text)
{
    for (; *text; ++text)
        if (!isBlank(*text))
            return true;
    return false;
}

bool TextCheck::hasControl(const char* text)
{
    return Xml::hasControl(text, std::strlen(text));
}

bool TextCheck::hasLineBreak(const char* text)
{
    return std::strpbrk(text, "\r\n") != nullptr;
}

std::string TextCheck::validUtf8(const char* text, size_t size)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    std::string valid;
    valid.reserve(size);
    for (size_t i = 0; i < size;) {
        unsigned char lead = bytes[i];
        // The length of the character, and the range its second byte must lie in (no overlong
        // forms, no surrogates, nothing past U+10FFFF).
        size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                                                          : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
        unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
        unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
        bool whole = length > 0 && i + length <= size && (length == 1 || (bytes[i + 1] >= low && bytes[i + 1] <= high));
        for (size_t k = 2; whole && k < length; ++k)
            whole = (bytes[i + k] & 0xC0) == 0x80;
        if (whole) {
            valid.append(text + i, length);
            i += length;
        } else {
            valid += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return valid;
}

bool TextCheck::isAmount(const char* text)
{
    while (isBlank(*text))
        ++text;
    size_t length = std::strlen(text);
    while (length && isBlank(text[length - 1]))
        --length;
    if (!length || !(std::strchr("0123456789.", text[0])) || std::strspn(text, "0123456789.eE+-") < length)
        return false;
    char* end = nullptr;
    double value = std::strtod(text, &end);
    return end == text + length && std::isfinite(value) && value >= 0 && value <= maxAmount;
}

bool TextCheck::isHeight(const char* text)
{
    int feet = 0;
    float inches = 0;
    return std::sscanf(text, "%d ft %f in", &feet, &inches) == 2 && feet >= 0 && feet <= maxAmount &&
           std::isfinite(inches) && inches >= 0 && inches <= maxAmount;
}

bool TextCheck::readNumber(const char* text, double& value)
{
    // Plain decimal only: strtod would also take hexadecimal, and scanf a dangling exponent ("5e").
    const char* start = text;
    while (isBlank(*start))
        ++start;
    const char* p = start + (*start == '-' || *start == '+');
    size_t digits = std::strspn(p, "0123456789");
    p += digits;
    if (*p == '.') {
        size_t decimals = std::strspn(p + 1, "0123456789");
        digits += decimals;
        p += 1 + decimals;
    }
    const char* end = p;
    while (isBlank(*p))
        ++p;
    if (!digits || *p)
        return false;
    // from_chars reads what strtod reads in the C locale, without a copy; strtod is left for the
    // numbers from_chars declines (beyond the range of a double).
    double read;
    const char* from = start + (*start == '+');
    auto parsed = std::from_chars(from, end, read);
    if (parsed.ec != std::errc() || parsed.ptr != end)
        read = std::strtod(std::string(start, end).c_str(), nullptr);
    if (!std::isfinite(read) || std::fabs(read) > maxReading)
        return false;
    value = read;
    return true;
}
