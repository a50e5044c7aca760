// Small user records for chart tests: entries written the way the program saves them.
#pragma once

#include "records/Xml.h"

#include <string>

struct ChartRecord {
    explicit ChartRecord(std::string variables)
        : text("<patient id=\"0\"><info/>" + variables + "</patient>")
    {
        doc.parse<0>(&text[0]);
    }
    XmlNode* variable(const char* name) const
    {
        for (XmlNode* v = Xml::child(&doc, "patient", "variable"); v; v = v->next_sibling("variable"))
            if (std::string(Xml::firstAttribute(v)) == name)
                return v;
        return nullptr;
    }
    // "<entry>" with "<key>value</key>" fields, such as "<value>72</value>".
    static std::string entry(const std::string& date, const std::string& time, const std::string& fields)
    {
        return "<entry id=\"0\">" + fields + "<date>" + date + "</date><time>" + time + "</time><conditions/></entry>";
    }
    static std::string variableOf(const std::string& name, const std::string& entries)
    {
        return "<variable name=\"" + name + "\"><normalLow/><normalHigh/><panicLow/><panicHigh/>" + entries +
               "</variable>";
    }

    std::string text;
    XmlDocument doc;
};
