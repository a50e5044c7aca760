#include "history/core/NewEntry.h"

#include "records/Change.h"
#include "records/DateCheck.h"
#include "records/Global.h"
#include "records/NumberText.h"
#include "records/ReadingLimits.h"
#include "records/TextCheck.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

NewEntry::Check NewEntry::check(const std::string& variableName)
{
    Check when = checkWhen();
    return when == Check::Ready ? checkValues(variableName) : when;
}

NewEntry::Check NewEntry::checkWhen()
{
    switch (DateCheck::checkEntry(date.c_str(), time.c_str(), when)) {
    case DateCheck::DateUnreadable: return Check::DateUnreadable;
    case DateCheck::TimeUnreadable: return Check::TimeUnreadable;
    case DateCheck::TimeNotAmPm: return Check::TimeNotAmPm;
    case DateCheck::EntryOutOfRange: return Check::DateOrTimeNotOnTheClock;
    case DateCheck::EntryValid: break;
    }
    return Check::Ready;
}

NewEntry::Check NewEntry::checkValues(const std::string& variableName)
{
    values.clear();
    points.clear();
    question.clear();
    // Kept from call to call: an import checks a reading per line of its file.
    static thread_local std::vector<ReadingLimits::Value> judged;
    judged.clear();
    for (const Field& field : fields) {
        double value;
        if (field.label.empty() || !TextCheck::isVisible(field.text.c_str()))
            continue;
        const std::string& label = field.label == "Value" ? variableName : field.label;
        if (!TextCheck::readNumber(field.text.c_str(), value)) {
            unreadable = label;
            return Check::ValueUnreadable;
        }
        const std::string element = Global::elementName(field.label);
        judged.push_back({label, element, value});
        values.emplace_back(element, NumberText::stored(value));
        points.push_back({element == "value" ? variableName : field.label, value});
    }
    std::string message;
    switch (ReadingLimits::judge(variableName, judged, message)) {
    case ReadingLimits::Impossible:
        refusal = message;
        return Check::ValueImpossible;
    case ReadingLimits::Unlikely:
        question = message;
        break;
    default:
        break;
    }
    return values.empty() ? Check::NothingToRecord : Check::Ready;
}

void NewEntry::storeValues(const uint8_t* elements, const char* const* elementNames, const double* numbers, size_t count)
{
    values.resize(count);
    for (size_t i = 0; i < count; ++i) {
        values[i].first = elementNames[elements[i]];
        values[i].second = NumberText::stored(numbers[i]);
    }
}

XmlNode* NewEntry::insert(XmlDocument& doc, const std::string& variableName, Change& change) const
{
    return insert(doc, Global::findVariableNode(variableName.c_str()), variableName, change);
}

XmlNode* NewEntry::insert(XmlDocument& doc, XmlNode* variable, const std::string& variableName, Change& change,
                          const char* id) const
{
    XmlNode* patient = doc.first_node("patient");
    if (!variable) {
        variable = doc.allocate_node(rapidxml::node_element, "variable");
        variable->append_attribute(doc.allocate_attribute("name", Xml::copy(doc, variableName.c_str())));
        change.insert(patient, nullptr, variable);
    }
    XmlNode* entry = make(doc, id ? id : nextId(variable).c_str());
    change.insert(variable, nullptr, entry);
    return entry;
}

XmlNode* NewEntry::make(XmlDocument& doc, const char* id) const
{
    // The names of the entry's own elements are constants that outlive the document. Every size
    // is given, so that the save need not measure each name and text again.
    auto copy = [&](const char* text, size_t size) { return doc.allocate_string(text, size + 1); };
    auto element = [&](const char* name, size_t nameSize, const std::string* text = nullptr) {
        return doc.allocate_node(rapidxml::node_element, name, text ? copy(text->c_str(), text->size()) : nullptr, nameSize,
                                 text ? text->size() : 0);
    };
    XmlNode* entry = element("entry", 5);
    const size_t idSize = std::strlen(id);
    entry->append_attribute(doc.allocate_attribute("id", copy(id, idSize), 2, idSize));
    static const char* const members[] = {"systolic", "diastolic", "fasting", "postprandial", "value"};
    for (const auto& value : values) {
        auto same = [&](const char* member) { return value.first[0] == member[0] && value.first == member; };
        const char* const* name = std::find_if(std::begin(members), std::end(members), same);
        entry->append_node(element(name != std::end(members) ? *name : copy(value.first.c_str(), value.first.size()),
                                   value.first.size(), &value.second));
    }
    entry->append_node(element("date", 4, &date));
    entry->append_node(element("time", 4, &time));
    XmlNode* ticked = element("conditions", 10);
    for (const std::string& key : conditions)
        ticked->append_node(element(copy(key.c_str(), key.size()), key.size()));
    entry->append_node(ticked);
    return entry;
}

std::string NewEntry::nextId(const XmlNode* variable)
{
    // The parser's last_node reads a child list that an element without children does not have.
    const XmlNode* last = variable && variable->first_node() ? variable->last_node("entry") : nullptr;
    if (!last)
        return "0";
    const char* id = Xml::attribute(last, "id");
    unsigned long long previous = id && std::isdigit(static_cast<unsigned char>(*id)) ? std::strtoull(id, nullptr, 10) : 0;
    return std::to_string(previous + 1);
}
