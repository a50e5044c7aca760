#include "records/TextCheck.h"

#include "records/Xml.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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
    double read;
    int end = 0;
    if (std::sscanf(text, "%lf %n", &read, &end) != 1 || text[end] != '\0' || !std::isfinite(read) ||
        std::fabs(read) > maxReading)
        return false;
    value = read;
    return true;
}
