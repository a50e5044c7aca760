#include "app/Trace.h"
#include "history/core/HistoryModel.h"
#include "history/core/NewEntry.h"
#include "records/Change.h"
#include "records/Global.h"
#include "records/NumberText.h"
#include "tests/common/ChartRecord.h"
#include "tests/common/ClockChange.h"
#include "tests/common/TestFolder.h"

#include <rapidxml/rapidxml_print.hpp>

#include <cmath>
#include <sstream>

namespace {

// What the entry dialog holds once the values are typed, on a fixed evening.
NewEntry typedOn9pm(const std::vector<NewEntry::Field>& fields)
{
    NewEntry entry;
    entry.date = "1/5/2012";
    entry.time = "9:05:00 pm";
    entry.fields = fields;
    return entry;
}

class HistoryTest : public StoreFixture {
protected:
    HistoryModel load(const char* name)
    {
        HistoryModel model(name);
        model.loadData(errors);
        return model;
    }
    static std::string printed(const XmlNode* node) { return ::printed(*node, rapidxml::print_no_indenting); }
    static std::string column(const HistoryModel& model, size_t c)
    {
        std::string texts;
        for (const HistoryRow& row : model.rows)
            texts += (texts.empty() ? "" : " ") + (row.cells[c].empty() ? "-" : row.cells[c]);
        return texts;
    }
    static std::string pulse(const std::string& entries) { return ChartRecord::bounded("Pulse", entries); }
    std::ostringstream errors;
};

TEST_F(HistoryTest, ANewEntryIsWrittenInOrderWithTheNextId)
{
    openRecord(ChartRecord::variableOf("Blood Pressure", "<entry id=\"0\"/><entry id=\"5\"/>"));
    const NewEntry::Check ready = NewEntry::Check::Ready, unread = NewEntry::Check::ValueUnreadable;
    const struct {
        const char* variable;
        std::vector<NewEntry::Field> fields;
        NewEntry::Check result;
        size_t stored; // values
        const char* entry; // in the variable written, or null when nothing is written
    } cases[] = {
        {"Blood Pressure", {{"Systolic", "120"}, {"Diastolic", "80"}}, ready, 2,
         "<entry id=\"6\"><systolic>120.000000</systolic><diastolic>80.000000</diastolic><date>1/5/2012</date>"
         "<time>9:05:00 pm</time><conditions><c2/></conditions></entry>"},
        {"Blood Pressure", {{"Systolic", " 98.6"}, {"Diastolic", ""}}, ready, 1, "<entry id=\"6\"><systolic>98.600000</systolic><date>"},
        // Text that is not one number is refused, not cut to its leading digits or skipped.
        {"Blood Pressure", {{"Systolic", "1e999"}, {"Diastolic", "  "}}, unread, 0, "Systolic"},
        {"Blood Pressure", {{"Systolic", "120/80"}, {"Diastolic", ""}}, unread, 0, "Systolic"},
        {"Mood", {{"Value", "9x"}}, unread, 0, "Mood"},
        {"Blood Pressure", {{"Systolic", ""}, {"Diastolic", ""}}, NewEntry::Check::NothingToRecord, 0, nullptr},
        // A variable the record lacks is made, its first entry numbered 0.
        {"Mood", {{"Value", "7"}}, ready, 1, "<variable name=\"Mood\"><entry id=\"0\"><value>7.000000</value><date>"},
    };
    for (const auto& c : cases) {
        NewEntry entry = typedOn9pm(c.fields);
        entry.conditions = {"c2"};
        ASSERT_EQ(entry.check(c.variable), c.result) << c.fields[0].text;
        if (c.result == unread) {
            EXPECT_EQ(entry.unreadable, c.entry);
        }
        if (c.result != ready)
            continue;
        EXPECT_EQ(entry.points.size(), c.stored);
        Change change;
        std::string variable = printed(entry.insert(*Global::userDoc, c.variable, change)->parent());
        EXPECT_NE(variable.find(c.entry), std::string::npos) << variable;
        EXPECT_EQ(entry.points[0].series, c.fields.size() == 1 ? c.variable : "Systolic");
        change.undo();
    }
    // The identifier of a deleted last entry is given again.
    ASSERT_TRUE(load("Blood Pressure").deleteRow(1));
    EXPECT_EQ(NewEntry::nextId(Global::findVariableNode("Blood Pressure")), "1");
}

// What a person types into the entry dialog: one plain decimal number within what its vital can be.
// An impossible value is refused naming the limits; an unlikely one is recorded only after a question.
TEST_F(HistoryTest, TypedValuesKeepToWhatTheirVitalCanBe)
{
    const NewEntry::Check refused = NewEntry::Check::ValueImpossible, unread = NewEntry::Check::ValueUnreadable,
                          ready = NewEntry::Check::Ready;
    const struct {
        const char* variable;
        std::vector<NewEntry::Field> fields;
        NewEntry::Check code;
        size_t values; // when ready
        const char* said; // in the refusal, the unreadable label or the question; "" asks nothing
    } cases[] = {
        {"Heart Rate", {{"Value", "0"}}, refused, 0, "Heart Rate, 0 beats/min, is not possible: it must lie between 1 and 350 beats/min."},
        {"Heart Rate", {{"Value", "9999999"}}, refused, 0, "between 1 and 350 beats/min"},
        {"Heart Rate", {{"Value", "25"}}, ready, 1, "Heart Rate, 25 beats/min, is unusual: most readings lie between 30 and 220 beats/min."},
        {"Pulse", {{"Value", "+72."}}, ready, 1, ""},
        {"Heart Rate", {{"Value", "0x10"}}, unread, 0, "Heart Rate"},
        {"Heart Rate", {{"Value", "5e"}}, unread, 0, "Heart Rate"},
        {"Mood", {{"Value", "99"}}, refused, 0, "Mood, 99, is not possible: it must lie between 1 and 10."},
        {"Mood", {{"Value", "0"}}, refused, 0, "between 1 and 10"},
        {"Mood", {{"Value", "-3"}}, refused, 0, "between 1 and 10"},
        {"Mood", {{"Value", "10"}}, ready, 1, ""},
        {"Blood Pressure", {{"Systolic", "1330"}, {"Diastolic", "82"}}, refused, 0, "Systolic, 1330 mmHg, is not possible"},
        {"Blood Pressure", {{"Systolic", "270"}, {"Diastolic", "82"}}, ready, 2, "Systolic, 270 mmHg, is unusual: most readings lie between 60 and 260 mmHg."},
        {"Blood Pressure", {{"Systolic", "133"}, {"Diastolic", "82"}}, ready, 2, ""},
        {"Blood Pressure", {{"Systolic", "120"}, {"Diastolic", "120"}}, ready, 2, "The Diastolic of 120 mmHg is not below the Systolic of 120 mmHg of the same reading."},
        {"Blood Pressure", {{"Systolic", "401"}, {"Diastolic", "500"}}, refused, 0, "between 10 and 400 mmHg.\nThe value you entered for Diastolic, 500 mmHg"},
        {"Blood Pressure", {{"Systolic", ""}, {"Diastolic", "4"}}, refused, 0, "between 5 and 300 mmHg"},
        {"Temperature", {{"Value", "98.6"}}, ready, 1, ""},
        {"Temperature", {{"Value", "37"}}, refused, 0, "between 50 and 120 \u00B0F"},
        {"Temperature", {{"Value", "89.5"}}, ready, 1, "between 90 and 108 \u00B0F"},
        {"SpO2", {{"Value", "101"}}, refused, 0, "between 1 and 100 %"},
        {"SpO2", {{"Value", "65"}}, ready, 1, "between 70 and 100 %"},
        {"Blood Sugar", {{"Fasting", "2001"}, {"Postprandial", ""}}, refused, 0, "Fasting, 2001 mg/dL"},
        {"Blood Sugar", {{"Fasting", "25"}, {"Postprandial", "650"}}, ready, 2,
         "Fasting, 25 mg/dL, is unusual: most readings lie between 30 and 600 mg/dL.\nThe value you entered for Postprandial, 650"},
        // A variable added to a record by hand keeps the plain number check.
        {"Weight", {{"Value", "9999999"}}, ready, 1, ""},
    };
    for (const auto& c : cases) {
        NewEntry entry = typedOn9pm(c.fields);
        ASSERT_EQ(entry.check(c.variable), c.code) << c.variable << " " << c.fields[0].text;
        if (c.code == ready) {
            EXPECT_EQ(entry.points.size(), c.values) << c.variable;
        }
        const std::string& said = c.code == refused ? entry.refusal : c.code == unread ? entry.unreadable : entry.question;
        EXPECT_TRUE(*c.said ? said.find(c.said) != std::string::npos : said.empty()) << said;
    }
}

// The history table's editor judges a value with the other value of the same entry; stored values
// outside the limits are shown and compared, never refused.
TEST_F(HistoryTest, EditedValuesAreJudgedWithTheirEntry)
{
    openRecord(ChartRecord::variableOf(
        "Blood Pressure", ChartRecord::entry("1/5/2012", "09:05:00 AM", "<systolic>133</systolic><diastolic>82</diastolic>") +
                              ChartRecord::entry("1/6/2012", "09:05:00 AM", "<systolic>2000</systolic>")));
    HistoryModel model = load("Blood Pressure");
    const struct {
        int row, column;
        const char* text;
        ReadingLimits::Verdict verdict;
    } cases[] = {
        {0, 2, "1330", ReadingLimits::Impossible}, {0, 2, "80", ReadingLimits::Unlikely},
        {0, 3, "140", ReadingLimits::Unlikely},  {0, 2, "500", ReadingLimits::Impossible},
        {0, 2, "120", ReadingLimits::Likely},    {0, 0, "1/5/2012", ReadingLimits::Likely},
        {1, 3, "80", ReadingLimits::Likely},     {1, 2, "abc", ReadingLimits::Likely},
    };
    for (const auto& c : cases) {
        std::string message;
        EXPECT_EQ(model.judgeCell(c.row, c.column, c.text, message), c.verdict) << c.column << " " << c.text;
        EXPECT_EQ(message.empty(), c.verdict == ReadingLimits::Likely) << message;
    }
    EXPECT_EQ(model.rows[1].cells[2], "2000.0");
}

TEST_F(HistoryTest, ColumnsRowsAndColoursFollowTheVariable)
{
    const std::string sugar = "<variable name=\"Blood Sugar\"><normalLow><fasting>70</fasting><postprandial>80"
                              "</postprandial></normalLow><normalHigh><fasting>99</fasting><postprandial>140"
                              "</postprandial></normalHigh><panicLow/><panicHigh/>" +
                              ChartRecord::entry("1/5/2012", "12:15:00 AM", "<fasting>100</fasting>") +
                              ChartRecord::entry("1/5/2012", "01:00:00 PM", "<postprandial>36.66</postprandial>") +
                              "</variable>";
    openRecord(sugar + ChartRecord::variableOf("Blood Pressure", "") +
         pulse(ChartRecord::entry("1/6/2012", "1:00:00 AM", "<value>100</value>") + "<entry id=\"9\"/>"));
    HistoryModel bp = load("Blood Pressure");
    EXPECT_EQ(bp.columnTitles[3] + " " + bp.columnTitles[4] + " " + bp.columnTitles.back(), "Diastolic Moderate workout Delete");
    HistoryModel bs = load("Blood Sugar");
    EXPECT_EQ(bs.elementNames, (std::vector<std::string>{"date", "time", "fasting", "postprandial"}));
    EXPECT_EQ(column(bs, 2) + " | " + column(bs, 3), "100.0 - | - 36.7");
    // Each member against its own stored bounds; the panic bounds fall back to the defaults.
    EXPECT_EQ(bs.rangeOf(bs.rows[0], 2), RangeClass::High);
    EXPECT_EQ(bs.columnRanges[1], (Ranges{80, 140, 60, 200}));
    EXPECT_EQ(bs.rangeOf(bs.rows[1], 3), RangeClass::PanicLow);
    HistoryModel p = load("Pulse");
    EXPECT_EQ(p.columnTitles[2], "Pulse");
    EXPECT_EQ(column(p, 0) + " " + column(p, 2), "1/6/2012 - 100.0 -");
    EXPECT_NE(errors.str().find("attribute date of entry id=9 for variable Pulse is missing."), std::string::npos);
    EXPECT_EQ(errors.str().find("attribute value"), std::string::npos) << "values are optional";
    const std::pair<double, RangeClass> colours[] = {{100, RangeClass::Normal}, {100.5, RangeClass::High},
                                                     {121, RangeClass::PanicHigh}, {59, RangeClass::Low},
                                                     {39, RangeClass::PanicLow}, {60, RangeClass::Normal}};
    // A histogram bar of one reading takes the class the table gives that reading.
    for (const auto& [value, colour] : colours) {
        EXPECT_EQ(p.columnRanges[0].classify(value), colour) << value;
        EXPECT_EQ(p.columnRanges[0].classify(value, value), colour) << value;
    }
    // A variable without any range (none stored, no default) is not shown as panic high throughout.
    EXPECT_EQ((Ranges{0, 0, 0, 0}.classify(72)), RangeClass::Unranged);
    EXPECT_EQ((Ranges{0, 0, 40, 60}.classify(72)), RangeClass::PanicHigh);
}

TEST_F(HistoryTest, SortingIsStableByEveryColumnBothWays)
{
    std::string entries;
    const char* rows[][4] = {{"1/2/2012", "08:00:00 AM", "70", "<c1/>"}, {"1/1/2012", "09:00:00 PM", "80", ""},
                             {"1/3/2012", "12:30:00 AM", "70", "<c1/>"}, {"12/31/2011", "08:00:00 AM", "75", ""}};
    for (auto& r : rows)
        entries += "<entry><value>" + std::string(r[2]) + "</value><date>" + r[0] + "</date><time>" + r[1] +
                   "</time><conditions>" + r[3] + "</conditions></entry>";
    openRecord(pulse(entries));
    HistoryModel model = load("Pulse");
    const struct {
        int column;
        bool reverse;
        const char* dates;
    } cases[] = {
        {0, false, "12/31/2011 1/1/2012 1/2/2012 1/3/2012"}, {0, true, "1/3/2012 1/2/2012 1/1/2012 12/31/2011"},
        {1, false, "1/3/2012 1/2/2012 12/31/2011 1/1/2012"}, {2, false, "1/3/2012 1/2/2012 12/31/2011 1/1/2012"},
        {2, true, "1/1/2012 12/31/2011 1/3/2012 1/2/2012"},  {4, false, "1/1/2012 12/31/2011 1/3/2012 1/2/2012"},
        {4, true, "1/3/2012 1/2/2012 1/1/2012 12/31/2011"},  {3, false, "1/3/2012 1/2/2012 1/1/2012 12/31/2011"},
    };
    for (const auto& c : cases) {
        model.sortColumn(c.column, c.reverse);
        EXPECT_EQ(column(model, 0), c.dates) << c.column << (c.reverse ? " down" : " up");
    }
}

// A time the clock skips on the row's day is refused, whether the time or the date is edited.
TEST_F(HistoryTest, EditsIntoTheSkippedIntervalAreRefused)
{
    for (const char* name : zonesWithClockChanges()) {
        ZoneScope zone(name);
        ASSERT_EQ(clockChanges(2026).size(), 2u) << name;
        const ClockChange f = clockChange(2026, true);
        openRecord(pulse(ChartRecord::entry(f.date(), f.middle(), "<value>70</value>") +
                         ChartRecord::entry(f.date(1), f.middle(), "<value>71</value>")));
        HistoryModel model = load("Pulse");
        std::string out;
        EXPECT_EQ(model.formatCell(0, 1, f.time(0).c_str(), out), HistoryModel::Format::NotOnTheClock) << name;
        EXPECT_EQ(model.formatCell(0, 1, f.time(-1).c_str(), out), HistoryModel::Format::Valid) << name;
        EXPECT_EQ(model.formatCell(0, 1, f.time(f.shift / 60).c_str(), out), HistoryModel::Format::Valid) << name;
        const int later = model.rows[0].cells[0] == f.date() ? 1 : 0;
        EXPECT_EQ(model.formatCell(later, 0, f.date().c_str(), out), HistoryModel::Format::NotOnTheClock) << name;
        EXPECT_EQ(model.formatCell(later, 0, f.date(2).c_str(), out), HistoryModel::Format::Valid) << name;
    }
}

TEST_F(HistoryTest, EditedCellsAreCheckedAndWrittenInTheirStandardForm)
{
    openRecord(pulse(ChartRecord::entry("3/8/2026", "02:30:00 PM", "<value>98.600000</value>") + "<entry><date>1/5/2012</date></entry>"));
    HistoryModel model = load("Pulse");
    using F = HistoryModel::Format;
    const F valid = F::Valid, unread = F::Unreadable, notAmPm = F::NotAmPm, notOnClock = F::NotOnTheClock;
    const struct {
        int column;
        const char* text;
        HistoryModel::Format code;
        const char* out;
    } cases[] = {
        {0, "1/5/2012", valid, "01/05/2012"}, {0, "1/5/1960", valid, "01/05/1960"}, {0, "2/30/2012", notOnClock, ""},
        {0, "01/05/12", notOnClock, ""},         {0, "abc", unread, ""},               {1, "9:5:0 pm", valid, "09:05:00 PM"},
        {1, "12:00:00 am", valid, "12:00:00 AM"}, {1, "9:05:00", unread, ""},      {1, "9:05:00 xm", notAmPm, ""},
        {1, "13:00:00 AM", notOnClock, ""},      {2, "98.6", valid, "98.600000"},     {2, "1e999", unread, ""},
        {2, "  ", unread, ""},               {2, "9x", unread, ""},               {2, " 98.6 ", valid, "98.600000"},
        {1, "0:00:00 PM", notOnClock, ""},       {2, "0x10", unread, ""},             {2, "5e", unread, ""},
        {2, "-.5", valid, "-0.500000"},
    };
    for (const auto& c : cases) {
        std::string out;
        EXPECT_EQ(model.formatCell(0, c.column, c.text, out), c.code) << c.text;
        EXPECT_EQ(c.code != valid ? "" : out, c.out) << c.text;
    }
    std::string out;

    // Confirming the stored value unchanged writes nothing; the editor starts at full precision.
    std::string before = folder.read("user0.hma");
    EXPECT_EQ(model.editText(0, 2), "98.6");
    EXPECT_EQ(model.commitEdit(0, 2, "98.6"), HistoryModel::Unchanged);
    EXPECT_EQ(folder.read("user0.hma"), before);
    EXPECT_EQ(model.commitEdit(0, 2, "abc"), HistoryModel::Refused);
    EXPECT_EQ(model.commitEdit(0, 2, "98.64"), HistoryModel::Saved);
    EXPECT_EQ(model.commitEdit(0, 0, "1/5/1960"), HistoryModel::Saved);
    EXPECT_EQ(model.rows[0].cells[2] + " " + model.rows[0].cells[0], "98.6 01/05/1960");
    EXPECT_LT(model.rows[0].when, 0);
    EXPECT_EQ(model.commitEdit(1, 2, "72"), HistoryModel::Saved);
    std::string saved = folder.read("user0.hma");
    EXPECT_NE(saved.find("<value>98.640000</value>\n\t\t\t<date>01/05/1960</date>"), std::string::npos);
    EXPECT_NE(saved.find("<date>1/5/2012</date>\n\t\t\t<value>72.000000</value>"), std::string::npos);
}

TEST_F(HistoryTest, ConditionsAndDeletionsAreSavedOrUndone)
{
    openRecord(pulse("<entry id=\"0\"><value>70</value></entry>" + ChartRecord::entry("1/5/2012", "1:00:00 AM", "")));
    HistoryModel model = load("Pulse");
    ASSERT_TRUE(model.toggleCondition(0, 1, errors));
    EXPECT_NE(folder.read("user0.hma").find("<value>70</value>\n\t\t\t<conditions>\n\t\t\t\t<c1/>"), std::string::npos);
    ASSERT_TRUE(model.toggleCondition(0, 1, errors));
    EXPECT_NE(folder.read("user0.hma").find("<value>70</value>\n\t\t\t<conditions/>"), std::string::npos);

    // A save that fails leaves the flag, the row and the record as they were.
    std::string before = folder.read("user0.hma");
    Global::dataFolder = folder.path() + "gone/";
    EXPECT_FALSE(model.toggleCondition(1, 4, errors));
    EXPECT_FALSE(model.rows[1].conditions[4]);
    EXPECT_FALSE(model.deleteRow(0));
    EXPECT_EQ(model.commitEdit(1, 2, "75"), HistoryModel::NotSaved);
    EXPECT_EQ(model.rows.size(), 2u);
    EXPECT_EQ(prompt.alerts.size(), 3u);
    Global::dataFolder = folder.path();
    ASSERT_TRUE(model.deleteRow(0));
    EXPECT_EQ(load("Pulse").rows.size(), 1u);
    EXPECT_EQ(folder.read("user0.hma").find("<value>70</value>"), std::string::npos);
    EXPECT_EQ(folder.read("user0.hma").find("c4"), std::string::npos);
}

// The monkey test reads from the trace which readings went on purpose; only saved changes count.
TEST_F(HistoryTest, DeletionsAndEditsAreTracedWithTheirEntry)
{
    openRecord(pulse("<entry id=\"3\"><value>70</value><date>01/05/2012</date><time>01:00:00 AM</time></entry>"
                     "<entry id=\"4\"><value>71</value><date>01/06/2012</date><time>02:00:00 AM</time></entry>"));
    HistoryModel model = load("Pulse");
    char* text = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    Trace::redirect(out);
    Global::dataFolder = folder.path() + "gone/";
    EXPECT_FALSE(model.deleteRow(0));
    Global::dataFolder = folder.path();
    EXPECT_EQ(model.commitEdit(1, 0, "1/7/2012"), HistoryModel::Saved);
    EXPECT_TRUE(model.deleteRow(0));
    Trace::redirect(nullptr);
    std::fclose(out);
    const std::string traced(text, size);
    std::free(text);
    const std::string edited = "Edited entry: file user0.hma, variable Pulse, id 4, date 01/06/2012, time 02:00:00 AM; "
                               "date set to 01/07/2012\n";
    const std::string deleted = "Deleted entry: file user0.hma, variable Pulse, id 3, date 01/05/2012, time 01:00:00 AM\n";
    EXPECT_NE(traced.find(edited), std::string::npos) << traced;
    EXPECT_NE(traced.find(deleted), std::string::npos) << traced;
    EXPECT_EQ(traced.find("Deleted entry"), traced.rfind("Deleted entry")) << "the failed deletion is not traced";
}

// A value too long for its column or label, hand-edited into a record, shows in exponent form.
TEST_F(HistoryTest, HugeValuesShowInAFormThatFits)
{
    const struct {
        double value;
        int decimals;
        size_t maxChars;
        double step;
        const char* text;
    } cases[] = {
        {98.6, 1, 10, 0, "98.6"},         {-9999999.9, 1, 10, 0, "-9999999.9"}, {1e308, 1, 10, 0, "1.0e308"},
        {1e7, 0, 5, 2e6, "1.0e7"},       {-1.2e7, 0, 5, 2e6, "-1.2e7"},        {1.05e7, 0, 5, 5e5, "1.05e7"},
        {2.5e-5, 6, 5, 0, "2.5e-5"},     {-INFINITY, 1, 2, 0, "-inf"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NumberText::fitting(c.value, c.decimals, c.maxChars, c.step), c.text) << c.value;
    openRecord(pulse(ChartRecord::entry("1/6/2012", "1:00:00 AM", "<value>1e308</value>") +
                     ChartRecord::entry("1/7/2012", "1:00:00 AM", "<value>-1.5e12</value>") +
                     ChartRecord::entry("1/8/2012", "1:00:00 AM", "<value>10000000</value>")));
    EXPECT_EQ(column(load("Pulse"), 2), "1.0e308 -1.5e12 10000000.0");
}

}
