#include "history/core/CsvExport.h"

#include "records/DateCheck.h"
#include "records/Global.h"

#include <csv.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

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
    char buffer[16];
    for (const Row& row : rows) {
        const int* f = row.f;
        if (row.when >= 0) {
            std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d,", f[0], f[1], f[2]);
            out += buffer;
            std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d,", f[3], f[4], f[5]);
            out += buffer;
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
        for (const char* column : valueColumns) {
            out += ',';
            if (const XmlNode* value = Xml::child(row.entry, column))
                appendField(out, value->value(), value->value_size());
        }
        out += ',';
        std::string labels;
        for (const XmlNode* c = Xml::child(row.entry, "conditions") ? Xml::child(row.entry, "conditions")->first_node() : nullptr;
             c; c = c->next_sibling()) {
            auto known = Global::conditions.find(std::string(c->name(), c->name_size()));
            if (!labels.empty())
                labels += '|';
            labels += known != Global::conditions.end() ? known->second : std::string(c->name(), c->name_size());
        }
        appendField(out, labels.data(), labels.size());
        out += "\r\n";
        ++result.rows;
    }
    return result;
}
