// Fuzz target: a directory file and a user record are loaded and read the way the panels read
// them, and what the program would write of them must load again. The input is the directory,
// then a line "----", then the record; without that line the whole input serves as both.
#include "app/Prompt.h"
#include "app/Trace.h"
#include "charts/ChartModel.h"
#include "charts/DisplayMenuItems.h"
#include "charts/HistogramBins.h"
#include "charts/VariableRanges.h"
#include "history/HistoryModel.h"
#include "history/NewEntry.h"
#include "records/Change.h"
#include "records/Global.h"
#include "records/RecordView.h"

#include <rapidxml/rapidxml_print.hpp>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <sstream>
#include <string>

// The check before parsing as it was before it was made faster: both must give the same verdict
// on every input.
namespace reference {

constexpr int maxDepth = Xml::maxDepth;

bool isControl(unsigned long code)
{
    return code < 0x20 && code != '\t' && code != '\n' && code != '\r';
}

// Skips to just after the terminator, or to the end when it is missing (the parser then fails).
const char* skipPast(const char* from, const char* end, const char* terminator)
{
    size_t length = std::strlen(terminator);
    if (length == 1) {
        // Tags are short: a plain loop beats a call to memchr.
        while (from < end && *from != terminator[0])
            ++from;
        return from < end ? from + 1 : end;
    }
    for (const char* p = from; p + length <= end; ++p) {
        p = static_cast<const char*>(std::memchr(p, terminator[0], size_t(end - p)));
        if (!p || p + length > end)
            break;
        if (!std::memcmp(p, terminator, length))
            return p + length;
    }
    return end;
}

bool startsWith(const char* p, const char* end, const char* prefix)
{
    size_t length = std::strlen(prefix);
    return size_t(end - p) >= length && !std::memcmp(p, prefix, length);
}

// The code of a character reference as the parser computes it: it takes the hexadecimal digits
// in decimal references too, and wraps on overflow.
unsigned long referencedCode(const char* p, const char* end)
{
    unsigned long base = p < end && *p == 'x' ? 16 : 10;
    unsigned long code = 0;
    for (p += base == 16; p < end && std::isxdigit(static_cast<unsigned char>(*p)); ++p)
        code = code * base + unsigned(std::isdigit(static_cast<unsigned char>(*p)) ? *p - '0' : std::tolower(*p) - 'a' + 10);
    return code;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

const char* skipSpace(const char* p, const char* end)
{
    while (p < end && isSpace(*p))
        ++p;
    return p;
}

// Reads a start tag from just after its '<' the way the parser does, counting an element that
// is not empty into depth. Returns where the tag ends, or null where the parser would fail.
const char* endOfStartTag(const char* p, const char* end, int& depth)
{
    // The parser's classes of characters: 1 in a name, 2 in an attribute's name as well.
    static const auto classes = [] {
        std::array<unsigned char, 256> table{};
        for (unsigned c = 1; c < 256; ++c) {
            bool name = !isSpace(char(c)) && c != '/' && c != '>' && c != '?';
            table[c] = name ? (c != '<' && c != '=' && c != '!' ? 3 : 1) : 0;
        }
        return table;
    }();
    auto is = [&](const char* at, unsigned kind) { return at < end && (classes[static_cast<unsigned char>(*at)] & kind); };
    const char* name = p;
    while (is(p, 1))
        ++p;
    if (p == name)
        return nullptr;
    for (p = skipSpace(p, end); is(p, 2);) {
        while (is(p, 2))
            ++p;
        p = skipSpace(p, end);
        if (p == end || *p != '=')
            return nullptr;
        p = skipSpace(p + 1, end);
        if (p == end || (*p != '"' && *p != '\''))
            return nullptr;
        p = static_cast<const char*>(std::memchr(p + 1, *p, size_t(end - p - 1)));
        if (!p)
            return nullptr;
        p = skipSpace(p + 1, end);
    }
    if (p < end && *p == '>') {
        ++depth;
        return p + 1;
    }
    return p + 1 < end && p[0] == '/' && p[1] == '>' ? p + 2 : nullptr;
}


bool hasControl(const char* text, size_t size)
{
    // Sixteen bytes at a time: a whole record is checked on every load.
    typedef unsigned char Bytes __attribute__((vector_size(16)));
    Bytes found = {};
    size_t i = 0;
    for (; i + sizeof(Bytes) <= size; i += sizeof(Bytes)) {
        Bytes c;
        std::memcpy(&c, text + i, sizeof c);
        found |= Bytes((c < 0x20) & (c != '\t') & (c != '\n') & (c != '\r'));
    }
    bool any = false;
    for (size_t k = 0; k < sizeof(Bytes); ++k)
        any |= found[k] != 0;
    for (; i < size; ++i)
        any |= isControl(static_cast<unsigned char>(text[i]));
    return any;
}

std::string damageIn(const char* text, size_t size)
{
    if (!size)
        return "";
    const char* end = text + size;
    if (hasControl(text, size))
        return "it holds a control character";
    for (const char* p = text; (p = static_cast<const char*>(std::memchr(p, '&', size_t(end - p)))); ++p)
        if (p + 1 < end && p[1] == '#' && isControl(referencedCode(p + 2, end)))
            return "it holds a reference to a control character";

    // The nesting as the parser sees it: markup that cannot hold elements is skipped as it skips it.
    int depth = 0;
    for (const char* p = text; p < end; ++p) {
        if (!(p = static_cast<const char*>(std::memchr(p, '<', size_t(end - p)))))
            break;
        char next = p + 1 < end ? p[1] : '\0';
        if (next == '/') {
            --depth;
            p = skipPast(p + 2, end, ">");
        } else if (next == '?') {
            // A declaration is kept and written back: only in front, and saying something, does it
            // read back as it was.
            if (end - p > 5 && std::tolower(p[2]) == 'x' && std::tolower(p[3]) == 'm' && std::tolower(p[4]) == 'l' &&
                isSpace(p[5]) && (p != text + std::strspn(text, "\xEF\xBB\xBF \t\r\n") ||
                                  startsWith(skipSpace(p + 5, end), end, "?>")))
                return "it has an XML declaration out of place or without attributes";
            p = skipPast(p + 2, end, "?>");
        } else if (next == '!') {
            p = startsWith(p, end, "<!--") ? skipPast(p + 4, end, "-->")
                : startsWith(p, end, "<![CDATA[") ? skipPast(p + 9, end, "]]>")
                : skipPast(p + 2, end, ">");
        } else if (!(p = endOfStartTag(p + 1, end, depth))) {
            return ""; // the parser stops at the same place, with an error
        } else if (depth > maxDepth) {
            return "its elements are nested more than " + std::to_string(maxDepth) + " deep";
        }
        --p; // at the end of the markup, which the loop steps past
    }
    return "";
}

}

namespace {

class Silent : public Prompt::Handler {
public:
    void alert(const std::string&) override {}
    int choice(const std::string&, const char*, const char*, const char*) override { return 0; }
};

std::string printed(const XmlDocument& doc)
{
    std::string text;
    rapidxml::print(std::back_inserter(text), doc);
    return text;
}

void expect(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "%s\n", what);
        std::abort();
    }
}

// The parser reads a text of nothing but blanks as empty (a blank field and an empty one mean the
// same to the program); the comparison below allows for that and nothing else.
void emptyBlankTexts(XmlNode* node)
{
    const char* value = node->value();
    if (node->type() == rapidxml::node_element && *value && !value[std::strspn(value, " \t\r\n")])
        node->value("");
    for (XmlNode* child = node->first_node(); child; child = child->next_sibling())
        emptyBlankTexts(child);
}

// What saveFile would write of the document parses again, to the same text.
void expectReadsBack(const XmlDocument& doc, const char* root)
{
    std::string text = printed(doc);
    FileBytes buffer(text.begin(), text.end());
    std::unique_ptr<XmlDocument> again;
    std::string damage = Global::parse(buffer, root, again);
    expect(damage.empty(), ("a written file does not load: " + damage).c_str());
    if (printed(*again) == text)
        return;
    XmlDocument copy;
    copy.clone_node(&doc, &copy);
    emptyBlankTexts(&copy);
    expect(printed(*again) == printed(copy), "a written file reads back differently");
}

// The check before parsing lets nothing through that nests deeper than the limit.
int depthOf(const XmlNode* node)
{
    int deepest = 0;
    for (const XmlNode* child = node->first_node(); child; child = child->next_sibling())
        deepest = std::max(deepest, depthOf(child));
    return node->type() == rapidxml::node_element ? deepest + 1 : deepest;
}

bool load(const char* begin, const char* end, const char* root, std::unique_ptr<XmlDocument>& doc,
          FileBytes& buffer)
{
    FileBytes text(begin, end);
    if (!Global::parse(text, root, doc).empty())
        return false;
    buffer.swap(text);
    expect(depthOf(doc.get()) <= Xml::maxDepth, "a document deeper than the limit was parsed");
    expectReadsBack(*doc, root);
    return true;
}

// Every reader of the records, as the panels call them. Readers added to the program go here too.
void walkDirectory()
{
    Global::directoryProblems();
    XmlNode* place = nullptr;
    Global::getNewId(&place);
    for (const RecordView::UserLine& line : RecordView::userLines())
        Global::findNodeWithId(Xml::attribute(line.patient, "id"));
}

void walkRecord()
{
    RecordView::infoLines();
    for (const char* tab : {"Vitals", "Lab", "Medicine"})
        for (const char* name : RecordView::tabItems(tab)) {
            Global::findVariableNode(name);
            double low, high;
            char lowText[Global::rangeTextSize], highText[Global::rangeTextSize];
            for (const char* kind : {"normal", "panic"})
                Global::findRange(name, kind, low, high, lowText, highText);
        }
}

// Every series the display menus offer, charted four at a time in every display and time range.
void walkCharts()
{
    std::ostringstream errors;
    ChartModel model;
    for (const DisplayMenuItem& item : DisplayMenuItems::build(Global::userDoc.get())) {
        if (item.menu != DisplayMenuItem::Multi)
            continue;
        std::string label = item.path.substr(item.path.rfind('/') + 1);
        if (model.seriesCount == 4)
            model.dropVar(model.series.front().name.c_str());
        model.addSeries(ChartSeries::fromEntries(item.variable, label, item.key, errors));
        for (int type : {ChartModel::MultiDisplay, ChartModel::NormalRange, ChartModel::Analysis})
            for (int mode = 0; mode < 6; ++mode) {
                model.displayType = type;
                model.timeMode = mode;
                model.update();
                for (size_t i = 0; i < model.visibleSeries.size(); ++i) {
                    const VisibleSeries& shown = model.visibleSeries[i];
                    for (const ChartPoint& point : shown) {
                        model.timeToX(point, 0, 1000);
                        model.valueToY(i, point.value, 700, 0);
                    }
                    HistogramBins::count(shown.begin(), shown.end(), 300, 200);
                }
            }
    }
}

// Every variable's history table as its window builds it, sorted by every column both ways, with
// the cells' colours and the editor's texts; each row's own texts pass its cell checks.
void walkHistory()
{
    std::ostringstream errors;
    for (const char* name : RecordView::tabItems("Vitals")) {
        HistoryModel model(name);
        model.loadData(errors);
        for (int column = 0; column < model.deleteColumn(); ++column)
            for (bool reverse : {false, true})
                model.sortColumn(column, reverse);
        for (int row = 0; row < int(model.rows.size()) && row < 50; ++row)
            for (int column = 0; column < model.firstConditionColumn; ++column) {
                std::string out;
                if (column >= 2)
                    model.colourOf(model.rows[size_t(row)], column);
                model.formatCell(row, column, model.editText(row, column).c_str(), out);
            }
    }
}

// An edit of the information, a new entry and new ranges, and their undo, leave the record as it
// was, and writable.
void editAndUndo()
{
    XmlNode* info = Xml::child(Global::userDoc.get(), "patient", "info");
    if (!info)
        return;
    std::string before = printed(*Global::userDoc);
    Change change;
    change.setText(*Global::userDoc, info, "race", "<&\"'>");
    change.setAttribute(*Global::userDoc, Global::userDoc->first_node("patient"), "id", "7");
    for (const char* name : RecordView::tabItems("Vitals")) {
        NewEntry entry;
        entry.date = "1/5/2012";
        entry.time = "9:05:00 AM";
        entry.fields = {{"Value", "72"}, {"Systolic", "120"}};
        entry.conditions = {"c2"};
        if (entry.check(name) > 0)
            entry.insert(*Global::userDoc, name, change);
        std::vector<std::string> bounds(4 * VariableRanges::memberCount(name), "1");
        if (XmlNode* variable = Global::findVariableNode(name))
            VariableRanges::write(*Global::userDoc, variable, name, bounds, change);
    }
    expectReadsBack(*Global::userDoc, "patient");
    change.undo();
    expect(printed(*Global::userDoc) == before, "an undone change left the record changed");
}

}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static Silent silent;
    Prompt::setHandler(&silent);
    Trace::setThreshold(0);
    Global::init();
    Global::userOpen = true;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* begin = reinterpret_cast<const char*>(data);
    const char* end = begin + size;
    const char* separator = "\n----\n";
    const char* split = std::search(begin, end, separator, separator + std::strlen(separator));
    const char* record = split == end ? begin : split + std::strlen(separator);
    for (const std::string& text : {std::string(begin, end), std::string(begin, split), std::string(record, end)})
        expect(Xml::damageIn(text.data(), text.size()) == reference::damageIn(text.data(), text.size()),
               "the check before parsing gives another verdict than before");
    for (const std::string& text : {std::string(begin, end), std::string(begin, split), std::string(record, end)})
        expect(Xml::damageIn(text.data(), text.size()) == Xml::stepwiseDamageIn(text.data(), text.size()),
               "the check before parsing and its stepwise form disagree");
    if (load(begin, split, "config", Global::configDoc, Global::configBuffer))
        walkDirectory();
    if (load(record, end, "patient", Global::userDoc, Global::userBuffer)) {
        walkRecord();
        walkCharts();
        walkHistory();
        editAndUndo();
    }
    return 0;
}
