#include "history/core/CsvExport.h"
#include "history/core/CsvImport.h"
#include "records/Change.h"
#include "records/DateCheck.h"
#include "records/Global.h"
#include "tests/common/ChartRecord.h"
#include "tests/common/ClockChange.h"
#include "tests/common/TestFolder.h"

#include <algorithm>
#include <sstream>

namespace {

class CsvTest : public StoreFixture {
protected:
    static std::string entry(const char* id, const char* values, const char* date, const char* time, const char* conditions = "")
    {
        return std::string("<entry id=\"") + id + "\">" + values + "<date>" + date + "</date><time>" + time +
               "</time><conditions>" + conditions + "</conditions></entry>";
    }
    static std::string exported() { return CsvExport::write(Xml::child(Global::userDoc.get(), "patient")).text; }
    static std::vector<std::string> sortedLines(const std::string& text)
    {
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        std::sort(lines.begin(), lines.end());
        return lines;
    }
    static CsvImport::Preview read(const std::string& text, CsvImport::DayOrder order = CsvImport::DayOrder::Unknown)
    {
        return CsvImport::read(text.data(), text.size(), order);
    }
};

const char* const header = "date,time,variable,systolic,diastolic,fasting,postprandial,value,conditions\r\n";

TEST_F(CsvTest, ExportWritesEveryReadingOldestFirstWithItsStoredTexts)
{
    openRecord(ChartRecord::variableOf("Heart Rate", entry("0", "<value>72.500000</value>", "12/31/2025", "11:59:00 PM") +
                                                         entry("1", "<value>60.000000</value>", "soon, maybe", "noon")) +
               ChartRecord::variableOf("Blood Pressure",
                                       entry("0", "<systolic>120.000000</systolic><diastolic>80.000000</diastolic>",
                                             "1/5/2012", "09:05:07 AM", "<c2/><c3/>") +
                                       entry("1", "<systolic>130.250000</systolic>", "01/05/2012", "12:00:00 AM")));
    CsvExport::Result result = CsvExport::write(Xml::child(Global::userDoc.get(), "patient"));
    EXPECT_EQ(result.text, std::string(header) +
                               "2012-01-05,00:00:00,Blood Pressure,130.250000,,,,,\r\n"
                               "2012-01-05,09:05:07,Blood Pressure,120.000000,80.000000,,,,Resting|After meal\r\n"
                               "2025-12-31,23:59:00,Heart Rate,,,,,72.500000,\r\n"
                               "\"soon, maybe\",noon,Heart Rate,,,,,60.000000,\r\n");
    EXPECT_EQ(result.rows, 4u);
    EXPECT_EQ(result.unreadable, 1u);
    EXPECT_EQ(CsvExport::write(Xml::child(Global::userDoc.get(), "patient"), {"Heart Rate"}).rows, 2u);
}

TEST_F(CsvTest, ImportRefusesBadLinesWithTheirNumberAndReason)
{
    openRecord(ChartRecord::variableOf("Heart Rate", "") + ChartRecord::variableOf("Blood Pressure", ""));
    const struct {
        std::string text;
        size_t added;
        std::string note; // the first refused line, or the refusal of the whole file
    } cases[] = {
        {std::string(header) + "2024-02-30,10:00:00,Heart Rate,,,,,70,\r\n", 0, "line 2: the date 2024-02-30 does not exist."},
        {"date,time,variable,value\n1/5/2024,10:00,Heart Rate,70\n2/30/2024,10:00,Heart Rate,70\n1/13/2024,10:00,Heart Rate,70\n",
         2, "line 3: the date 2/30/2024 does not exist."},
        {"date,time,variable,value\n2024-01-05,10:00,Weight,70\n", 0, "line 2: no vital named 'Weight' in this record."},
        {"date,time,variable,value,conditions\n2024-01-05,10:00,Heart Rate,70,Sleeping\n", 0,
         "line 2: no condition named 'Sleeping' in the catalogue."},
        {"date,time,variable,value\n2024-01-05,10:00,Heart Rate,nan\n2024-01-05,10:00,Heart Rate,inf\n", 0,
         "line 2: the Heart Rate value is not a number."},
        {"date,time,variable,value\n2024-01-05,10:00,Heart Rate,1e999\n", 0, "line 2: the Heart Rate value is not a number."},
        {"date,time,variable,value\n2024-01-05,10:00,Heart Rate,10000000\n", 0,
         "line 2: The value for Heart Rate, 10000000 beats/min, is not possible: it must lie between 1 and 350 beats/min."},
        {"date,time,variable,value\n2024-01-05,10:00,Heart Rate\n2024-01-05,10:01,Heart Rate,70\n", 1,
         "line 2: 3 fields where the header has 4."},
        {"date,time,variable,value\n2024-01-05,25:00,Heart Rate,70\n", 0, "line 2: the time 25:00 does not exist."},
        {"date,time,variable,value\n1899-12-31,10:00,Heart Rate,70\n", 0, "line 2: the date 1899-12-31 is before 1900."},
        {"date,time,variable,value\n2024-01-05,10:00,Heart Rate,\"7\"0\"\n", 0,
         "line 2: a quote inside a field; a field that holds quotes must be quoted whole, with each of its quotes doubled."},
        {"date,time,variable,value\n2024-01-05,10:00,Heart Rate,70\n2024-01-06,10:00,\"Heart Rate,70\n", 0,
         "line 3: a quoted field that starts on this line is never closed."},
        {"", 0, "The file is empty."},
        {"date,time,variable,value\r\n", 0, "The file holds a header line and no readings."},
        {std::string("date,time\n2024\0-01-05,10:00\n", 27), 0, "line 2: a NUL byte: this is not a text file of readings."},
        {"date,time,date,value\n", 0, "line 1: the columns 'date' and 'date' both give the date."},
        {"Date,Time,Sys,Systolic\n", 0, "line 1: the columns 'Sys' and 'Systolic' both give the systolic."},
        {"date,time,weight\n", 0, "line 1: the column 'weight' is not a date, time, variable, value or condition that this program knows."},
        {"date,time,value\n", 0, "line 1: a 'value' column needs a 'variable' column that names its vital."},
        {"date,time,conditions\n", 0, "line 1: no column of the header holds the values of a vital."},
        {"\x7f" "ELF\x02\x01\x01\n", 0, "line 1: the column '\x7f" "ELF\x02\x01\x01' is not a date, time, variable, value or condition that this program knows."},
        // The variants of other loggers: BOM, semicolons and decimal commas, day first, AM/PM, one column for both.
        {"\xEF\xBB\xBF" "Date;Time;SYS;DIA;Pulse\r\n31.12.2024;7:05 PM;120;80;70,5\r\n", 2, ""},
        {"Date and time\tSys\tDia\n2024-01-05T09:05\t120\t80\n25/01/2024 9:06:30 am\t121\t81\n", 2, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        CsvImport::Preview preview = read(c.text);
        EXPECT_FALSE(preview.askDayOrder);
        EXPECT_EQ(preview.toAdd(false), c.added);
        EXPECT_EQ(!preview.refusal.empty() ? preview.refusal : preview.refused.empty() ? "" : preview.refused[0].text, c.note);
    }
}

// A refused line is counted and listed under the vital it names first, by its variable or by the
// header; a line that names no vital of the record is listed apart.
TEST_F(CsvTest, RefusedLinesAreCountedUnderTheVitalTheyName)
{
    openRecord(ChartRecord::variableOf("Heart Rate", ""));
    const struct {
        std::string text, summary;
    } cases[] = {
        {"date,time,variable,systolic,diastolic,value\n2024-01-05,10:00,Blood Pressure,120,80,\n"
         "2024-02-30,10:00,Blood Pressure,120,80,\n2024-01-05,10:00,Heart Rate,,,abc\n2024-01-05,10:00,Weight,,,70\n"
         "2024-01-05,10:00,Blood Pressure,120\n",
         "Blood Pressure: 1 reading to add, 0 already present, 2 lines refused.\n"
         "Heart Rate: 0 readings to add, 0 already present, 1 line refused.\n"
         "\nBlood Pressure, 2 lines refused:\nline 3: the date 2024-02-30 does not exist.\nline 6: 4 fields where the header has 6.\n"
         "\nHeart Rate, 1 line refused:\nline 4: the Heart Rate value is not a number.\n"
         "\n1 line refused that names no vital of this record:\nline 5: no vital named 'Weight' in this record.\n"},
        {"Date,Time,Sys,Dia,Pulse\n2024-13-01,10:00,120,80,70\n2024-01-01,10:00,,,\n",
         "Blood Pressure: 0 readings to add, 0 already present, 1 line refused.\nNo reading can be imported.\n"
         "\nBlood Pressure, 1 line refused:\nline 2: the date 2024-13-01 does not exist.\n"
         "\n1 line refused that names no vital of this record:\n"
         "line 3: no value on this line.\n"},
        {"date,time,variable,value\n2024-01-05,10:00,,70\n",
         "No reading can be imported.\n\n1 line refused:\nline 2: no variable is named.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(read(c.text).summary(false), c.summary);
    }
}

TEST_F(CsvTest, ImportAsksTheDayOrderAndListsUnlikelyReadings)
{
    openRecord(ChartRecord::variableOf("Heart Rate", ""));
    const std::string text = "date,time,variable,value\n1/5/2024,10:00,Heart Rate,250\n2/5/2024,10:00,Heart Rate,70\n";
    EXPECT_TRUE(read(text).askDayOrder);
    CsvImport::Preview preview = read(text, CsvImport::DayOrder::DayFirst);
    ASSERT_EQ(preview.readings.size(), 2u);
    EXPECT_EQ(DateCheck::dateText(preview.readings[1].year, preview.readings[1].month, preview.readings[1].day), "05/02/2024");
    EXPECT_EQ(preview.toAdd(false), 1u);
    EXPECT_EQ(preview.toAdd(true), 2u);
    ASSERT_EQ(preview.unlikely.size(), 1u);
    EXPECT_EQ(preview.unlikely[0].line, 2u);
    EXPECT_EQ(preview.summary(false).substr(0, 84),
              "Heart Rate: 1 reading to add, 0 already present, 1 unlikely reading left out.\n\n1 unl");
}

// As the entry dialog refuses it, a reading in the hour the clock skips is refused; progress is told
// and a cancel ends the reading with nothing to import.
TEST_F(CsvTest, ImportRefusesTheSkippedHourAndCanBeCancelled)
{
    openRecord(ChartRecord::variableOf("Heart Rate", ""));
    CsvImport::Preview preview;
    for (const char* name : zonesWithClockChanges()) {
        ZoneScope zone(name);
        std::vector<ClockChange> changes = clockChanges(2024);
        ASSERT_EQ(changes.size(), 2u) << name;
        for (const ClockChange& c : changes) {
            const std::string middle = c.isoDate() + "," + c.time24(c.shift / 120), after = c.isoDate() + "," + c.time24(90);
            preview = read("date,time,variable,value\n" + middle + ",Heart Rate,70\n" + after + ",Heart Rate,70\n");
            EXPECT_EQ(preview.toAdd(false), c.shift > 0 ? 1u : 2u) << name << " " << middle;
            ASSERT_EQ(preview.refused.size(), c.shift > 0 ? 1u : 0u) << name << " " << middle;
            if (c.shift > 0) {
                EXPECT_EQ(preview.refused[0].text, "line 2: " + c.isoDate() + " " + c.time24(c.shift / 120) +
                                                       " is in the hour that the clock skips.");
            }
        }
    }
    {
        // Here the clock skips the first hour of the day.
        ZoneScope havana("America/Havana");
        preview = read("date,time,variable,value\n2024-03-10,00:30,Heart Rate,70\n2024-03-10,01:30,Heart Rate,70\n");
        ASSERT_EQ(preview.refused.size(), 1u);
        EXPECT_EQ(preview.refused[0].text, "line 2: 2024-03-10 00:30 is in the hour that the clock skips.");
        EXPECT_EQ(preview.toAdd(false), 1u);
    }

    std::string many = "date,time,variable,value\n";
    for (int i = 0; i < 20000; ++i)
        many += "2024-01-05,10:00,Heart Rate,70\n";
    std::vector<double> told;
    preview = CsvImport::read(many.data(), many.size(), CsvImport::DayOrder::Unknown, [&](double done) {
        told.push_back(done);
        return done < 0.5;
    });
    EXPECT_TRUE(preview.cancelled);
    EXPECT_TRUE(preview.readings.empty());
    ASSERT_GE(told.size(), 2u);
    EXPECT_TRUE(std::is_sorted(told.begin(), told.end()));
}

TEST_F(CsvTest, AnExportImportedIntoAnEmptyUserHoldsTheSameReadingsAndAddsNothingTheSecondTime)
{
    const std::string bp = "<systolic>120.000000</systolic><diastolic>80.000000</diastolic>";
    // Readings on the days the local clock changes: around the change, and two in the middle of the
    // interval repeated in autumn.
    std::string temperatures = entry("0", "<value>98.600000</value>", "07/04/2020", "01:30:00 PM");
    size_t temperatureCount = 1;
    for (const ClockChange& c : clockChanges(2020)) {
        std::vector<std::string> times = {c.time(-1), c.time(std::max(c.shift, 0) / 60 + 1)};
        if (c.shift < 0)
            times.insert(times.end(), 2, c.middle());
        for (const std::string& t : times)
            temperatures += entry(std::to_string(temperatureCount++).c_str(), "<value>97.500000</value>", c.date().c_str(), t.c_str());
    }
    openRecord(ChartRecord::variableOf("Blood Pressure", entry("0", bp.c_str(), "1/5/2012", "09:05:00 AM", "<c2/>") +
                                                             entry("1", bp.c_str(), "01/05/2012", "09:05:00 AM", "<c2/>") +
                                                             entry("2", bp.c_str(), "01/05/2012", "09:05:00 AM")) +
               ChartRecord::variableOf("Temperature", temperatures));
    const std::string text = exported();
    openRecord("");
    CsvImport::Preview preview = read(text);
    EXPECT_EQ(preview.toAdd(false), 3 + temperatureCount);
    Change change;
    EXPECT_EQ(CsvImport::apply(preview, false, *Global::userDoc, change), 3 + temperatureCount);
    ASSERT_TRUE(Global::saveCurrentUser(change));
    EXPECT_EQ(sortedLines(exported()), sortedLines(text));

    preview = read(text);
    EXPECT_EQ(preview.toAdd(true), 0u);
    EXPECT_EQ(preview.counts["Blood Pressure"].present, 3u);
    EXPECT_EQ(preview.counts["Temperature"].present, temperatureCount);
    // A reading the file holds twice and the record once is added once more, after the entries
    // already there and with the next id; undone, as after a failed save, the record is as before.
    preview = read(text + "2020-07-04,13:30:59,Temperature,,,,,98.6,\r\n");
    EXPECT_EQ(preview.toAdd(false), 1u);
    const std::string before = exported();
    Change again;
    EXPECT_EQ(CsvImport::apply(preview, false, *Global::userDoc, again), 1u);
    const XmlNode* added = Global::findVariableNode("Temperature")->last_node("entry");
    EXPECT_EQ(Xml::attribute(added, "id"), std::to_string(temperatureCount));
    EXPECT_STREQ(Xml::childText(added, "value"), "98.600000");
    again.undo();
    EXPECT_EQ(exported(), before);
}

}
