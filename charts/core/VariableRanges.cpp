#include "charts/core/VariableRanges.h"

#include "records/Change.h"
#include "records/Global.h"
#include "records/TextCheck.h"

#include <algorithm>

const char* const VariableRanges::boundNames[4] = {"normalLow", "normalHigh", "panicLow", "panicHigh"};

size_t VariableRanges::memberCount(const std::string& name)
{
    return std::max<size_t>(1, Global::membersOf(name).size());
}

std::vector<std::string> VariableRanges::read(const XmlNode* variable, const std::string& name)
{
    std::vector<std::string> members = Global::membersOf(name);
    std::vector<std::string> texts;
    for (const char* bound : boundNames) {
        const XmlNode* element = Xml::child(variable, bound);
        if (members.empty())
            texts.push_back(Xml::text(element));
        for (const std::string& member : members)
            texts.push_back(Xml::childText(element, member.c_str()));
    }
    return texts;
}

VariableRanges::Check VariableRanges::check(const std::vector<std::string>& texts)
{
    std::vector<double> numbers;
    for (const std::string& text : texts) {
        double value;
        if (text.empty())
            return EmptyFailure;
        if (!TextCheck::readNumber(text.c_str(), value))
            return NumberFailure;
        numbers.push_back(value);
    }
    size_t k = texts.size() / 4;
    for (size_t low : {size_t(0), 2 * k})
        for (size_t j = 0; j < k; ++j)
            if (numbers[low + k + j] <= numbers[low + j])
                return OrderFailure;
    // A reading inside the normal range must never count as panic.
    for (size_t j = 0; j < k; ++j)
        if (numbers[2 * k + j] > numbers[j] || numbers[k + j] > numbers[3 * k + j])
            return NestingFailure;
    return Valid;
}

void VariableRanges::write(XmlDocument& doc, XmlNode* variable, const std::string& name,
                           const std::vector<std::string>& texts, Change& change)
{
    std::vector<std::string> members = Global::membersOf(name);
    size_t next = 0;
    XmlNode* previous = nullptr;
    for (const char* bound : boundNames) {
        XmlNode* element = variable->first_node(bound);
        if (!element) {
            element = doc.allocate_node(rapidxml::node_element, bound);
            change.insert(variable, previous ? previous->next_sibling() : variable->first_node(), element);
        }
        previous = element;
        if (members.empty())
            change.setText(doc, variable, bound, texts[next++].c_str());
        for (const std::string& member : members)
            change.setText(doc, element, member.c_str(), texts[next++].c_str());
    }
}
