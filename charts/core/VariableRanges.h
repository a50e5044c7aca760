// A variable's normal and panic bounds as the properties dialog edits them: read from its
// `variable` element, checked, and written back. Display-free.
#pragma once

#include "records/Xml.h"

#include <string>
#include <vector>

class Change;

class VariableRanges {
public:
    enum Check { Valid = 0, NumberFailure = -1, EmptyFailure = -2, OrderFailure = -3, NestingFailure = -4 };
    static const char* const boundNames[4]; // normalLow, normalHigh, panicLow, panicHigh

    // 4 × members texts: the normal lows, the normal highs, the panic lows, the panic highs, each
    // group in member order (one member for a variable without members). A missing bound reads empty.
    static std::vector<std::string> read(const XmlNode* variable, const std::string& name);
    // The first failure in input order decides; then each high must lie above its low; then the
    // panic range must hold the normal range (panic low <= normal low, normal high <= panic high).
    static Check check(const std::vector<std::string>& texts);
    // Writes the texts as typed, each into its bound (and member) element by name, creating the
    // elements that are missing in front of the entries.
    static void write(XmlDocument& doc, XmlNode* variable, const std::string& name,
                      const std::vector<std::string>& texts, Change& change);
    static size_t memberCount(const std::string& name);
};
