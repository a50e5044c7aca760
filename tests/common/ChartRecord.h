// Small user records for chart tests, with entries laid out as the program saves them.
#pragma once

#include "records/Xml.h"
#include "tests/common/TestFolder.h"

#include <string>

struct ChartRecord {
    explicit ChartRecord(std::string variables) : text("<patient id=\"0\"><info/>" + variables + "</patient>")
    {
        doc.parse<0>(&text[0]);
    }
    XmlNode* variable() const { return Xml::child(&doc, "patient", "variable"); }
    static std::string entry(const std::string& date, const std::string& time, const std::string& fields)
    {
        return "<entry id=\"0\">" + fields + "<date>" + date + "</date><time>" + time + "</time><conditions/></entry>";
    }
    static std::string variableOf(const std::string& name, const std::string& entries)
    {
        return "<variable name=\"" + name + "\"><normalLow/><normalHigh/><panicLow/><panicHigh/>" + entries + "</variable>";
    }
    // A variable whose own bounds are normal 60 to 100 and panic 40 to 120.
    static std::string bounded(const std::string& name, const std::string& entries)
    {
        return "<variable name=\"" + name + "\"><normalLow>60</normalLow><normalHigh>100</normalHigh><panicLow>40"
               "</panicLow><panicHigh>120</panicHigh>" + entries + "</variable>";
    }

    std::string text;
    XmlDocument doc;
};

// Sets TZ (null: unsets it) for one test and puts the previous value back.
struct ZoneScope : EnvScope {
    explicit ZoneScope(const char* zone) : EnvScope("TZ", zone) {}
};
