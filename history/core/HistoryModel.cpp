#include "history/core/HistoryModel.h"

#include "app/Trace.h"
#include "records/Change.h"
#include "records/DateCheck.h"
#include "records/Global.h"
#include "records/NumberText.h"
#include "records/TextCheck.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>
#include <numeric>
#include <ostream>

namespace {

// Names an entry in the trace: its record file, variable, id, date and time.
std::string entryText(const XmlNode* entry)
{
    const char* id = Xml::attribute(entry, "id");
    const char* variable = Xml::attribute(entry->parent(), "name");
    return std::string("file ") + Global::currentFile + ", variable " + (variable ? variable : "") + ", id " +
           (id ? id : "") + ", date " + Xml::childText(entry, "date") + ", time " + Xml::childText(entry, "time");
}

}

HistoryModel::HistoryModel(const std::string& name) : variableName(name), isBloodPressure(name == "Blood Pressure")
{
}

void HistoryModel::loadData(std::ostream& errors)
{
    columnTitles = {"Date", "Time"};
    elementNames = {"date", "time"};
    std::vector<std::string> members = Global::membersOf(variableName);
    for (const std::string& member : members) {
        columnTitles.push_back(Global::displayName(member));
        elementNames.push_back(member);
    }
    if (members.empty()) {
        columnTitles.push_back(variableName);
        elementNames.push_back("value");
    }
    firstConditionColumn = columnCount();
    for (const auto& condition : Global::conditions)
        columnTitles.push_back(condition.second);
    columnTitles.push_back("Delete");
    loadRanges();

    rows.clear();
    XmlNode* variable = Global::findVariableNode(variableName.c_str());
    if (!variable)
        errors << "HistoryTableWindow::loadData" << " : Error: no entry for variable " << variableName << "\n";
    size_t valueColumns = size_t(firstConditionColumn - 2);
    for (XmlNode* entry = Xml::child(variable, "entry"); entry; entry = entry->next_sibling("entry")) {
        HistoryRow row{entry, {}, std::vector<double>(valueColumns), {}, 0, 0};
        row.cells.reserve(size_t(firstConditionColumn));
        for (size_t i = 0; i < elementNames.size(); ++i) {
            const XmlNode* element = entry->first_node(elementNames[i].c_str());
            if (i >= 2 && element) {
                row.values[i - 2] = std::atof(element->value());
                row.cells.push_back(NumberText::reading(row.values[i - 2]));
                continue;
            }
            // Values are optional in an entry (only those typed are written); a date and a time are not.
            if (!element && i < 2) {
                const char* id = Xml::firstAttribute(entry);
                errors << "HistoryTableWindow::loadData" << " : Error: attribute " << elementNames[i] << " of entry id="
                       << (id ? id : "") << " for variable " << variableName << " is missing.\n";
            }
            row.cells.push_back(Xml::text(element));
        }
        XmlNode* conditions = entry->first_node("conditions");
        for (const auto& condition : Global::conditions)
            row.conditions.push_back(conditions && conditions->first_node(condition.first.c_str()));
        setTimes(row);
        rows.push_back(std::move(row));
    }
}

void HistoryModel::loadRanges()
{
    columnRanges.clear();
    for (int i = 2; i < firstConditionColumn; ++i) {
        const std::string& name = Global::membersOf(variableName).empty() ? variableName : columnTitles[size_t(i)];
        columnRanges.push_back(Global::rangesOf(name));
    }
}

void HistoryModel::setTimes(HistoryRow& row) const
{
    int hour, minute, second;
    row.timeOfDay = DateCheck::readTime(row.cells[1].c_str(), hour, minute, second) ? second + 60 * (minute + 60 * hour) : 0;
    std::tm when;
    std::time_t seconds;
    row.when = DateCheck::readEntry(row.cells[0].c_str(), row.cells[1].c_str(), when, seconds)
                   ? std::int64_t(seconds)
                   : std::numeric_limits<std::int64_t>::min();
}

RangeClass HistoryModel::rangeOf(const HistoryRow& row, int column) const
{
    return columnRanges[size_t(column - 2)].classify(row.values[size_t(column - 2)]);
}

void HistoryModel::sortColumn(int column, bool reverse)
{
    std::vector<double> key(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const HistoryRow& row = rows[i];
        key[i] = column == 0                    ? double(row.when)
                 : column == 1                  ? row.timeOfDay
                 : column < firstConditionColumn ? row.values[size_t(column - 2)]
                                                 : row.conditions[size_t(column - firstConditionColumn)];
    }
    std::vector<size_t> order(rows.size());
    std::iota(order.begin(), order.end(), 0);
    if (reverse)
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return key[b] < key[a]; });
    else
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return key[a] < key[b]; });
    std::vector<HistoryRow> sorted;
    sorted.reserve(rows.size());
    for (size_t i : order)
        sorted.push_back(std::move(rows[i]));
    rows.swap(sorted);
}

std::string HistoryModel::editText(int row, int column) const
{
    const HistoryRow& r = rows[size_t(row)];
    if (column < 2)
        return r.cells[size_t(column)];
    const char* stored = Xml::childText(r.node, elementNames[size_t(column)].c_str());
    double value;
    return TextCheck::readNumber(stored, value) ? NumberText::shortest(value) : stored;
}

HistoryModel::Format HistoryModel::formatCell(int row, int column, const char* text, std::string& out) const
{
    const HistoryRow& r = rows[size_t(row)];
    int year, month, day, hour, minute, second;
    if (column == 0) {
        DateCheck::Result result = DateCheck::checkDate(text, &year, &month, &day);
        if (result == DateCheck::Unreadable)
            return Format::Unreadable;
        // The row's time must exist on the new day (a clock change can skip it).
        bool timeRead = DateCheck::readTime(r.cells[1].c_str(), hour, minute, second);
        if (result != DateCheck::Valid ||
            (timeRead && !DateCheck::existsLocally(DateCheck::fields(year, month, day, hour, minute, second))))
            return Format::NotOnTheClock;
        out = DateCheck::dateText(year, month, day);
        return Format::Valid;
    }
    if (column == 1) {
        DateCheck::Result result = DateCheck::checkTime(text, hour, minute, second);
        if (result != DateCheck::Valid)
            return result == DateCheck::Unreadable ? Format::Unreadable
                   : result == DateCheck::NotAmPm  ? Format::NotAmPm
                                                   : Format::NotOnTheClock;
        if (DateCheck::readDate(r.cells[0].c_str(), year, month, day) &&
            !DateCheck::existsLocally(DateCheck::fields(year, month, day, hour, minute, second)))
            return Format::NotOnTheClock;
        out = DateCheck::timeText(hour, minute, second);
        return Format::Valid;
    }
    double value;
    if (!TextCheck::readNumber(text, value))
        return Format::Unreadable;
    out = NumberText::stored(value);
    return Format::Valid;
}

ReadingLimits::Verdict HistoryModel::judgeCell(int row, int column, const char* text, std::string& message) const
{
    double typed;
    if (column < 2 || column >= firstConditionColumn || !TextCheck::readNumber(text, typed))
        return ReadingLimits::Likely;
    const HistoryRow& r = rows[size_t(row)];
    std::vector<ReadingLimits::Value> values;
    for (int c = 2; c < firstConditionColumn; ++c) {
        const std::string& element = elementNames[size_t(c)];
        if (c == column)
            values.push_back({columnTitles[size_t(c)], element, typed, true});
        else if (r.node->first_node(element.c_str()))
            values.push_back({columnTitles[size_t(c)], element, r.values[size_t(c - 2)], false});
    }
    return ReadingLimits::judge(variableName, values, message);
}

HistoryModel::Edit HistoryModel::commitEdit(int row, int column, const char* text)
{
    std::string out;
    if (formatCell(row, column, text, out) != Format::Valid)
        return Refused;
    HistoryRow& r = rows[size_t(row)];
    const char* name = elementNames[size_t(column)].c_str();
    const XmlNode* stored = r.node->first_node(name);
    double typed = 0, before;
    bool isValue = column >= 2;
    if (isValue)
        TextCheck::readNumber(text, typed);
    if (stored && (isValue ? TextCheck::readNumber(stored->value(), before) && before == typed : out == stored->value()))
        return Unchanged;
    // The entry as it was, for the trace: a test that checks no reading is lost reads its edits there.
    std::string was = entryText(r.node);
    Change change;
    change.setText(*Global::userDoc, r.node, name, out.c_str());
    if (!Global::saveCurrentUser(change))
        return NotSaved;
    Trace::write("HistoryModel", __LINE__, "HistoryModel::commitEdit", 3, "Edited entry: %s; %s set to %s\n",
                 was.c_str(), name, out.c_str());
    if (isValue) {
        r.values[size_t(column - 2)] = typed;
        r.cells[size_t(column)] = NumberText::reading(typed);
    } else {
        r.cells[size_t(column)] = out;
        setTimes(r);
    }
    return Saved;
}

bool HistoryModel::toggleCondition(int row, int condition, std::ostream& errors)
{
    HistoryRow& r = rows[size_t(row)];
    bool on = !r.conditions[size_t(condition)];
    r.conditions[size_t(condition)] = on;
    XmlDocument& doc = *Global::userDoc;
    Change change;
    XmlNode* conditions = r.node->first_node("conditions");
    if (!conditions) {
        conditions = doc.allocate_node(rapidxml::node_element, "conditions");
        change.insert(r.node, nullptr, conditions);
    }
    const std::string& name = std::next(Global::conditions.begin(), condition)->first;
    XmlNode* element = conditions->first_node(name.c_str());
    if (on == (element != nullptr)) {
        errors << "HistoryTable::event_callback2" << " :ERROR condition node " << name
               << (on ? " already existing" : " not found") << "\n";
        change.undo();
        return true;
    }
    if (on)
        change.insert(conditions, nullptr, doc.allocate_node(rapidxml::node_element, doc.allocate_string(name.c_str())));
    else
        change.remove(element);
    if (Global::saveCurrentUser(change))
        return true;
    r.conditions[size_t(condition)] = !on;
    return false;
}

bool HistoryModel::deleteRow(int row)
{
    std::string was = entryText(rows[size_t(row)].node);
    Change change;
    change.remove(rows[size_t(row)].node);
    if (!Global::saveCurrentUser(change))
        return false;
    Trace::write("HistoryModel", __LINE__, "HistoryModel::deleteRow", 3, "Deleted entry: %s\n", was.c_str());
    rows.erase(rows.begin() + row);
    return true;
}
