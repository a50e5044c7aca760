// Global: resolving a variable's normal or panic range from the open record or the defaults.
#include "records/Global.h"

#include "records/TextCheck.h"

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

    const char* variableName = name;
    std::string memberKey;
    if (const char* group = memberGroupOf(name)) {
        variableName = group;
        memberKey = lowerFirst(name);
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

    int index = std::strcmp(kind, "normal") ? 2 : 0;
    auto defaults = ranges.find(name);
    auto fallback = [&](int at) { return defaults == ranges.end() ? 0.0 : defaults->second[size_t(at)]; };
    // A bound edited by hand into something that is no number must not chart every reading as
    // out of range: it gives way to the default, else to the template's bound, else to none.
    auto bound = [&](const char* stored, const std::string& boundName, int at) {
        double value = 0;
        if (!*stored || TextCheck::readNumber(stored, value))
            return *stored ? value : fallback(at);
        std::cerr << "Global::findRange: the " << boundName << " of " << name << ", \"" << stored
                  << "\", is not a number; ";
        if (defaults != ranges.end()) {
            value = fallback(at);
            std::cerr << "the default " << value << " is used" << std::endl;
        } else if (templateBound(variableName, boundName, memberKey, value)) {
            std::cerr << "the bound " << value << " of template_new.xml is used" << std::endl;
        } else {
            value = fallback(at);
            std::cerr << "it counts as absent" << std::endl;
        }
        return value;
    };
    low = bound(lowStored, lowName, index);
    high = bound(highStored, highName, index + 1);
    formatBound(low, lowText);
    formatBound(high, highText);
}
