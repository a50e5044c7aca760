// A person's readings as one CSV text: UTF-8, comma-separated, RFC 4180 quoting, a header row and
// one row per entry, oldest first. Display-free.
#pragma once

#include "records/Xml.h"

#include <string>
#include <vector>

class CsvExport {
public:
    struct Result {
        std::string text;
        size_t rows = 0;
        size_t unreadable = 0; // entries written with their stored date and time, which could not be read
    };
    // The readings of the given vitals of a record's patient element; every vital when none is given.
    static Result write(const XmlNode* patient, const std::vector<std::string>& vitals = {});
    // The columns, in the order they are written.
    static const std::vector<std::string>& columns();
    // One field as RFC 4180 writes it: quoted only when it holds a delimiter, a quote, a line end
    // or blanks at either end.
    static void appendField(std::string& out, const char* text, size_t size);
};
