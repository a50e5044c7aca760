#include "history/core/CsvImport.h"

#include "records/Change.h"
#include "records/DateCheck.h"
#include "records/Global.h"
#include "records/NumberText.h"

#include <csv.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string_view>
#include <unordered_map>

namespace {

const char* const catalogueVitals[] = {"Blood Pressure", "Blood Sugar", "Heart Rate", "Pulse", "Temperature", "SpO2", "Mood"};

std::string lower(std::string text)
{
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string_view trimmed(std::string_view text)
{
    size_t from = text.find_first_not_of(" \t\r\n"), to = text.find_last_not_of(" \t\r\n");
    return from == std::string_view::npos ? std::string_view() : text.substr(from, to - from + 1);
}

std::string quoted(const std::string& text)
{
    return "'" + (text.size() > 40 ? text.substr(0, 40) + "..." : text) + "'";
}

// The entry dialog's messages speak of what was typed; here the file holds the value.
std::string fromFile(std::string message)
{
    for (size_t at; (at = message.find("you entered ")) != std::string::npos;)
        message.erase(at, 12);
    std::replace(message.begin(), message.end(), '\n', ' ');
    return message;
}

std::string lineText(size_t line)
{
    return "line " + std::to_string(line) + ": ";
}

// The fields of the rows, one after the other, so that a million lines need no million strings.
// Offsets of 32 bits: a file to import is at most maxBytes long.
struct Rows {
    std::string cells;
    std::vector<uint32_t> ends; // of each field in cells
    struct Row {
        uint32_t line, first, count;
    };
    std::vector<Row> rows;
    static bool space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
    std::string_view view(const Row& row, size_t i) const
    {
        size_t at = row.first + i, from = at ? ends[at - 1] : 0, to = ends[at];
        while (from < to && space(cells[from]))
            ++from;
        while (to > from && space(cells[to - 1]))
            --to;
        return std::string_view(cells).substr(from, to - from);
    }
    std::string field(const Row& row, size_t i) const { return std::string(view(row, i)); }
};

struct Parsing {
    Rows* rows;
    size_t line = 0, rowLine = 0, fields = 0;
    bool idle = true;
};

void fieldDone(void* data, size_t size, void* parsing)
{
    Parsing& p = *static_cast<Parsing*>(parsing);
    p.rows->cells.append(static_cast<const char*>(data), size);
    p.rows->ends.push_back(uint32_t(p.rows->cells.size()));
    ++p.fields;
}

void rowDone(int, void* parsing)
{
    Parsing& p = *static_cast<Parsing*>(parsing);
    p.rows->rows.push_back({uint32_t(p.rowLine), uint32_t(p.rows->ends.size() - p.fields), uint32_t(p.fields)});
    p.fields = 0;
    p.idle = true;
}

int isBlank(unsigned char c)
{
    return c == ' ';
}

char delimiterOf(const char* text, size_t size)
{
    const char* lf = static_cast<const char*>(std::memchr(text, '\n', size));
    size_t counts[3] = {}, end = lf ? size_t(lf - text) : size;
    bool inQuotes = false;
    for (size_t i = 0; i < end; ++i) {
        if (text[i] == '"')
            inQuotes = !inQuotes;
        else if (!inQuotes)
            counts[0] += text[i] == ',', counts[1] += text[i] == ';', counts[2] += text[i] == '\t';
    }
    return counts[1] > counts[0] && counts[1] >= counts[2] ? ';' : counts[2] > counts[0] ? '\t' : ',';
}

enum class Kind { Date, Time, DateTime, Variable, Conditions, Member, Vital };
struct Column {
    Kind kind;
    std::string element; // Member: "systolic", ..., "value"
    std::string vital;   // Vital, and Member of a known group
    std::string name;    // as the header writes it
};

enum class Parsed { Ok, Unreadable, NotReal };

// The index in CsvImport::elementNames, whose first letters differ; its size for another name.
uint8_t elementOf(const std::string& element)
{
    static const char letters[] = "sdfpv";
    const uint8_t none = uint8_t(std::size(CsvImport::elementNames));
    const char* letter = element.empty() ? nullptr : std::strchr(letters, element[0]);
    const uint8_t index = letter && *letter ? uint8_t(letter - letters) : none;
    return index < none && element == CsvImport::elementNames[index] ? index : none;
}

bool number(std::string_view text, size_t& at, int& value, size_t minDigits, size_t maxDigits)
{
    size_t from = at;
    value = 0;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) && at - from < maxDigits)
        value = value * 10 + (text[at++] - '0');
    return at - from >= minDigits && !(at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])));
}

// The slashed date's two first numbers, or false for another form.
bool slashed(std::string_view text, int& first, int& second)
{
    size_t at = 0;
    int year;
    return number(text, at, first, 1, 2) && at < text.size() && text[at++] == '/' && number(text, at, second, 1, 2) &&
           at < text.size() && text[at++] == '/' && number(text, at, year, 4, 4) && at == text.size();
}

Parsed parseDate(std::string_view text, CsvImport::DayOrder order, int& year, int& month, int& day)
{
    size_t at = 0;
    int a, b;
    if (number(text, at, a, 4, 4)) {
        year = a;
        if (!(at < text.size() && text[at++] == '-' && number(text, at, month, 1, 2) && at < text.size() &&
              text[at++] == '-' && number(text, at, day, 1, 2) && at == text.size()))
            return Parsed::Unreadable;
    } else if (slashed(text, a, b)) {
        at = text.rfind('/') + 1;
        number(text, at, year, 4, 4);
        month = order == CsvImport::DayOrder::DayFirst ? b : a;
        day = order == CsvImport::DayOrder::DayFirst ? a : b;
    } else {
        at = 0;
        if (!(number(text, at, day, 1, 2) && at < text.size() && text[at++] == '.' && number(text, at, month, 1, 2) &&
              at < text.size() && text[at++] == '.' && number(text, at, year, 4, 4) && at == text.size()))
            return Parsed::Unreadable;
    }
    return DateCheck::isRealDate(year, month, day) ? Parsed::Ok : Parsed::NotReal;
}

Parsed parseTime(std::string_view text, int& hour, int& minute, int& second)
{
    size_t at = 0;
    second = 0;
    if (!(number(text, at, hour, 1, 2) && at < text.size() && text[at++] == ':' && number(text, at, minute, 2, 2)))
        return Parsed::Unreadable;
    if (at < text.size() && text[at] == ':' && !(++at, number(text, at, second, 2, 2)))
        return Parsed::Unreadable;
    std::string half = lower(std::string(trimmed(text.substr(at))));
    if (!half.empty() && half != "am" && half != "pm")
        return Parsed::Unreadable;
    if (!half.empty()) {
        if (hour < 1 || hour > 12)
            return Parsed::NotReal;
        hour = hour % 12 + (half == "pm" ? 12 : 0);
    }
    return hour <= 23 && minute <= 59 && second <= 59 ? Parsed::Ok : Parsed::NotReal;
}

// A reading as the multiset compares it: vital, minute, values as stored, conditions (sorted).
std::string keyOf(const std::string& vital, int year, int month, int day, int hour, int minute,
                  const std::vector<std::pair<std::string, std::string>>& values, const std::vector<std::string>& conditions)
{
    std::vector<const std::pair<std::string, std::string>*> sorted;
    for (const auto& value : values)
        sorted.push_back(&value);
    std::sort(sorted.begin(), sorted.end(), [](auto a, auto b) { return *a < *b; });
    const long long minutes = ((((year * 13LL + month) * 32 + day) * 24 + hour) * 60) + minute;
    std::string key = vital;
    key += '\x1f';
    key.append(reinterpret_cast<const char*>(&minutes), sizeof minutes);
    for (const auto* value : sorted)
        ((key += '\x1f') += value->first) += '=' + value->second;
    key += '\x1e';
    for (const std::string& condition : conditions)
        key += condition + ' ';
    return key;
}

std::unordered_map<std::string, size_t> recordKeys()
{
    std::unordered_map<std::string, size_t> keys;
    const XmlNode* patient = Xml::child(Global::userDoc.get(), "patient");
    for (const XmlNode* variable = Xml::child(patient, "variable"); variable; variable = variable->next_sibling("variable"))
        for (const XmlNode* entry = Xml::child(variable, "entry"); entry; entry = entry->next_sibling("entry")) {
            int y, mo, d, h, mi, s;
            if (!DateCheck::readDate(Xml::childText(entry, "date"), y, mo, d) ||
                !DateCheck::readTime(Xml::childText(entry, "time"), h, mi, s))
                continue;
            std::vector<std::pair<std::string, std::string>> values;
            std::vector<std::string> conditions;
            for (const XmlNode* child = entry->first_node(); child; child = child->next_sibling()) {
                std::string name(child->name(), child->name_size());
                if (name == "conditions") {
                    for (const XmlNode* c = child->first_node(); c; c = c->next_sibling())
                        conditions.emplace_back(c->name(), c->name_size());
                } else if (name != "date" && name != "time") {
                    values.emplace_back(name, NumberText::stored(std::strtod(Xml::text(child), nullptr)));
                }
            }
            std::sort(conditions.begin(), conditions.end());
            ++keys[keyOf(Xml::attribute(variable, "name"), y, mo, d, h, mi, values, conditions)];
        }
    return keys;
}

// Whether a reading's date and time are on the local clock, with one mktime pair per day: a day
// that starts and ends on the clock and lasts 24 hours holds no skipped time. Other days ask the
// entry dialog's check for each reading.
class Clock {
public:
    bool has(int year, int month, int day, int hour, int minute, int second)
    {
        const int key = (year * 13 + month) * 32 + day;
        if (key == lastDay && lastWhole)
            return true;
        auto known = wholeDays.try_emplace(key, false);
        if (known.second) {
            std::tm first = DateCheck::fields(year, month, day, 0, 0, 0), last = DateCheck::fields(year, month, day, 23, 59, 59);
            std::tm from = first, to = last;
            known.first->second = DateCheck::existsLocally(first) && DateCheck::existsLocally(last) &&
                                  std::difftime(std::mktime(&to), std::mktime(&from)) == 86399;
        }
        lastDay = key;
        lastWhole = known.first->second;
        return lastWhole || DateCheck::existsLocally(DateCheck::fields(year, month, day, hour, minute, second));
    }

private:
    std::unordered_map<int, bool> wholeDays;
    int lastDay = 0;
    bool lastWhole = false;
};

struct Header {
    std::vector<Column> columns;
    std::string refusal;
};

Header readHeader(const Rows& rows, const std::vector<std::string>& vitals)
{
    static const std::map<std::string, std::pair<Kind, std::string>> names = {
        {"date", {Kind::Date, ""}}, {"day", {Kind::Date, ""}}, {"time", {Kind::Time, ""}},
        {"date and time", {Kind::DateTime, ""}}, {"datetime", {Kind::DateTime, ""}}, {"date time", {Kind::DateTime, ""}},
        {"date/time", {Kind::DateTime, ""}}, {"timestamp", {Kind::DateTime, ""}},
        {"variable", {Kind::Variable, ""}}, {"vital", {Kind::Variable, ""}},
        {"conditions", {Kind::Conditions, ""}}, {"condition", {Kind::Conditions, ""}},
        {"systolic", {Kind::Member, "systolic"}}, {"sys", {Kind::Member, "systolic"}},
        {"diastolic", {Kind::Member, "diastolic"}}, {"dia", {Kind::Member, "diastolic"}},
        {"fasting", {Kind::Member, "fasting"}}, {"glucose", {Kind::Member, "fasting"}},
        {"postprandial", {Kind::Member, "postprandial"}}, {"value", {Kind::Member, "value"}},
        {"pulse", {Kind::Vital, "pulse"}}, {"bpm", {Kind::Vital, "pulse"}}, {"heart rate", {Kind::Vital, "pulse"}},
        {"temp", {Kind::Vital, "Temperature"}}, {"temperature", {Kind::Vital, "Temperature"}},
        {"spo2", {Kind::Vital, "SpO2"}}, {"mood", {Kind::Vital, "Mood"}},
    };
    // The pulse goes to the record's own name for it.
    bool hasPulse = std::find(vitals.begin(), vitals.end(), "Pulse") != vitals.end();
    bool hasHeartRate = std::find(vitals.begin(), vitals.end(), "Heart Rate") != vitals.end();
    const std::string pulse = hasPulse && !hasHeartRate ? "Pulse" : "Heart Rate";

    Header header;
    const Rows::Row& first = rows.rows.front();
    const std::string at = lineText(first.line);
    for (size_t i = 0; i < first.count; ++i) {
        std::string name = rows.field(first, i);
        auto known = names.find(lower(name));
        if (known == names.end()) {
            header.refusal = at + "the column " + quoted(name) +
                             " is not a date, time, variable, value or condition that this program knows.";
            return header;
        }
        Column column{known->second.first, "", "", name};
        if (column.kind == Kind::Member) {
            column.element = known->second.second;
            if (const char* group = Global::memberGroupOf(column.element))
                column.vital = group;
            else if (column.element == "fasting" || column.element == "postprandial")
                column.vital = "Blood Sugar";
        } else if (column.kind == Kind::Vital) {
            column.vital = known->second.second == "pulse" ? pulse : known->second.second;
        }
        for (const Column& before : header.columns)
            if (before.kind == column.kind && before.element == column.element && before.vital == column.vital) {
                header.refusal = at + "the columns " + quoted(before.name) + " and " + quoted(name) + " both give the " +
                                 (column.element.empty() ? column.vital.empty() ? lower(before.name) : column.vital : column.element) + ".";
                return header;
            }
        header.columns.push_back(column);
    }
    auto has = [&](Kind kind) {
        return std::any_of(header.columns.begin(), header.columns.end(), [&](const Column& c) { return c.kind == kind; });
    };
    bool variable = has(Kind::Variable);
    bool value = std::any_of(header.columns.begin(), header.columns.end(), [](const Column& c) { return c.element == "value"; });
    if (!has(Kind::DateTime) && !(has(Kind::Date) && has(Kind::Time)))
        header.refusal = at + "the header names no column for the date and the time of the readings.";
    else if (has(Kind::DateTime) && (has(Kind::Date) || has(Kind::Time)))
        header.refusal = at + "the header gives the date or the time twice.";
    else if (value && !variable)
        header.refusal = at + "a 'value' column needs a 'variable' column that names its vital.";
    else if (!variable && !has(Kind::Member) && !has(Kind::Vital))
        header.refusal = at + "no column of the header holds the values of a vital.";
    return header;
}

}

const char* const CsvImport::elementNames[5] = {"systolic", "diastolic", "fasting", "postprandial", "value"};

std::string CsvImport::tooLarge(long long size)
{
    return size > maxBytes ? "This file is too large to import: at most 100 MB can be imported at once." : "";
}

CsvImport::Preview CsvImport::read(const char* text, size_t size, DayOrder order, const Progress& progress)
{
    Preview preview;
    if (!(preview.refusal = tooLarge(static_cast<long long>(size))).empty())
        return preview;
    if (const void* nul = std::memchr(text, '\0', size)) {
        size_t line = 1 + size_t(std::count(text, static_cast<const char*>(nul), '\n'));
        preview.refusal = lineText(line) + "a NUL byte: this is not a text file of readings.";
        return preview;
    }
    if (size >= 3 && !std::memcmp(text, "\xEF\xBB\xBF", 3))
        text += 3, size -= 3;
    if (std::all_of(text, text + size, [](char c) { return std::isspace(static_cast<unsigned char>(c)); })) {
        preview.refusal = "The file is empty.";
        return preview;
    }

    // The library is fed one line at a time, so that each row knows the line it starts on.
    Rows rows;
    const char delimiter = delimiterOf(text, size);
    csv_parser parser;
    csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI);
    csv_set_delim(&parser, static_cast<unsigned char>(delimiter));
    // The library takes spaces and tabs around a field as blanks; a tab that parts the fields
    // must not be one. Left to the library otherwise, for it asks a blank function for every byte.
    if (delimiter == '\t')
        csv_set_space_func(&parser, isBlank);
    Parsing parsing{&rows};
    rows.cells.reserve(size);
    rows.ends.reserve(size / 6);
    rows.rows.reserve(size / 48);
    for (size_t at = 0; at < size;) {
        const char* lf = static_cast<const char*>(std::memchr(text + at, '\n', size - at));
        size_t end = lf ? size_t(lf - text) + 1 : size;
        if (++parsing.line > maxLines) {
            preview.refusal = "This file has more than 1,000,000 lines, the most that can be imported at once.";
            break;
        }
        if (parsing.idle && !(end - at == 1 || (end - at == 2 && text[at] == '\r'))) {
            parsing.rowLine = parsing.line;
            parsing.idle = false;
        }
        if (csv_parse(&parser, text + at, end - at, fieldDone, rowDone, &parsing) != end - at) {
            preview.refusal = lineText(parsing.line) + "a quote inside a field; a field that holds quotes must be "
                                                       "quoted whole, with each of its quotes doubled.";
            break;
        }
        at = end;
        if (progress && parsing.line % 8192 == 0 && !progress(0.5 * double(at) / double(size))) {
            preview.cancelled = true;
            break;
        }
    }
    if (preview.refusal.empty() && !preview.cancelled && csv_fini(&parser, fieldDone, rowDone, &parsing) != 0)
        preview.refusal = lineText(parsing.rowLine) + "a quoted field that starts on this line is never closed.";
    csv_free(&parser);
    if (!preview.refusal.empty() || preview.cancelled)
        return preview;

    std::vector<std::string> vitals;
    const XmlNode* patient = Xml::child(Global::userDoc.get(), "patient");
    for (const XmlNode* v = Xml::child(patient, "variable"); v; v = v->next_sibling("variable"))
        vitals.push_back(Xml::attribute(v, "name"));
    for (const char* name : catalogueVitals)
        if (std::find(vitals.begin(), vitals.end(), name) == vitals.end())
            vitals.push_back(name);
    std::map<std::string, std::string> vitalByName;
    for (const std::string& vital : vitals)
        vitalByName.emplace(lower(vital), vital);
    std::map<std::string, std::string> conditionByName;
    for (const auto& condition : Global::conditions)
        conditionByName.emplace(lower(condition.second), condition.first);

    Header header = readHeader(rows, vitals);
    if (!header.refusal.empty()) {
        preview.refusal = header.refusal;
        return preview;
    }
    if (rows.rows.size() < 2) {
        preview.refusal = "The file holds a header line and no readings.";
        return preview;
    }
    const std::vector<Column>& columns = header.columns;
    auto column = [&](Kind kind) {
        auto found = std::find_if(columns.begin(), columns.end(), [&](const Column& c) { return c.kind == kind; });
        return found == columns.end() ? -1 : int(found - columns.begin());
    };
    const int dateColumn = column(Kind::Date) >= 0 ? column(Kind::Date) : column(Kind::DateTime);
    const int timeColumn = column(Kind::Time), variableColumn = column(Kind::Variable), conditionColumn = column(Kind::Conditions);
    auto dateAndTime = [&](const Rows::Row& row, std::string_view& date, std::string_view& time) {
        date = rows.view(row, size_t(dateColumn));
        if (timeColumn >= 0) {
            time = rows.view(row, size_t(timeColumn));
            return;
        }
        size_t split = date.find_first_of(" T");
        time = split == std::string_view::npos ? std::string_view() : trimmed(date.substr(split + 1));
        date = date.substr(0, split);
    };

    if (order == DayOrder::Unknown) {
        bool dayFirst = false, monthFirst = false, ambiguous = false;
        for (size_t r = 1; r < rows.rows.size(); ++r) {
            std::string_view date, time;
            int a, b;
            if (rows.rows[r].count != columns.size())
                continue;
            dateAndTime(rows.rows[r], date, time);
            if (slashed(date, a, b)) {
                dayFirst |= a > 12;
                monthFirst |= b > 12;
                ambiguous |= a != b && a <= 12 && b <= 12;
            }
        }
        if (dayFirst != monthFirst)
            order = dayFirst ? DayOrder::DayFirst : DayOrder::MonthFirst;
        else if (ambiguous || dayFirst) {
            preview.askDayOrder = true;
            return preview;
        }
    }

    std::unordered_map<std::string, size_t> present = recordKeys();
    preview.readings.reserve(rows.rows.size() - 1);
    Clock clock;
    // By the vital's name as a column or vitalByName holds it: these stay where they are.
    std::unordered_map<const std::string*, std::vector<std::string>> membersByVital;
    std::unordered_map<const std::string*, Count*> countOf;
    std::unordered_map<const std::string*, uint16_t> indexOf; // in preview.vitals
    auto count = [&](const std::string* vital) -> Count& {
        Count*& counted = countOf[vital];
        if (!counted)
            counted = &preview.counts[*vital];
        return *counted;
    };
    std::map<std::string, const std::string*, std::less<>> vitalOfText; // null: no such vital
    const std::pair<const std::string, const std::string*>* lastName = nullptr;
    std::array<const std::pair<const std::string, const std::string*>*, 8> recentNames{};
    size_t nextRecent = 0;
    // The conditions column's texts as read: the set's index, or the label the catalogue lacks.
    struct Labels {
        uint32_t set;
        std::string unknown;
    };
    std::map<std::string, Labels, std::less<>> labelsOfText;
    auto lastLabels = labelsOfText.end();
    std::map<std::vector<std::string>, uint32_t> setOf;
    auto setIndex = [&](std::vector<std::string>& conditions) {
        auto known = setOf.try_emplace(conditions, uint32_t(preview.conditionSets.size()));
        if (known.second)
            preview.conditionSets.push_back(conditions);
        return known.first->second;
    };
    std::vector<std::string> noConditions;
    const uint32_t noSet = setIndex(noConditions);
    std::vector<std::string> fieldLabels;
    for (const Column& c : columns)
        fieldLabels.push_back(Global::displayName(c.kind == Kind::Vital ? "value" : c.element));
    // The readings of a line, kept from line to line with their fields so that a line needs no
    // new memory; the entry is checked with each of them in turn.
    struct Pending {
        const std::string* vital;
        std::vector<std::pair<size_t, std::string_view>> fields; // column, text
        std::string key;      // for the multiset, when the record has readings
        std::string question; // when unlikely
    };
    std::vector<Pending> readings;
    size_t pending = 0;
    NewEntry entry;
    std::string_view lastDate;
    int lastYear = 0, lastMonth = 0, lastDay = 0;
    // The entry dialog's check of a vital's values, by the vital and the fields' texts.
    struct Checked {
        std::string why, question;
        std::vector<std::pair<std::string, std::string>> stored;
        uint8_t count = 0, elements[2] = {};
        double values[2] = {};
    };
    // A cheap hash: the keys are short, and there is one look-up per reading.
    struct Fnv {
        size_t operator()(const std::string& key) const
        {
            uint64_t hash = 14695981039346656037ULL;
            for (unsigned char c : key)
                hash = (hash ^ c) * 1099511628211ULL;
            return size_t(hash ^ (hash >> 29));
        }
    };
    std::unordered_map<std::string, Checked, Fnv> checks;
    std::string checkKey;
    for (size_t r = 1; r < rows.rows.size(); ++r) {
        if (progress && r % 8192 == 0 && !progress(0.5 + 0.5 * double(r) / double(rows.rows.size()))) {
            preview = Preview();
            preview.cancelled = true;
            return preview;
        }
        const Rows::Row& row = rows.rows[r];

        // The vital the line names first, under which a refusal is counted.
        const std::string* named = nullptr;
        bool unknownVital = false;
        std::string_view name;
        if (variableColumn >= 0 && size_t(variableColumn) < row.count) {
            name = rows.view(row, size_t(variableColumn));
            // The few names of a file come in turn.
            auto recent = std::find_if(recentNames.begin(), recentNames.end(), [&](auto* n) { return n && n->first == name; });
            if (recent != recentNames.end())
                lastName = *recent;
            else {
                auto known = vitalOfText.find(name);
                if (known == vitalOfText.end()) {
                    auto byName = vitalByName.find(lower(std::string(name)));
                    known = vitalOfText.emplace(std::string(name), byName == vitalByName.end() ? nullptr : &byName->second).first;
                }
                lastName = &*known;
                recentNames[nextRecent++ % recentNames.size()] = lastName;
            }
            named = lastName->second;
            unknownVital = !named;
        }
        const std::string* first = named;
        for (size_t i = 0; i < columns.size() && i < row.count && !first && variableColumn < 0; ++i)
            if ((columns[i].kind == Kind::Member || columns[i].kind == Kind::Vital) && !rows.view(row, i).empty())
                first = &columns[i].vital;
        auto refuse = [&](const std::string& why) {
            preview.refused.push_back({row.line, lineText(row.line) + why, first ? *first : std::string()});
            if (first)
                ++count(first).refused;
        };
        if (row.count != columns.size()) {
            bool blank = true;
            for (size_t i = 0; i < row.count && blank; ++i)
                blank = rows.view(row, i).empty();
            if (!blank)
                refuse(std::to_string(row.count) + (row.count == 1 ? " field" : " fields") + " where the header has " +
                       std::to_string(columns.size()) + ".");
            continue;
        }
        std::string_view date, time;
        dateAndTime(row, date, time);
        int year, month, day, hour, minute, second;
        // A day's readings come one after the other.
        Parsed d = Parsed::Ok;
        if (date == lastDate && !lastDate.empty())
            year = lastYear, month = lastMonth, day = lastDay;
        else if ((d = parseDate(date, order, year, month, day)) == Parsed::Ok)
            lastDate = date, lastYear = year, lastMonth = month, lastDay = day;
        if (d != Parsed::Ok) {
            refuse(d == Parsed::NotReal ? "the date " + std::string(date) + (year < 1900 && year > 0 ? " is before 1900." : " does not exist.")
                                        : "the date " + quoted(std::string(date)) + " cannot be read; YYYY-MM-DD, MM/DD/YYYY, "
                                          "DD/MM/YYYY and DD.MM.YYYY can.");
            continue;
        }
        Parsed t = parseTime(time, hour, minute, second);
        if (t != Parsed::Ok) {
            refuse(t == Parsed::NotReal ? "the time " + std::string(time) + " does not exist."
                                        : "the time " + quoted(std::string(time)) + " cannot be read; HH:MM:SS, HH:MM, with or "
                                          "without AM or PM, can.");
            continue;
        }
        uint32_t set = noSet;
        if (conditionColumn >= 0) {
            std::string_view text = rows.view(row, size_t(conditionColumn));
            auto read = lastLabels != labelsOfText.end() && text == lastLabels->first ? lastLabels : labelsOfText.find(text);
            if (read == labelsOfText.end()) {
                std::vector<std::string> conditions;
                std::string unknownCondition;
                for (size_t from = 0; from <= text.size() && unknownCondition.empty();) {
                    size_t to = std::min(text.find('|', from), text.size());
                    std::string label(trimmed(text.substr(from, to - from)));
                    from = to + 1;
                    if (label.empty())
                        continue;
                    auto known = conditionByName.find(lower(label));
                    if (known == conditionByName.end())
                        unknownCondition = label;
                    else if (std::find(conditions.begin(), conditions.end(), known->second) == conditions.end())
                        conditions.push_back(known->second);
                }
                std::sort(conditions.begin(), conditions.end());
                read = labelsOfText.emplace(std::string(text), Labels{setIndex(conditions), unknownCondition}).first;
            }
            lastLabels = read;
            if (!read->second.unknown.empty()) {
                refuse("no condition named " + quoted(read->second.unknown) + " in the catalogue.");
                continue;
            }
            set = read->second.set;
        }
        const std::vector<std::string>& conditions = preview.conditionSets[set];

        // The readings of the line: one for the named variable, one per vital with a column of its own.
        pending = 0;
        std::string why;
        if (unknownVital)
            why = name.empty() ? "no variable is named." : "no vital named " + quoted(std::string(name)) + " in this record.";
        for (size_t i = 0; i < columns.size() && why.empty(); ++i) {
            const Column& c = columns[i];
            if (c.kind != Kind::Member && c.kind != Kind::Vital)
                continue;
            std::string_view text = rows.view(row, i);
            if (text.empty())
                continue;
            const std::string& vital = c.kind == Kind::Vital || variableColumn < 0 ? c.vital : *named;
            auto cached = membersByVital.find(&vital);
            if (cached == membersByVital.end())
                cached = membersByVital.emplace(&vital, Global::membersOf(vital)).first;
            const std::vector<std::string>& members = cached->second;
            const std::string element = c.kind == Kind::Vital ? "value" : c.element;
            bool fits = members.empty() ? element == "value"
                                        : std::find(members.begin(), members.end(), element) != members.end();
            if (!fits)
                why = vital + " has no " + element + " value.";
            else {
                auto same = std::find_if(readings.begin(), readings.begin() + std::ptrdiff_t(pending),
                                         [&](const Pending& r) { return *r.vital == vital; });
                if (same == readings.begin() + std::ptrdiff_t(pending)) {
                    if (pending == readings.size())
                        readings.emplace_back();
                    same = readings.begin() + std::ptrdiff_t(pending++);
                    same->vital = &vital;
                    same->fields.clear();
                }
                same->fields.emplace_back(i, text);
            }
        }
        if (why.empty() && !pending)
            why = "no value on this line.";
        const size_t firstOfLine = preview.readings.size();
        const bool onTheClock = why.empty() && clock.has(year, month, day, hour, minute, second);
        for (size_t k = 0; k < pending && why.empty(); ++k) {
            if (!onTheClock) {
                why = std::string(date) + " " + std::string(time) + " is in the hour that the clock skips.";
                break;
            }
            checkKey.assign(reinterpret_cast<const char*>(&readings[k].vital), sizeof readings[k].vital);
            for (const auto& field : readings[k].fields)
                (checkKey += char(field.first)) += field.second, checkKey += '\x1f';
            auto known = checks.find(checkKey);
            if (known == checks.end()) {
                Checked made;
                entry.fields.clear();
                for (const auto& field : readings[k].fields) {
                    entry.fields.push_back({fieldLabels[field.first], std::string(field.second)});
                    if (delimiter != ',')
                        std::replace(entry.fields.back().text.begin(), entry.fields.back().text.end(), ',', '.');
                }
                NewEntry::Check checked = entry.checkValues(*readings[k].vital);
                made.stored = entry.storedValues();
                made.count = uint8_t(std::min<size_t>(made.stored.size(), 2));
                for (uint8_t i = 0; i < made.count; ++i) {
                    made.elements[i] = elementOf(made.stored[i].first);
                    made.values[i] = entry.points[i].value;
                }
                if (checked == NewEntry::Check::Ready &&
                    (made.stored.size() > 2 || std::any_of(made.elements, made.elements + made.count,
                                                           [](uint8_t e) { return e >= std::size(elementNames); })))
                    checked = NewEntry::Check::NothingToRecord;
                switch (checked) {
                case NewEntry::Check::Ready: made.question = entry.question; break;
                case NewEntry::Check::ValueUnreadable: made.why = "the " + entry.unreadable + " value is not a number."; break;
                case NewEntry::Check::ValueImpossible: made.why = fromFile(entry.refusal); break;
                default: made.why = "the reading cannot be recorded."; break;
                }
                // A file's values repeat (a pressure of 120/80 is common), but a file of a million
                // different ones must not keep them all.
                if (checks.size() >= 1 << 16)
                    checks.clear();
                known = checks.emplace(checkKey, std::move(made)).first;
            }
            const Checked& checked = known->second;
            if (!checked.why.empty()) {
                why = checked.why;
                break;
            }
            Reading reading{};
            auto index = indexOf.try_emplace(readings[k].vital, uint16_t(preview.vitals.size()));
            if (index.second)
                preview.vitals.push_back(*readings[k].vital);
            reading.line = uint32_t(row.line);
            reading.vital = index.first->second;
            reading.year = uint16_t(year);
            reading.month = uint8_t(month), reading.day = uint8_t(day);
            reading.hour = uint8_t(hour), reading.minute = uint8_t(minute), reading.second = uint8_t(second);
            reading.count = checked.count;
            std::copy(checked.elements, checked.elements + 2, reading.elements);
            std::copy(checked.values, checked.values + 2, reading.values);
            reading.unlikely = !checked.question.empty();
            reading.conditions = set;
            preview.readings.push_back(reading);
            readings[k].question = checked.question;
            if (!present.empty())
                readings[k].key = keyOf(*readings[k].vital, year, month, day, hour, minute, checked.stored, conditions);
        }
        if (!why.empty()) {
            preview.readings.erase(preview.readings.begin() + std::ptrdiff_t(firstOfLine), preview.readings.end());
            refuse(why);
            continue;
        }
        for (size_t i = firstOfLine; i < preview.readings.size(); ++i) {
            Reading& reading = preview.readings[i];
            const Pending& made = readings[i - firstOfLine];
            auto found = present.empty() ? present.end() : present.find(made.key);
            Count& counted = count(made.vital);
            if (found != present.end() && found->second > 0) {
                --found->second;
                reading.present = true;
                ++counted.present;
            } else if (reading.unlikely) {
                ++counted.unlikely;
                preview.unlikely.push_back({reading.line, lineText(reading.line) + fromFile(made.question), *made.vital});
            } else {
                ++counted.add;
            }
        }
    }
    return preview;
}

size_t CsvImport::Preview::toAdd(bool includeUnlikely) const
{
    size_t added = 0;
    for (const auto& count : counts)
        added += count.second.add + (includeUnlikely ? count.second.unlikely : 0);
    return added;
}

std::string CsvImport::Preview::summary(bool includeUnlikely) const
{
    auto plural = [](size_t n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); };
    std::string text;
    for (const auto& count : counts) {
        size_t add = count.second.add + (includeUnlikely ? count.second.unlikely : 0);
        text += count.first + ": " + plural(add, "reading", "readings") + " to add, " +
                std::to_string(count.second.present) + " already present";
        if (count.second.unlikely)
            text += ", " + plural(count.second.unlikely, "unlikely reading", "unlikely readings") +
                    (includeUnlikely ? " included" : " left out");
        if (count.second.refused)
            text += ", " + plural(count.second.refused, "line", "lines") + " refused";
        text += ".\n";
    }
    if (readings.empty())
        text += "No reading can be imported.\n";
    // The refused lines of each vital, then those that name none.
    for (const auto& count : counts) {
        if (!count.second.refused)
            continue;
        text += "\n" + count.first + ", " + plural(count.second.refused, "line", "lines") + " refused:\n";
        for (const Note& note : refused)
            if (note.vital == count.first)
                text += note.text + "\n";
    }
    const size_t general = size_t(std::count_if(refused.begin(), refused.end(), [](const Note& n) { return n.vital.empty(); }));
    if (general) {
        text += "\n" + plural(general, "line", "lines") + " refused" +
                (general == refused.size() ? "" : general == 1 ? " that names no vital of this record" : " that name no vital of this record") + ":\n";
        for (const Note& note : refused)
            if (note.vital.empty())
                text += note.text + "\n";
    }
    if (!unlikely.empty()) {
        text += "\n" + plural(unlikely.size(), "unlikely reading", "unlikely readings") + ":\n";
        for (const Note& note : unlikely)
            text += note.text + "\n";
    }
    return text;
}

size_t CsvImport::apply(const Preview& preview, bool includeUnlikely, XmlDocument& doc, Change& change)
{
    // One vital after the other, in the order they first come: the record is the same as in the
    // order of the file, and each variable's entries lie together in memory, which its save reads
    // much faster.
    std::vector<std::vector<const Reading*>> byVital(preview.vitals.size());
    std::vector<uint16_t> order;
    for (const Reading& reading : preview.readings)
        if (!reading.present && (includeUnlikely || !reading.unlikely)) {
            if (byVital[reading.vital].empty())
                order.push_back(reading.vital);
            byVital[reading.vital].push_back(&reading);
        }
    size_t added = 0;
    NewEntry entry;
    uint32_t lastDay = 0, lastSet = UINT32_MAX;
    for (uint16_t v : order) {
        const std::string& name = preview.vitals[v];
        XmlNode* variable = Global::findVariableNode(name.c_str());
        // One undo for the vital's new entries: a new variable goes with them, an existing one
        // loses what comes after its last entry of before.
        XmlNode* before = variable && variable->first_node() ? variable->last_node() : nullptr;
        if (variable)
            change.onUndo([variable, before] {
                while (variable->first_node() && variable->last_node() != before)
                    variable->remove_last_node();
            });
        const std::string first = NewEntry::nextId(variable);
        unsigned long long id = std::strtoull(first.c_str(), nullptr, 10);
        char idText[24];
        for (const Reading* reading : byVital[v]) {
            *std::to_chars(idText, idText + sizeof idText - 1, id++).ptr = '\0';
            const uint32_t day = (uint32_t(reading->year) * 13 + reading->month) * 32 + reading->day;
            if (day != lastDay)
                entry.date = DateCheck::dateText(reading->year, reading->month, reading->day), lastDay = day;
            entry.time = DateCheck::timeText(reading->hour, reading->minute, reading->second);
            if (reading->conditions != lastSet)
                entry.conditions = preview.conditionSets[lastSet = reading->conditions];
            entry.storeValues(reading->elements, elementNames, reading->values, reading->count);
            if (!variable)
                variable = entry.insert(doc, variable, name, change, idText)->parent();
            else
                variable->append_node(entry.make(doc, idText));
        }
        added += byVital[v].size();
    }
    return added;
}
