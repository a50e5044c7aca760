// The record store, its bounds lookup, its one safe save, and the checks of typed text, dates and times.
#include "records/Change.h"
#include "records/DateCheck.h"
#include "records/Global.h"
#include "records/NumberText.h"
#include "records/RecordView.h"
#include "records/SafeFile.h"
#include "records/SystemCalls.h"
#include "records/TextCheck.h"
#include "records/Xml.h"
#include "tests/common/ChartRecord.h"
#include "tests/common/ClockChange.h"
#include "tests/common/TestFolder.h"

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

std::string patient(const std::string& id, const char* first = "Ann", const char* file = nullptr)
{
    std::string name = file ? file : "user" + id + ".hma";
    return "<patient id=\"" + id + "\"><name><first>" + first + "</first><last>Lee</last></name><file>" + name +
           "</file></patient>";
}

std::string record(int id, const char* first = "Ann")
{
    return "<patient id=\"" + std::to_string(id) + "\"><info><name><first>" + first +
           "</first><last>Lee</last></name><dob/><gender/><weight/><height/><stepSize/><race/></info>"
           "<variable name=\"Pulse\"><normalLow>60</normalLow><normalHigh>100</normalHigh><panicLow/><panicHigh/>"
           "<entry id=\"0\"><value>72.000000</value><date>03/14/2011</date><time>08:30:00 AM</time>"
           "<conditions><c2/></conditions></entry></variable></patient>";
}

class GlobalStoreTest : public StoreFixture {
protected:
    void TearDown() override { SystemCalls::unwatch(); }

    // Writes and loads a directory listing the patients given.
    void loadConfig(const std::string& patients)
    {
        folder.write("config.hma", "<config>" + patients + "</config>");
        ASSERT_TRUE(Global::loadFile(Global::configDoc, "config.hma", Global::configBuffer, "config",
                                     Global::OnDamage::Terminate));
    }
    static Global::Opening open(const char* id) { return Global::openUser(Global::findNodeWithId(id)); }
    static void rename(const char* first)
    {
        XmlNode* name = Xml::child(Xml::child(Global::userDoc.get(), "patient", "info"), "name");
        Change change;
        change.setText(*Global::userDoc, name, "first", first);
        Global::saveUser(change);
    }
    // SafeFile's nth write from now on fails as on a full disk; 0 fails none.
    static void failWrite(int nth) { SystemCalls::watch(SystemCalls::Write, nth, ENOSPC); }
};

TEST_F(GlobalStoreTest, NewIdsAreTheSmallestFreeAfterTheFirstListedUser)
{
    const struct {
        std::string patients;
        int id;
        const char* before;
    } cases[] = {
        {"", 0, "end"},
        {patient("0") + patient("1") + patient("2"), 3, "end"},
        {patient("0") + patient("2"), 1, "2"},
        {patient("3"), 4, "end"},
        {patient("3") + patient("4"), 5, "end"},
        {patient("2") + patient("0") + patient("3"), 4, "end"},            // out of order
        {patient("0") + patient("3") + patient("1"), 2, "3"},
        {patient("x") + patient("1"), 2, "end"},                       // an unusable id is skipped
        {"<patient><file>user5.hma</file></patient>" + patient("4"), 6, "end"}, // its file is still taken
        {patient(std::string(40, '9')) + patient("0"), 1, "end"},
        {patient("0") + patient("7", "Odd", "user1.hma"), 2, "7"},       // a file name taken by another id
        {patient("2147483647"), -1, "end"},
    };
    for (const auto& c : cases) {
        loadConfig(c.patients);
        XmlNode* place = nullptr;
        EXPECT_EQ(Global::getNewId(&place), c.id) << c.patients;
        EXPECT_STREQ(place ? Xml::attribute(place, "id") : "end", c.before) << c.patients;
    }
}

TEST_F(GlobalStoreTest, DuplicatedAndUnusableIdsAreToldOnce)
{
    loadConfig(patient("0") + patient("1"));
    EXPECT_EQ(Global::directoryProblems(), "");
    loadConfig(patient("0") + patient("0", "Bo", "user9.hma") + patient("-1", "Cy") + patient("3") +
                      patient("3", "Di", "user8.hma") + "<patient><file>lost.hma</file></patient>");
    std::string text = Global::directoryProblems();
    EXPECT_NE(text.find("listed more than once in config.hma: 0, 3.\n"), std::string::npos) << text;
    EXPECT_NE(text.find("left out of the user list: \"user-1.hma\", \"lost.hma\"."), std::string::npos) << text;
}

// Written again, a file reads back to the same text: the fuzz target checks that on every input.
TEST_F(GlobalStoreTest, WrittenFilesKeepTheirTextsAndLayoutAndPassXmllint)
{
    folder.write("user0.hma", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- kept by hand -->\n" +
                                  record(0, "A &lt;&amp;&gt; &quot;B&quot; &#x263A;&#9;<![CDATA[<C&>]]>"));
    ASSERT_TRUE(loadRecord("user0.hma"));
    EXPECT_STREQ(Xml::childText(Xml::child(Global::userDoc->first_node("patient"), "info", "name"), "first"),
                 "A <&> \"B\" \xE2\x98\xBA\t<C&>");
    ASSERT_TRUE(Global::saveFile(*Global::userDoc, "user0.hma"));
    std::string first = folder.read("user0.hma");
    EXPECT_EQ(first.find("<!--"), std::string::npos);
    EXPECT_EQ(first.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);
    EXPECT_NE(first.find("\t\t<name>\n\t\t\t<first>A &lt;&amp;&gt; &quot;B&quot; \xE2\x98\xBA\t&lt;C&amp;&gt;</first>"),
              std::string::npos);
    EXPECT_NE(first.find("<conditions>\n\t\t\t\t<c2/>"), std::string::npos);
    std::string xmllint = "xmllint --noout '" + folder.path() + "user0.hma' 2>&1";
    EXPECT_EQ(std::system(xmllint.c_str()), 0);
}

// Content that is only CDATA is the element's text: it shows, is written back as plain text, and an
// edit of it is written too.
TEST_F(GlobalStoreTest, CdataIsReadAsTextAndEditsOfItAreWritten)
{
    folder.write("user0.hma", "<patient id=\"0\"><info><name><first>Ann</first><last><![CDATA[Lee]]><![CDATA[]]>"
                              "</last></name><dob/><gender><![CDATA[Female]]></gender></info><variable name=\"Pulse\">"
                              "<entry id=\"0\"><value><![CDATA[72]]></value></entry></variable></patient>");
    ASSERT_TRUE(loadRecord("user0.hma"));
    XmlNode* patient = Global::userDoc->first_node("patient");
    XmlNode* info = Xml::child(patient, "info");
    EXPECT_STREQ(Xml::childText(Xml::child(info, "name"), "last"), "Lee");
    EXPECT_STREQ(Xml::child(patient, "variable", "entry")->first_node("value")->value(), "72");
    EXPECT_EQ(RecordView::infoLines(), (std::vector<std::string>{"First Name:\tAnn", "Last Name:\tLee", "Gender:\tFemale"}));
    Change change;
    change.setText(*Global::userDoc, info, "gender", "<Male>");
    ASSERT_TRUE(change.save(*Global::userDoc, "user0.hma"));
    std::string saved = folder.read("user0.hma");
    for (const char* written : {"<last>Lee</last>", "<gender>&lt;Male&gt;</gender>", "<value>72</value>"})
        EXPECT_NE(saved.find(written), std::string::npos) << written << "\n" << saved;
    EXPECT_EQ(saved.find("CDATA"), std::string::npos);
}

TEST_F(GlobalStoreTest, DamagedOrOddRecordsAreReportedAndTheOpenDocumentStays)
{
    folder.write("user0.hma", record(0, "Kept"));
    ASSERT_TRUE(loadRecord("user0.hma"));
    int replaced = 0;
    Global::userDocReplacing = [&] { ++replaced; };
    std::string deep;
    for (int i = 0; i < 70000; ++i)
        deep += "<a>";
    const std::pair<std::string, const char*> damaged[] = {
        {"<patient id=\"1\"><info>", "not well-formed"},
        {"<other/>", "no <patient> element"},
        {"", "no <patient> element"},
        {"<patient id=\"1\"></wrong>", "not well-formed"},
        {"<patient>" + deep, "nested more than 32 deep"},
        {"<patient><a x='>'><a/><!-- <a><a> --><b>" + std::string(40, 'a') + "</b></a></patient>", ""},
        // The printer writes an element's children or its text, never both.
        {"<patient><info><gender>Female<note>x</note></gender></info></patient>", "<gender> holds text beside other"},
        {"<patient><info><gender><note/><![CDATA[Female]]></gender></info></patient>", "<gender> holds text beside"},
        {"<patient id=\"1\"><info><gender x=\"a>b\"><note/>Female</gender></info></patient>", "<gender> holds text"},
        {"<patient><info><name><first>&#0;</first></name></info></patient>", "reference to a control character"},
        {"<patient><info><name><first>&#1b;</first></name></info></patient>", "reference to a control character"},
        {"<patient><info><name><first>a\x01</first></name></info></patient>", "holds a control character"},
        {std::string("<patient/>\0<more/>", 18), "holds a control character"},
        {"<patient><info><?xml version=\"1.0\"?></info></patient>", "XML declaration out of place"},
        {" <?xml ?><patient/>", "XML declaration out of place or without attributes"},
    };
    for (const auto& [text, damage] : damaged) {
        folder.write("user1.hma", text);
        prompt.alerts.clear();
        EXPECT_EQ(loadRecord("user1.hma"), !*damage) << text.substr(0, 80);
        EXPECT_EQ(folder.read("user1.hma"), text);
        if (*damage) {
            ASSERT_EQ(prompt.alerts.size(), 1u);
            EXPECT_NE(prompt.alerts[0].find(damage), std::string::npos) << prompt.alerts[0];
            EXPECT_NE(prompt.alerts[0].find("user1.hma"), std::string::npos);
        }
    }
    EXPECT_EQ(replaced, 1);
    ASSERT_TRUE(loadRecord("user0.hma"));

    // A pipe is refused before anything is read from it, which would wait for ever.
    ASSERT_EQ(mkfifo((folder.path() + "user2.hma").c_str(), 0600), 0);
    prompt.alerts.clear();
    EXPECT_FALSE(loadRecord("user2.hma"));
    EXPECT_NE(prompt.alerts.at(0).find("not a regular file"), std::string::npos);
    EXPECT_STREQ(Xml::childText(Xml::child(Global::userDoc->first_node("patient"), "info", "name"), "first"),
                 "Kept");
}

using GlobalStoreDeathTest = GlobalStoreTest;

TEST_F(GlobalStoreDeathTest, AMissingOrDamagedDirectoryEndsTheProgram)
{
    const std::pair<const char*, const char*> cases[] = {
        {nullptr, "Unable to open file: config.hma"},
        {"<patient/>", "config.hma: it has no <config> element"},
        {"<config><patient><name><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a><a>"
         "<a><a><a><a><a><a>",
         "config.hma: its elements are nested more than 32 deep"},
    };
    for (const auto& [text, message] : cases) {
        if (text)
            folder.write("config.hma", text);
        EXPECT_EXIT(Global::loadFile(Global::configDoc, "config.hma", Global::configBuffer, "config",
                                     Global::OnDamage::Terminate),
                    ::testing::ExitedWithCode(1), message);
    }
}

TEST_F(GlobalStoreTest, UnsafeFileNamesAndIdsInTheDirectoryAreRefused)
{
    loadConfig(patient("0", "A", "../user0.hma") + patient("1", "B", "config.hma") + patient("2", "C", "..") +
                      patient("3", "D", std::string(300, 'x').c_str()) + patient("4x", "E", "user4.hma"));
    folder.write("user4.hma", record(4));
    for (const char* id : {"0", "1", "2", "3", "4x"}) {
        EXPECT_EQ(open(id), *id == '4' ? Global::Opening::IdUnusable : Global::Opening::FileNameRefused) << id;
        EXPECT_FALSE(Global::userOpen);
    }
    EXPECT_NE(prompt.alerts.back().find("not a whole number"), std::string::npos);
    EXPECT_EQ(Global::currentFile[0], '\0');
    EXPECT_EQ(Global::findNodeWithId("03"), nullptr); // ids are compared as text
}

TEST_F(GlobalStoreTest, ANewUserIsWrittenOnlyWhenConfirmedAndInItsPlace)
{
    folder.seed();
    loadConfig(patient("0") + patient("2"));
    folder.write("user0.hma", record(0));
    ASSERT_EQ(open("0"), Global::Opening::Opened);
    ASSERT_TRUE(Global::createNew());
    EXPECT_STREQ(Xml::attribute(Global::userDoc->first_node("patient"), "id"), "1");
    EXPECT_TRUE(Global::saveCurrentUser());
    EXPECT_EQ(folder.read("user0.hma"), record(0));
    EXPECT_FALSE(folder.exists("user1.hma"));
    // A change to the pending record is refused with a reason: it has no file to go to yet.
    Change change;
    change.setText(*Global::userDoc, Global::userDoc->first_node("patient"), "note", "reading");
    EXPECT_FALSE(Global::saveCurrentUser(change));
    EXPECT_EQ(printed(*Global::userDoc).find("reading"), std::string::npos);
    ASSERT_EQ(prompt.alerts.size(), 1u);
    EXPECT_EQ(prompt.alerts[0].find("The new user has not been added yet"), 0u);

    rename("Bo");
    EXPECT_STREQ(Global::currentFile, "user1.hma");
    EXPECT_STREQ(Global::currentId, "1");
    std::string directory = folder.read("config.hma");
    EXPECT_NE(directory.find("<patient id=\"1\">\n\t\t<name>\n\t\t\t<first>Bo</first>\n\t\t\t<last/>\n\t\t</name>\n"
                             "\t\t<file>user1.hma</file>"),
              std::string::npos);
    EXPECT_LT(directory.find("id=\"0\""), directory.find("id=\"1\""));
    EXPECT_LT(directory.find("id=\"1\""), directory.find("id=\"2\""));
    EXPECT_NE(folder.read("user1.hma").find("<first>Bo</first>"), std::string::npos);
}

// Every change that touches the record and the directory, failing at each of its writes:
// memory and both files stay as they were, and trying again makes the change exactly once.
TEST_F(GlobalStoreTest, AFailedSaveUndoesTheWholeChange)
{
    enum Kind { Rename, Add, Remove };
    const std::pair<Kind, int> cases[] = {{Rename, 1}, {Rename, 2}, {Add, 1}, {Add, 2}, {Remove, 1}};
    for (const auto& c : cases) {
        const Kind kind = c.first;
        const int failing = c.second;
        SCOPED_TRACE(testing::Message() << "kind " << kind << ", failing write " << failing);
        folder.seed();
        loadConfig(patient("0") + patient("1", "Bo"));
        folder.write("user0.hma", record(0));
        ASSERT_EQ(open("0"), Global::Opening::Opened);
        // In the program's own layout, so that a file put back compares equal.
        ASSERT_TRUE(Global::saveFile(*Global::configDoc, "config.hma") && Global::saveCurrentUser());
        ASSERT_TRUE(kind != Add || Global::createNew());
        const std::string files = folder.read("config.hma") + folder.read("user0.hma");
        const std::string memory = printed(*Global::configDoc) + printed(*Global::userDoc);
        const std::string current = Global::currentFile;
        const size_t names = folder.names().size();
        auto act = [&] {
            if (kind == Remove)
                return Global::removeCurrentUser() == Global::Removal::Removed;
            rename("Anna");
            return prompt.alerts.empty();
        };
        prompt.alerts.clear();
        failWrite(failing);
        EXPECT_FALSE(act());
        EXPECT_NE(prompt.alerts.at(0).find("Unable to save file"), std::string::npos);
        EXPECT_EQ(printed(*Global::configDoc) + printed(*Global::userDoc), memory);
        EXPECT_EQ(folder.read("config.hma") + folder.read("user0.hma"), files);
        EXPECT_EQ(Global::currentFile, current);
        EXPECT_EQ(folder.names().size(), names);

        failWrite(0);
        prompt.alerts.clear();
        EXPECT_TRUE(act());
        std::string directory = folder.read("config.hma");
        EXPECT_EQ(directory.find("Anna") != std::string::npos, kind != Remove);
        EXPECT_EQ(directory.find("Anna"), directory.rfind("Anna"));
        EXPECT_EQ(directory.find("<patient") != directory.rfind("<patient"), kind != Remove);
    }
}

TEST_F(GlobalStoreTest, NamesInTheDirectoryFollowTheRecordsAtStart)
{
    loadConfig(patient("0", "Ann") + patient("1", "Bo") + patient("2", "Cy"));
    folder.write("user0.hma", record(0, "Anna"));                       // saved before a crash
    folder.write("user1.hma", record(1, "Bo"));
    folder.write("user2.hma", "<patient id=\"2\"><info><name><first>Unfinished");
    Global::correctNamesFromRecords();
    std::string directory = folder.read("config.hma");
    EXPECT_NE(directory.find("<first>Anna</first>"), std::string::npos);
    EXPECT_NE(directory.find("<first>Bo</first>"), std::string::npos);
    EXPECT_NE(directory.find("<first>Cy</first>"), std::string::npos);
    EXPECT_EQ(directory.find("<first>Ann</first>"), std::string::npos);
}

TEST_F(GlobalStoreTest, LinkedFilesAreSavedThroughTheLink)
{
    TestFolder elsewhere;
    const std::pair<std::string, std::string> links[] = {{"config.hma", "config.hma"}, {"user0.hma", "kept.hma"}};
    for (const auto& [link, target] : links)
        std::filesystem::create_symlink(elsewhere.path() + target, folder.path() + link);
    loadConfig(patient("0"));
    elsewhere.write("kept.hma", record(0));
    ASSERT_EQ(open("0"), Global::Opening::Opened);
    rename("Linked");
    for (const auto& [link, target] : links) {
        EXPECT_TRUE(std::filesystem::is_symlink(folder.path() + link)) << link;
        EXPECT_NE(elsewhere.read(target).find("<first>Linked</first>"), std::string::npos) << target;
    }
}

// The one safe save that every write of a record goes through.
class SafeFileTest : public GlobalStoreTest {
protected:
    void SetUp() override { folder.write("user0.hma", previous); }
    std::string path() const { return folder.path() + "user0.hma"; }
    const std::string previous = "<patient id=\"0\">old record</patient>\n";
    const std::string next = std::string(1 << 20, 'n');
};

// A disk that fills, or a process killed, after part of the record was written in short writes.
TEST_F(SafeFileTest, ASaveStoppedPartWayLeavesThePreviousFile)
{
    // The 75th write of 4096 bytes: past 300000 bytes.
    auto stopPartWay = [](bool kill) {
        SystemCalls::watch(SystemCalls::Write, kill ? 0 : 75, ENOSPC, 4096);
        if (kill)
            SystemCalls::onCall = [](SystemCalls::Kind kind, long n) {
                if (kind == SystemCalls::Write && n == 75)
                    raise(SIGKILL);
            };
    };
    std::string error;
    stopPartWay(false);
    EXPECT_FALSE(SafeFile::write(path(), next, error));
    EXPECT_NE(error.find("No space left on device"), std::string::npos) << error;
    EXPECT_EQ(folder.read("user0.hma"), previous);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"user0.hma"});

    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        stopPartWay(true);
        SafeFile::write(path(), next, error);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(folder.read("user0.hma"), previous);
    // The killed save leaves only its hidden temporary file behind, never a partial record.
    for (const std::string& name : folder.names())
        EXPECT_TRUE(name == "user0.hma" || name.rfind(".user0.hma.", 0) == 0) << name;
}

TEST_F(SafeFileTest, OnlyLeftoversOfItsOwnSavesAreRemoved)
{
    const std::vector<std::string> leftovers = {".user0.hma.a1B2c3", ".config.hma.ZZZZZZ"};
    const std::vector<std::string> kept = {"user0.hma",         ".user0.hma.abc",     ".user0.hma.abc-de",
                                           "user1.hma.abcdef",  ".notes.txt.abcdef",  ".user0.hma.abcdefg",
                                           ".user9.hma.listed"};
    for (const std::string& name : leftovers)
        folder.write(name, "partial");
    for (const std::string& name : kept)
        folder.write(name, "kept");
    std::vector<std::string> removed =
        SafeFile::removeLeftovers(folder.path(), [](const std::string& name) { return name == ".user9.hma.listed"; });
    std::sort(removed.begin(), removed.end());
    EXPECT_EQ(removed, (std::vector<std::string>{".config.hma.ZZZZZZ", ".user0.hma.a1B2c3"}));
    for (const std::string& name : kept)
        EXPECT_TRUE(folder.exists(name)) << name;
}

TEST_F(SafeFileTest, ReplacesTheWholeFileAndReadsAHeadOrOnlyRegularFiles)
{
    FileBytes content;
    std::string why;
    ASSERT_TRUE(SafeFile::write(path(), next, why)) << why;
    EXPECT_EQ(folder.read("user0.hma"), next);
    EXPECT_EQ(folder.names().size(), 1u);
    ASSERT_EQ(SafeFile::read(path(), content, why, 8), SafeFile::Read::Ok);
    EXPECT_EQ(std::string(content.begin(), content.end()), next.substr(0, 8));
    EXPECT_EQ(SafeFile::read("/dev/zero", content, why), SafeFile::Read::Refused);
    EXPECT_EQ(why, "it is not a regular file");
    // A save that cannot be put in place (a folder holds its name) fails and leaves no temporary file.
    ASSERT_TRUE(SafeFile::makeFolders(folder.path() + "user1.hma/kept"));
    EXPECT_FALSE(SafeFile::write(folder.path() + "user1.hma", next, why));
    EXPECT_EQ(why.find("cannot replace the file: Is a directory"), 0u) << why;
    EXPECT_EQ(folder.names().size(), 2u);
}

class GlobalRangesTest : public StoreFixture {
protected:
    static std::string range(const char* name, const char* kind)
    {
        double low = -1, high = -1;
        char lowText[Global::rangeTextSize], highText[Global::rangeTextSize];
        Global::findRange(name, kind, low, high, lowText, highText);
        return std::to_string(low).substr(0, 6) + " " + std::to_string(high).substr(0, 6) + " " + lowText + " " +
               highText;
    }
};

const char* const bloodPressure = "<variable name=\"Blood Pressure\">"
                                  "<normalLow><systolic>85</systolic><diastolic>55</diastolic></normalLow>"
                                  "<normalHigh><systolic>135</systolic><diastolic>85.75</diastolic></normalHigh>"
                                  "<panicLow><systolic>75</systolic><diastolic>45</diastolic></panicLow>"
                                  "<panicHigh><systolic>150</systolic><diastolic>100</diastolic></panicHigh>"
                                  "</variable>";

// Low, high and their texts, from the record where both bounds are stored, else from the defaults.
TEST_F(GlobalRangesTest, BoundsFromTheRecordOrTheDefaults)
{
    const char* temperature = "<variable name=\"Temperature\"><normalLow>97</normalLow><normalHigh>99.50</normalHigh>"
                              "<panicLow>140.0</panicLow><panicHigh/></variable>";
    const char* empty = "<variable name=\"Temperature\"><normalLow/><normalHigh/><panicLow/><panicHigh/></variable>"
                        "<variable name=\"SpO2\"><normalLow>96</normalLow></variable>";
    const char* sugar = "<variable name=\"Blood Sugar\"><normalLow><fasting>70</fasting></normalLow><normalHigh>"
                        "<fasting>99</fasting></normalHigh><panicLow/><panicHigh/></variable>";
    const char* mood = "<variable name=\"Mood\"><normalLow/><normalHigh>9</normalHigh></variable>";
    const struct {
        const char *record, *name, *kind, *expected;
    } cases[] = {
        {temperature, "Temperature", "normal", "97.000 99.500 97 99.5"},
        // A stored low bound with an empty high bound: each side resolves on its own.
        {temperature, "Temperature", "panic", "140.00 100.50 140 100.5"},
        {empty, "Temperature", "normal", "96.900 99.500 96.9 99.5"},
        {empty, "Temperature", "panic", "95.500 100.50 95.5 100.5"},
        {empty, "SpO2", "normal", "95.000 100.00 95 100"},
        {empty, "SpO2", "other", "90.000 100.00 90 100"}, // any kind but "normal" reads the panic defaults
        {bloodPressure, "Systolic", "normal", "85.000 135.00 85 135"},
        {bloodPressure, "diastolic", "normal", "55.000 85.750 55 85.8"},
        {bloodPressure, "Diastolic", "panic", "45.000 100.00 45 100"},
        {bloodPressure, "Mean Arterial Pressure", "normal", "70.000 110.00 70 110"},
        {bloodPressure, "Mean Arterial Pressure", "panic", "60.000 120.00 60 120"},
        {bloodPressure, "Pulse Pressure", "normal", "30.000 40.000 30 40"},
        // Names without defaults or elements give zero, not garbage.
        {mood, "Mood", "normal", "0.0000 9.0000 0 9"},
        {mood, "Heart Rate", "panic", "0.0000 0.0000 0 0"},
        // Blood-sugar members read the bounds of "Blood Sugar", or their defaults without it.
        {mood, "Fasting", "normal", "90.000 130.00 90 130"},
        {sugar, "Fasting", "normal", "70.000 99.000 70 99"},
        {sugar, "postprandial", "panic", "60.000 200.00 60 200"},
    };
    for (const auto& c : cases) {
        openRecord(c.record);
        EXPECT_EQ(range(c.name, c.kind), c.expected) << c.name << " " << c.kind;
    }
    // No user open at all.
    Global::userDoc = std::make_unique<XmlDocument>();
    EXPECT_EQ(range("Systolic", "normal"), "90.000 139.00 90 139");
}

// A bound that is no number gives way to the default, else to the template's bound, else counts as
// absent; each says so in one line on standard error.
TEST_F(GlobalRangesTest, BoundsThatAreNoNumbersGiveWay)
{
    folder.write("template_new.xml", "<patient id=\"0\"><variable name=\"Heart Rate\"><normalLow>55</normalLow>"
                                     "<normalHigh>105</normalHigh><panicLow>x</panicLow><panicHigh>125</panicHigh>"
                                     "</variable></patient>");
    auto variable = [](const char* name, const char* low, const char* high, const char* kind = "normal") {
        return std::string("<variable name=\"") + name + "\"><" + kind + "Low>" + low + "</" + kind + "Low><" + kind +
               "High>" + high + "</" + kind + "High></variable>";
    };
    const struct {
        std::string record;
        const char *name, *kind, *expected;
        int told;
    } cases[] = {
        {variable("Temperature", "abc", "12abc"), "Temperature", "normal", "96.900 99.500 96.9 99.5", 2},
        {variable("Temperature", " 97 ", "1e300"), "Temperature", "normal", "97.000 99.500 97 99.5", 1},
        {variable("Pulse", "--60", "100"), "Pulse", "normal", "60.000 100.00 60 100", 1},
        {"<variable name=\"Blood Pressure\"><normalLow><systolic>9O</systolic></normalLow><normalHigh><systolic>135"
         "</systolic></normalHigh></variable>", "Systolic", "normal", "90.000 135.00 90 135", 1},
        {variable("Heart Rate", "abc", "99"), "Heart Rate", "normal", "55.000 99.000 55 99", 1},
        {variable("Heart Rate", "?", "?", "panic"), "Heart Rate", "panic", "0.0000 125.00 0 125", 2},
        {variable("Mood", "5", "ten"), "Mood", "normal", "5.0000 0.0000 5 0", 1},
    };
    for (const auto& c : cases) {
        openRecord(c.record);
        testing::internal::CaptureStderr();
        EXPECT_EQ(range(c.name, c.kind), c.expected) << c.record;
        std::string told = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), c.told) << told;
    }
    openRecord(variable("Heart Rate", "abc", "99"));
    testing::internal::CaptureStderr();
    range("Heart Rate", "normal");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Global::findRange: the normalLow of Heart Rate, \"abc\", is not a number; the bound 55 of "
              "template_new.xml is used\n");
}

// One table for the one date-and-time check: what a person types (the entry dialog's codes, and the
// information dialog's date check), and what a stored entry reads as (the hour, -1 refused).
TEST(DateCheckTest, TypedTextsAreCheckedAndStoredTextsRead)
{
    const DateCheck::Result ok = DateCheck::Valid, bad = DateCheck::Unreadable, range = DateCheck::OutOfRange;
    const struct {
        const char *date, *time;
        DateCheck::Result dateResult;
        int code, storedHour;
    } cases[] = {
        {"12/31/2010", "08:30:00 PM", ok, 0, 20},    {"1/5/2011", "12:15:00 AM", ok, 0, 0},
        {"1/5/2011", "12:15:00 pm", ok, 0, 12},      {"02/29/2012", "1:02:03 am", ok, 0, 1},
        {"2/29/2000 ", "9:5:0pm", ok, 0, 21},        {"1/5/1960", "12:00:00 pm", ok, 0, 12},
        {"12/31/9999", "1:00:00 AM", ok, 0, 1},      {"02/29/2011", "1:00:00 AM", range, -4, -1},
        {"2/29/1900", "1:00:00 AM", range, -4, -1},  {"1/5/11", "1:00:00 AM", range, -4, -1},
        {"12/31/1899", "1:00:00 AM", range, -4, -1}, {"13/1/2010", "1:00:00 AM", range, -4, -1},
        {"0/10/1990", "1:00:00 AM", range, -4, -1},  {"1/5/2010", "13:00:00 PM", ok, -4, -1},
        {"1/5/2010", "10:61:00 AM", ok, -4, -1},     {"02/30/2012", "9:05:00", range, -2, -1},
        {"1/5/2010", "10:60:00 AM", ok, -4, -1},     {"1/5/2010", "10:59:60 AM", ok, -4, -1},
        {"1/5/2010 x", "1:00:00 AM", bad, -1, -1},   {"1/1/2000/7", "1:00:00 AM", bad, -1, -1},
        {"Jan 5 1990", "1:00:00 AM", bad, -1, -1},   {"1/1", "1:00:00 AM", bad, -1, -1},
        // Stored texts may be hand-edited: any separator, a suffix told by its first letter.
        {"1-5-2012", "09:05:00 AM", bad, -1, 9},     {"1/5/2012", "9:05:00 Am", ok, -3, 9},
        {"1/5/2012", "9:05:00 AM x", ok, -2, 9},
        // A typed hour runs from 1 to 12; a stored hour 0 is still read as the hour after midnight.
        {"1/5/2010", "0:00:00 PM", ok, -4, 12},      {"1/5/2010", "00:30:00 AM", ok, -4, 0},
    };
    for (const auto& c : cases) {
        std::tm when{};
        std::time_t seconds;
        EXPECT_EQ(DateCheck::checkDate(c.date), c.dateResult) << c.date;
        EXPECT_EQ(DateCheck::checkEntry(c.date, c.time, when), c.code) << c.date << " " << c.time;
        EXPECT_EQ(DateCheck::readEntry(c.date, c.time, when, seconds) ? when.tm_hour : -1, c.storedHour)
            << c.date << " " << c.time;
    }
    std::tm when;
    std::time_t seconds;
    ASSERT_TRUE(DateCheck::readEntry("12/31/2010", "08:30:00 PM", when, seconds));
    EXPECT_EQ(when.tm_year * 10000 + when.tm_mon * 100 + when.tm_mday, 1101131);
    // The interval that the clock skips in spring does not exist, from its first minute on; the one
    // it repeats in autumn does.
    for (const char* name : zonesWithClockChanges()) {
        ZoneScope zone(name);
        std::vector<ClockChange> changes = clockChanges(2026);
        ASSERT_EQ(changes.size(), 2u) << name;
        for (const ClockChange& c : changes) {
            const std::string date = c.date();
            auto check = [&](const std::string& time) { return DateCheck::checkEntry(date.c_str(), time.c_str(), when); };
            EXPECT_EQ(check(c.middle()), c.shift > 0 ? -4 : 0) << name << " " << date;
            EXPECT_EQ(check(c.time(0)), c.shift > 0 ? -4 : 0) << name << " " << date;
            EXPECT_EQ(check(c.time(-1)), 0) << name << " " << date;
        }
    }
    ZoneScope zone("America/New_York");
    // A date of birth may be today at the latest, by the local calendar (23:30 on 5 January 2026).
    std::tm late = DateCheck::fields(2026, 1, 5, 23, 30, 0);
    const std::time_t now = std::mktime(&late);
    EXPECT_EQ(DateCheck::checkBirthDate("1/5/2026", now), DateCheck::Valid);
    EXPECT_EQ(DateCheck::checkBirthDate("4/27/1961", now), DateCheck::Valid);
    EXPECT_EQ(DateCheck::checkBirthDate("1/6/2026", now), DateCheck::OutOfRange);
    EXPECT_EQ(DateCheck::checkBirthDate("2/29/2084", now), DateCheck::OutOfRange);
    EXPECT_EQ(DateCheck::checkBirthDate("2/30/1990", now), DateCheck::OutOfRange);
    EXPECT_EQ(DateCheck::checkBirthDate("1/5", now), DateCheck::Unreadable);
    EXPECT_EQ(DateCheck::checkBirthDate("1/1/999999", now), DateCheck::OutOfRange);
}

TEST(TextCheckTest, AmountsAreFiniteAndNotNegative)
{
    for (const char* good : {"150", "0", "150.5", ".5", " 72 ", "9999", "1e3"})
        EXPECT_TRUE(TextCheck::isAmount(good)) << good;
    for (const char* bad : {"-150", "--5", ".", "1e308", "nan", "inf", "0x10", "", "5 lbs", "10000", "1e4"})
        EXPECT_FALSE(TextCheck::isAmount(bad)) << bad;
    for (const char* good : {"5 ft 7.5 in", "5 ft 7 in", "0 ft 0 in"})
        EXPECT_TRUE(TextCheck::isHeight(good)) << good;
    for (const char* bad : {"5 ft", "170 cm", "-5 ft 7 in", "5 ft -7 in", "5 ft 1e308 in", "5 ft nan in"})
        EXPECT_FALSE(TextCheck::isHeight(bad)) << bad;
}

TEST(TextCheckTest, NamesNeedAVisibleCharacterAndNoControls)
{
    EXPECT_TRUE(TextCheck::isVisible(" Ann "));
    EXPECT_TRUE(TextCheck::isVisible("\xC3\xA9"));
    EXPECT_FALSE(TextCheck::isVisible("   \t"));
    EXPECT_FALSE(TextCheck::isVisible(""));
    EXPECT_FALSE(TextCheck::hasControl("tab\tand\r\nbreaks"));
    EXPECT_TRUE(TextCheck::hasControl("bell\a"));
    EXPECT_TRUE(TextCheck::hasControl("\x1b[0m"));
}

// Each byte that is not part of a UTF-8 character becomes U+FFFD; whole characters stay.
TEST(TextCheckTest, TextsAreRepairedToUtf8ByteByByte)
{
    const std::string bad = "\xEF\xBF\xBD";
    const std::pair<std::string, std::string> cases[] = {
        {"A\xC3\xA9\xE2\x98\xBA\xF0\x9F\x98\x80", "A\xC3\xA9\xE2\x98\xBA\xF0\x9F\x98\x80"},
        {"ab\xFF\xC3", "ab" + bad + bad},          // a stray byte, and a character cut at the end
        {"\xC0\xAF", bad + bad},                   // an overlong '/'
        {"\xED\xA0\x80", bad + bad + bad},         // a surrogate
        {"\xF4\x90\x80\x80", bad + bad + bad + bad}, // past U+10FFFF
        {"\xE2\x98x", bad + bad + "x"},
        {std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const auto& [text, repaired] : cases)
        EXPECT_EQ(TextCheck::validUtf8(text.data(), text.size()), repaired);
}

TEST(RecordViewTest, LongTextsAreCutWithAnEllipsisOnACharacterBoundary)
{
    EXPECT_EQ(RecordView::shortened("Ann Lee"), "Ann Lee");
    EXPECT_EQ(RecordView::shortened(std::string(40, 'a')), std::string(40, 'a'));
    EXPECT_EQ(RecordView::shortened(std::string(10000, 'a')), std::string(40, 'a') + "\xE2\x80\xA6");
    EXPECT_EQ(RecordView::shortened("\xC3\xA9\xC3\xA9\xC3\xA9", 2), "\xC3\xA9\xC3\xA9\xE2\x80\xA6");
}

std::string deep = "its elements are nested more than " + std::to_string(Xml::maxDepth) + " deep";

std::string checked(const std::string& text)
{
    std::string verdict = Xml::damageIn(text.data(), text.size());
    EXPECT_EQ(verdict, Xml::stepwiseDamageIn(text.data(), text.size())) << text;
    return verdict;
}

// The check reads 64 bytes at a time: every case is tried at each place across the edges of a block.
TEST(XmlDamageTest, TagsAtTheLimitOfNestingWhereverTheyFall)
{
    // Markup, and whether it leaves the depth one higher; some tags end at their first '>' and some
    // do not.
    const std::pair<const char*, bool> tags[] = {
        {"<a>", true},
        {"<entry id=\"7\">", true},
        {"<a x='>'>", true},
        {"<a x=\"></\">", true},
        {"<x=\"a y= \"></\">", true},
        {"<e a=\"it's\">", true},
        {"<a\"b>", true},
        {"<a/>", false},
        {"<a x=\"1\"/>", false},
        {"</a/><c><d>", true},
        {"<!-- <a> -->", false},
        {"<a x=\"1>", false}, // the parser stops here
    };
    std::string nested;
    for (int i = 1; i < Xml::maxDepth; ++i)
        nested += i % 2 ? "<a>" : "<entry id=\"1\">\n\t";
    for (const auto& [markup, deeper] : tags)
        for (size_t shift = 0; shift <= 64; ++shift) {
            std::string blanks(shift, ' ');
            EXPECT_EQ(checked(blanks + markup + nested + "<b>"), deeper ? deep : "") << markup << shift;
            EXPECT_EQ(checked(blanks + nested + markup + "<b>"), deeper ? deep : "") << markup << shift;
        }
}

TEST(XmlDamageTest, ControlCharactersAndReferencesToThemWhereverTheyFall)
{
    const std::pair<const char*, const char*> marks[] = {
        {"\x01", "it holds a control character"},
        {"&#1;", "it holds a reference to a control character"},
        {"&#x1f;", "it holds a reference to a control character"},
        {"&#32; &amp; ! ?\t", ""},
    };
    for (const auto& [mark, damage] : marks)
        for (size_t at = 0; at <= 140; ++at) {
            std::string text = "<patient>" + std::string(140, 'x') + "</patient>";
            EXPECT_EQ(checked(text.insert(9 + at, mark)), damage) << at;
        }
}

// A plain text is parsed without text nodes, so only text right between a start tag and its end
// tag may pass as plain, wherever it falls in the blocks the check reads.
TEST(XmlDamageTest, OnlyTextRightInsideALeafElementIsPlain)
{
    const std::string far(70, ' ');
    const std::pair<std::string, bool> contents[] = {
        {"<v>72</v><d>1/1/2011</d><c/>", true},
        {"<v x=\"a\">" + far + "7 2\n</v>\n\t<w/>", true},
        {"<v>" + std::string(130, 'x') + "</v>", true},
        {"x<v/>", false},
        {"x" + far + "<v>1</v>", false},
        {"<v/>x", false},
        {"<v/>" + far + "x", false},
        {"<v>1</v>" + far + "x", false},
        {"<![CDATA[x]]>", false},
        {"<!-- x -->", false},
        {"<v a='>'>1</v>", false}, // beyond telling
    };
    for (const auto& [content, expected] : contents)
        for (size_t shift = 0; shift <= 64; ++shift) {
            std::string text = "<patient>" + std::string(shift, '\t') + content + "</patient>";
            bool plain = !expected;
            EXPECT_EQ(Xml::damageIn(text.data(), text.size(), &plain), "");
            EXPECT_EQ(plain, expected) << content << " " << shift;
        }
}

// Bounds, stored readings and the texts of messages; dates month first, times on the 12-hour clock.
TEST(NumberTextTest, NumbersDatesAndTimesHaveOneWriting)
{
    EXPECT_EQ(NumberText::bound(140) + " " + NumberText::bound(99.5) + " " + NumberText::bound(1e7, 5) + " " +
                  NumberText::stored(98.6) + " " + NumberText::shortest(0.1 + 0.2) + " " + NumberText::shortest(-2),
              "140 99.5 1.0e7 98.600000 0.30000000000000004 -2");
    EXPECT_EQ(NumberText::figure(145.25) + " " + NumberText::figure(-0.04) + " " + NumberText::figure(NAN) + " " +
                  NumberText::brief(98.6) + " " + NumberText::brief(140) + " " + NumberText::brief(-0.001),
              "145.2 0.0 - 98.6 140 0");
    EXPECT_EQ(DateCheck::dateText(2012, 1, 5) + " " + DateCheck::timeText(0, 5, 0) + " " +
                  DateCheck::timeText(12, 0, 0) + " " + DateCheck::timeText(23, 59, 59),
              "01/05/2012 12:05:00 AM 12:00:00 PM 11:59:59 PM");
    // Written without printf, they still read as printf writes them.
    char text[400];
    std::vector<double> values = {0.0, -0.0, 0.5, 2.5, 0.0000005, 0.0000015, -98.6, 1234567.8912345, 1e7, 1e300, -1e-300,
                                  1e-7, -1e-7, -4e-7, 36.6, 0.1 + 0.2, 999999.9999995, 123456.0000005, 5e11, 1e12 + 0.5};
    for (int i = 0; i < 200000; i += 7)
        values.insert(values.end(), {i / 10.0, i / 1000.0, -i * 0.001, i * 1e-7, i * 1e-6 + 5e-7, i * 12345.678});
    for (double value : values) {
        std::snprintf(text, sizeof text, "%f", value + 0.0);
        ASSERT_EQ(NumberText::stored(value), text) << value;
    }
    // Read as strtod reads them.
    const std::string tiny = "0." + std::string(400, '0') + "1";
    for (const std::string& number : {std::string("+5"), std::string("-.5"), std::string("5."), std::string("007.250"),
                                      std::string("36.6"), std::string("0.30000000000000004"), tiny}) {
        double value = -1;
        EXPECT_TRUE(TextCheck::readNumber(number.c_str(), value)) << number;
        EXPECT_EQ(value, std::strtod(number.c_str(), nullptr)) << number;
    }
    EXPECT_EQ(DateCheck::dateText(999, 12, 31) + " " + DateCheck::dateText(10000, 1, 1) + " " + DateCheck::timeText(24, 0, 0),
              "12/31/999 01/01/10000 12:00:00 PM");
}

}
