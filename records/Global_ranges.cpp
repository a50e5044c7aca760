// Global: resolving a variable's normal or panic range from the open record or the defaults.
#include "records/Global.h"

#include "records/NumberText.h"
#include "records/TextCheck.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace {

const char* const memberVariables[][3] = {{"Blood Pressure", "systolic", "diastolic"},
                                         {"Blood Sugar", "fasting", "postprandial"}};

// The bound of the variable (and member) in template_new.xml, when it is a number there.
bool templateBound(const char* variable, const std::string& bound, const std::string& member, double& value)
{
    FileBytes text;
    std::string why;
    std::unique_ptr<XmlDocument> doc;
    if (SafeFile::read(Global::dataFolder + "template_new.xml", text, why) != SafeFile::Read::Ok ||
        !Global::parse(text, "patient", doc).empty())
        return false;
    XmlNode* node = nullptr;
    for (XmlNode* v = Xml::child(doc->first_node("patient"), "variable"); v && !node; v = v->next_sibling("variable")) {
        const char* named = Xml::attribute(v, "name");
        if (named && !std::strcmp(named, variable))
            node = Xml::child(v, bound.c_str());
    }
    if (!member.empty())
        node = Xml::child(node, member.c_str());
    return node && TextCheck::readNumber(node->value(), value);
}

}

std::vector<std::string> Global::membersOf(const std::string& variable)
{
    for (const auto& group : memberVariables)
        if (variable == group[0])
            return {group[1], group[2]};
    return {};
}

const char* Global::memberGroupOf(const std::string& name)
{
    std::string member = elementName(name);
    for (const auto& group : memberVariables)
        if (member == group[1] || member == group[2])
            return group[0];
    return nullptr;
}

void Global::findRange(const char* name, const char* kind, double& low, double& high,
                       char (&lowText)[rangeTextSize], char (&highText)[rangeTextSize])
{
    lowText[0] = '\0';
    highText[0] = '\0';
    std::string lowName = std::string(kind) + "Low";
    std::string highName = std::string(kind) + "High";

    const char* variableName = name;
    std::string memberKey;
    if (const char* group = memberGroupOf(name)) {
        variableName = group;
        memberKey = elementName(name);
    } else if (const char* group = derivedGroupOf(name)) {
        variableName = group;
        if (!std::strcmp(name, "Mean Arterial Pressure"))
            memberKey = "map";
        else if (!std::strcmp(name, "Pulse Pressure"))
            memberKey = "pp";
        else {
            std::cerr << "Global::findRange" << ": derived variable " << name << " has incorrect name" << std::endl;
            return;
        }
    }
    XmlNode* variable = findVariableNode(variableName);

    XmlNode* lowNode = Xml::child(variable, lowName.c_str());
    XmlNode* highNode = Xml::child(variable, highName.c_str());
    if (!memberKey.empty()) {
        lowNode = Xml::child(lowNode, memberKey.c_str());
        highNode = Xml::child(highNode, memberKey.c_str());
    }
    const char* lowStored = lowNode && highNode ? lowNode->value() : "";
    const char* highStored = lowNode && highNode ? highNode->value() : "";

    const bool normal = !std::strcmp(kind, "normal");
    auto defaults = ranges.find(name);
    auto fallback = [&](bool isLow) {
        if (defaults == ranges.end())
            return 0.0;
        const Ranges& r = defaults->second;
        return normal ? (isLow ? r.normalLow : r.normalHigh) : (isLow ? r.panicLow : r.panicHigh);
    };
    // A bound edited by hand into something that is no number must not chart every reading as
    // out of range: it gives way to the default, else to the template's bound, else to none.
    auto bound = [&](const char* stored, const std::string& boundName, bool isLow) {
        double value = 0;
        if (!*stored || TextCheck::readNumber(stored, value))
            return *stored ? value : fallback(isLow);
        std::cerr << "Global::findRange: the " << boundName << " of " << name << ", \"" << stored
                  << "\", is not a number; ";
        if (defaults != ranges.end()) {
            value = fallback(isLow);
            std::cerr << "the default " << value << " is used" << std::endl;
        } else if (templateBound(variableName, boundName, memberKey, value)) {
            std::cerr << "the bound " << value << " of template_new.xml is used" << std::endl;
        } else {
            value = fallback(isLow);
            std::cerr << "it counts as absent" << std::endl;
        }
        return value;
    };
    low = bound(lowStored, lowName, true);
    high = bound(highStored, highName, false);
    std::snprintf(lowText, sizeof lowText, "%s", NumberText::bound(low).c_str());
    std::snprintf(highText, sizeof highText, "%s", NumberText::bound(high).c_str());
}

Ranges Global::rangesOf(const std::string& name)
{
    Ranges r;
    char low[rangeTextSize], high[rangeTextSize];
    findRange(name.c_str(), "normal", r.normalLow, r.normalHigh, low, high);
    findRange(name.c_str(), "panic", r.panicLow, r.panicHigh, low, high);
    return r;
}
