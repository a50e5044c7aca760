#include "history/core/CsvExport.h"

#include "records/DateCheck.h"
#include "records/Global.h"

#include <csv.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string_view>

namespace {

const char* const valueColumns[] = {"systolic", "diastolic", "fasting", "postprandial", "value"};

struct Row {
    long long when; // the local clock's fields as one number; unreadable entries sort last
    const XmlNode* variable;
    const XmlNode* entry;
    int f[6];
};

long long clockKey(int year, int month, int day, int hour, int minute, int second)
{
    return ((((year * 13LL + month) * 32 + day) * 24 + hour) * 60 + minute) * 60 + second;
}

bool readable(const XmlNode* entry, int (&f)[6])
{
    return DateCheck::readDate(Xml::childText(entry, "date"), f[0], f[1], f[2]) && DateCheck::isRealDate(f[0], f[1], f[2]) &&
           DateCheck::readTime(Xml::childText(entry, "time"), f[3], f[4], f[5]);
}

}

const std::vector<std::string>& CsvExport::columns()
{
    static const std::vector<std::string> names = {"date", "time", "variable", "systolic", "diastolic",
                                                   "fasting", "postprandial", "value", "conditions"};
    return names;
}

void CsvExport::appendField(std::string& out, const char* text, size_t size)
{
    bool quote = size && (text[0] == ' ' || text[size - 1] == ' ');
    for (size_t i = 0; i < size && !quote; ++i)
        quote = text[i] == ',' || text[i] == '"' || text[i] == '\r' || text[i] == '\n';
    if (!quote) {
        out.append(text, size);
        return;
    }
    size_t at = out.size();
    out.resize(at + 2 * size + 2);
    out.resize(at + csv_write(&out[at], 2 * size + 2, text, size));
}

CsvExport::Result CsvExport::write(const XmlNode* patient, const std::vector<std::string>& vitals)
{
    std::vector<Row> rows;
    for (const XmlNode* variable = Xml::child(patient, "variable"); variable; variable = variable->next_sibling("variable")) {
        const char* name = Xml::attribute(variable, "name");
        if (!vitals.empty() && std::find(vitals.begin(), vitals.end(), name) == vitals.end())
            continue;
        for (const XmlNode* entry = Xml::child(variable, "entry"); entry; entry = entry->next_sibling("entry")) {
            Row row{-1, variable, entry, {}};
            if (readable(entry, row.f))
                row.when = clockKey(row.f[0], row.f[1], row.f[2], row.f[3], row.f[4], row.f[5]);
            rows.push_back(row);
        }
    }
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        return (a.when < 0 ? 1 : 0) < (b.when < 0 ? 1 : 0) || (a.when >= 0 && b.when >= 0 && a.when < b.when);
    });

    Result result;
    std::string& out = result.text;
    out.reserve(rows.size() * 72 + 128);
    for (const std::string& column : columns())
        out += column + (&column == &columns().back() ? "\r\n" : ",");
    std::vector<std::pair<std::string, std::string>> labels(Global::conditions.begin(), Global::conditions.end());
    for (const Row& row : rows) {
        const int* f = row.f;
        if (row.when >= 0) {
            // Readable dates hold years from 1900 to 9999, so fixed widths suffice.
            char text[] = "YYYY-MM-DD,hh:mm:ss,";
            const int widths[] = {4, 2, 2, 2, 2, 2}, at[] = {0, 5, 8, 11, 14, 17};
            for (int i = 0; i < 6; ++i)
                for (int d = widths[i] - 1, n = f[i]; d >= 0; --d, n /= 10)
                    text[at[i] + d] = char('0' + n % 10);
            out.append(text, sizeof text - 1);
        } else {
            ++result.unreadable;
            for (const char* part : {"date", "time"}) {
                const char* text = Xml::childText(row.entry, part);
                appendField(out, text, std::strlen(text));
                out += ',';
            }
        }
        const char* name = Xml::attribute(row.variable, "name");
        appendField(out, name, std::strlen(name));
        // One walk over the entry's children fills the value columns and the conditions.
        const XmlNode* values[std::size(valueColumns)] = {};
        const XmlNode* conditions = nullptr;
        for (const XmlNode* child = row.entry->first_node(); child; child = child->next_sibling()) {
            const std::string_view name(child->name(), child->name_size());
            if (name == "conditions" && !conditions)
                conditions = child;
            for (size_t i = 0; i < std::size(valueColumns); ++i)
                if (name == valueColumns[i] && !values[i])
                    values[i] = child;
        }
        for (const XmlNode* value : values) {
            out += ',';
            if (value)
                appendField(out, value->value(), value->value_size());
        }
        out += ',';
        std::string joined;
        for (const XmlNode* c = conditions ? conditions->first_node() : nullptr; c; c = c->next_sibling()) {
            const std::string_view key(c->name(), c->name_size());
            auto known = std::find_if(labels.begin(), labels.end(), [&](const auto& l) { return l.first == key; });
            if (!joined.empty())
                joined += '|';
            if (known != labels.end())
                joined += known->second;
            else
                joined.append(key);
        }
        appendField(out, joined.data(), joined.size());
        out += "\r\n";
        ++result.rows;
    }
    return result;
}
