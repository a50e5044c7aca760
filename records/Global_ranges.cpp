// Global: resolving a variable's normal or panic range from the open record or the defaults.
#include "records/Global.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace {

void formatBound(double value, char (&text)[Global::rangeTextSize])
{
    std::snprintf(text, sizeof text, value == std::floor(value) ? "%.0f" : "%.1f", value);
}

const char* const memberVariables[][3] = {{"Blood Pressure", "systolic", "diastolic"},
                                         {"Blood Sugar", "fasting", "postprandial"}};

std::string lowerFirst(std::string name)
{
    if (!name.empty())
        name[0] = char(std::tolower(static_cast<unsigned char>(name[0])));
    return name;
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
    std::string member = lowerFirst(name);
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

    XmlNode* variable;
    std::string memberKey;
    if (const char* group = memberGroupOf(name)) {
        variable = findVariableNode(group);
        memberKey = lowerFirst(name);
    } else if (const char* group = derivedGroupOf(name)) {
        variable = findVariableNode(group);
        if (!std::strcmp(name, "Mean Arterial Pressure"))
            memberKey = "map";
        else if (!std::strcmp(name, "Pulse Pressure"))
            memberKey = "pp";
        else {
            std::cerr << "Global::findRange" << ": derived variable " << name << " has incorrect name" << std::endl;
            return;
        }
    } else {
        variable = findVariableNode(name);
    }

    XmlNode* lowNode = Xml::child(variable, lowName.c_str());
    XmlNode* highNode = Xml::child(variable, highName.c_str());
    if (!memberKey.empty()) {
        lowNode = Xml::child(lowNode, memberKey.c_str());
        highNode = Xml::child(highNode, memberKey.c_str());
    }
    const char* lowStored = lowNode && highNode ? lowNode->value() : "";
    const char* highStored = lowNode && highNode ? highNode->value() : "";

    int index = std::strcmp(kind, "normal") ? 2 : 0;
    auto defaults = ranges.find(name);
    auto fallback = [&](int at) { return defaults == ranges.end() ? 0.0 : defaults->second[size_t(at)]; };
    low = *lowStored ? std::atof(lowStored) : fallback(index);
    high = *highStored ? std::atof(highStored) : fallback(index + 1);
    formatBound(low, lowText);
    formatBound(high, highText);
}
