// Fuzz target: a directory file and a user record are loaded and read the way the panels read
// them, and what the program would write of them must load again. The input is the directory,
// then a line "----", then the record; without that line the whole input serves as both.
#include "app/Prompt.h"
#include "app/Trace.h"
#include "charts/core/ChartModel.h"
#include "charts/core/DisplayMenuItems.h"
#include "charts/core/HistogramBins.h"
#include "charts/core/VariableRanges.h"
#include "fuzz/FuzzSupport.h"
#include "history/core/HistoryModel.h"
#include "history/core/NewEntry.h"
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
#include <vector>

namespace {

using fuzz::expect;
using fuzz::printed;

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

// CDATA anywhere, or text beside child elements.
bool hasTextTheFastParseSkips(const XmlNode* node)
{
    bool texts = false, elements = false;
    for (const XmlNode* child = node->first_node(); child; child = child->next_sibling()) {
        if (child->type() == rapidxml::node_cdata || hasTextTheFastParseSkips(child))
            return true;
        texts |= child->type() == rapidxml::node_data;
        elements |= child->type() == rapidxml::node_element;
    }
    return texts && elements;
}

// A text the damage check calls plain is parsed without text nodes: it must hold nothing that
// they would keep.
void expectPlainIsPlain(const char* begin, const char* end)
{
    bool plain = false;
    if (!Xml::damageIn(begin, size_t(end - begin), &plain).empty() || !plain)
        return;
    std::vector<char> text(begin, end);
    text.push_back('\0');
    XmlDocument doc;
    try {
        doc.parse<rapidxml::parse_declaration_node | rapidxml::parse_validate_closing_tags>(text.data());
    } catch (const rapidxml::parse_error&) {
        return;
    }
    expect(!hasTextTheFastParseSkips(&doc), "a text called plain holds CDATA or text beside elements");
}

bool load(const char* begin, const char* end, const char* root, std::unique_ptr<XmlDocument>& doc,
          FileBytes& buffer)
{
    expectPlainIsPlain(begin, end);
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
        if (model.seriesCount() == 4)
            model.dropVar(model.series.front().name.c_str());
        model.addSeries(ChartSeries::fromEntries(item.variable, item.name, item.key, errors));
        for (int type : {ChartModel::MultiDisplay, ChartModel::NormalRange, ChartModel::Analysis})
            for (int mode = 0; mode < 6; ++mode) {
                model.setDisplayType(type);
                model.setTimeMode(mode);
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
                    model.rangeOf(model.rows[size_t(row)], column);
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
        if (entry.check(name) == NewEntry::Check::Ready)
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
    fuzz::prepareStore();
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
