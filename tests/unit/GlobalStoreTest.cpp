#include "records/Global.h"
#include "tests/unit/TestFolder.h"

#include <rapidxml/rapidxml_print.hpp>

#include <gtest/gtest.h>

#include <iterator>
#include <string>

namespace {

std::string printed(const XmlDocument& doc)
{
    std::string text;
    rapidxml::print(std::back_inserter(text), doc);
    return text;
}

std::string config(const std::string& patients)
{
    return "<config>" + patients + "</config>";
}

std::string patient(int id, const char* first = "Ann", const char* file = nullptr)
{
    std::string name = file ? file : "user" + std::to_string(id) + ".hma";
    return "<patient id=\"" + std::to_string(id) + "\"><name><first>" + first + "</first><last>Lee</last></name><file>" +
           name + "</file></patient>";
}

std::string record(int id, const char* first = "Ann")
{
    return "<patient id=\"" + std::to_string(id) + "\"><info><name><first>" + first +
           "</first><last>Lee</last></name><dob/><gender/><weight/><height/><stepSize/><race/></info>"
           "<variable name=\"Pulse\"><normalLow>60</normalLow><normalHigh>100</normalHigh><panicLow/><panicHigh/>"
           "<entry id=\"0\"><value>72.000000</value><date>03/14/2011</date><time>08:30:00 AM</time>"
           "<conditions><c2/></conditions></entry></variable></patient>";
}

class GlobalStoreTest : public ::testing::Test {
protected:
    void SetUp() override { resetStore(folder.path()); }

    void loadConfig(const std::string& text)
    {
        folder.write("config.hma", text);
        ASSERT_TRUE(Global::loadFile(Global::configDoc, "config.hma", Global::configBuffer, "config",
                                     Global::OnDamage::Terminate));
    }
    int newId(std::string* before = nullptr)
    {
        XmlNode* place = nullptr;
        int id = Global::getNewId(&place);
        if (before)
            *before = place ? Xml::attribute(place, "id") : "end";
        return id;
    }

    TestFolder folder;
    RecordingPrompt prompt;
};

TEST_F(GlobalStoreTest, NewIdsFillTheFirstGapAfterTheFirstListedUser)
{
    std::string before;
    loadConfig(config(""));
    EXPECT_EQ(newId(&before), 0);
    EXPECT_EQ(before, "end");
    loadConfig(config(patient(0) + patient(1) + patient(2)));
    EXPECT_EQ(newId(&before), 3);
    EXPECT_EQ(before, "end");
    loadConfig(config(patient(0) + patient(2)));
    EXPECT_EQ(newId(&before), 1);
    EXPECT_EQ(before, "2");
    loadConfig(config(patient(3)));
    EXPECT_EQ(newId(), 4);
    loadConfig(config(patient(3) + patient(4)));
    EXPECT_EQ(newId(), 5);
}

TEST_F(GlobalStoreTest, IdsAreComparedAsText)
{
    loadConfig(config("<patient id=\"01\"><file>user1.hma</file></patient>" + patient(2)));
    EXPECT_EQ(Global::findNodeWithId("1"), nullptr);
    EXPECT_NE(Global::findNodeWithId("01"), nullptr);
    EXPECT_NE(Global::findNodeWithId("2"), nullptr);
}

TEST_F(GlobalStoreTest, WrittenFilesReadBackAsTheSameDocument)
{
    folder.write("user0.hma", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- kept by hand -->\n" +
                                  record(0, "A &lt;&amp;&gt; &quot;B&quot;"));
    ASSERT_TRUE(Global::loadFile(Global::userDoc, "user0.hma", Global::userBuffer, "patient",
                                 Global::OnDamage::Report));
    EXPECT_STREQ(Xml::childText(Xml::child(Global::userDoc->first_node("patient"), "info", "name"), "first"),
                 "A <&> \"B\"");
    ASSERT_TRUE(Global::saveFile(*Global::userDoc, "user0.hma"));
    std::string first = folder.read("user0.hma");
    EXPECT_EQ(first.find("<!--"), std::string::npos);
    EXPECT_EQ(first.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);
    EXPECT_NE(first.find("\t\t<name>\n\t\t\t<first>A &lt;&amp;&gt; &quot;B&quot;</first>"), std::string::npos);
    EXPECT_NE(first.find("<conditions>\n\t\t\t\t<c2/>"), std::string::npos);

    ASSERT_TRUE(Global::loadFile(Global::userDoc, "user0.hma", Global::userBuffer, "patient",
                                 Global::OnDamage::Report));
    ASSERT_TRUE(Global::saveFile(*Global::userDoc, "user0.hma"));
    EXPECT_EQ(folder.read("user0.hma"), first);
}

TEST_F(GlobalStoreTest, ADamagedRecordIsReportedAndTheOpenDocumentStays)
{
    folder.write("user0.hma", record(0, "Kept"));
    ASSERT_TRUE(Global::loadFile(Global::userDoc, "user0.hma", Global::userBuffer, "patient",
                                 Global::OnDamage::Report));
    int replaced = 0;
    Global::userDocReplacing = [&] { ++replaced; };
    for (const char* damaged : {"<patient id=\"1\"><info>", "<other/>", "", "<patient id=\"1\"></wrong>"}) {
        folder.write("user1.hma", damaged);
        EXPECT_FALSE(Global::loadFile(Global::userDoc, "user1.hma", Global::userBuffer, "patient",
                                      Global::OnDamage::Report))
            << damaged;
        EXPECT_EQ(folder.read("user1.hma"), damaged);
    }
    EXPECT_EQ(prompt.alerts.size(), 4u);
    EXPECT_NE(prompt.alerts[0].find("user1.hma"), std::string::npos);
    EXPECT_EQ(replaced, 0);
    EXPECT_STREQ(Xml::childText(Xml::child(Global::userDoc->first_node("patient"), "info", "name"), "first"),
                 "Kept");
}

using GlobalStoreDeathTest = GlobalStoreTest;

TEST_F(GlobalStoreDeathTest, AMissingOrDamagedDirectoryEndsTheProgram)
{
    EXPECT_EXIT(Global::loadFile(Global::configDoc, "config.hma", Global::configBuffer, "config",
                                 Global::OnDamage::Terminate),
                ::testing::ExitedWithCode(1), "Unable to open file: config.hma");
    folder.write("config.hma", "<patient/>");
    EXPECT_EXIT(Global::loadFile(Global::configDoc, "config.hma", Global::configBuffer, "config",
                                 Global::OnDamage::Terminate),
                ::testing::ExitedWithCode(1), "config.hma: it has no <config> element");
}

TEST_F(GlobalStoreTest, UnsafeFileNamesInTheDirectoryAreRefused)
{
    folder.write("config.hma", "untouched");
    loadConfig(config(patient(0, "A", "../user0.hma") + patient(1, "B", "config.hma") + patient(2, "C", "..") +
                      patient(3, "D", std::string(300, 'x').c_str())));
    for (const char* id : {"0", "1", "2", "3"}) {
        EXPECT_EQ(Global::openUser(id), -2) << id;
        EXPECT_FALSE(Global::userOpen);
    }
    EXPECT_EQ(Global::openUser("7"), -1);
    EXPECT_EQ(Global::currentFile[0], '\0');
}

TEST_F(GlobalStoreTest, OpeningAUserSetsTheCurrentFileOnlyOnSuccess)
{
    loadConfig(config(patient(0) + patient(1)));
    folder.write("user0.hma", record(0));
    folder.write("user1.hma", "<patient");
    ASSERT_EQ(Global::openUser("0"), 0);
    EXPECT_STREQ(Global::currentFile, "user0.hma");
    EXPECT_STREQ(Global::currentId, "0");
    EXPECT_EQ(Global::openUser("1"), -2);
    EXPECT_STREQ(Global::currentFile, "user0.hma");
    EXPECT_STREQ(Global::currentId, "0");
    EXPECT_NE(Global::findVariableNode("Pulse"), nullptr);
    EXPECT_EQ(Global::findVariableNode("pulse"), nullptr);
}

TEST_F(GlobalStoreTest, ANewUserIsWrittenNowhereUntilConfirmed)
{
    folder.seed();
    loadConfig(config(patient(0)));
    folder.write("user0.hma", record(0));
    ASSERT_EQ(Global::openUser("0"), 0);
    ASSERT_TRUE(Global::createNew());
    EXPECT_TRUE(Global::userOpen);
    EXPECT_STREQ(Xml::attribute(Global::userDoc->first_node("patient"), "id"), "1");
    EXPECT_TRUE(Global::saveCurrentUser());
    EXPECT_EQ(folder.read("user0.hma"), record(0));
    EXPECT_FALSE(folder.exists("user1.hma"));

    ASSERT_TRUE(Global::addNewToConfig("Bo", "<Ng>"));
    EXPECT_STREQ(Global::currentFile, "user1.hma");
    EXPECT_STREQ(Global::currentId, "1");
    std::string directory = folder.read("config.hma");
    EXPECT_NE(directory.find("<first>Bo</first>\n\t\t\t<last>&lt;Ng&gt;</last>\n\t\t</name>\n\t\t<file>user1.hma</file>"),
              std::string::npos);
    ASSERT_TRUE(Global::saveCurrentUser());
    EXPECT_TRUE(folder.exists("user1.hma"));
}

TEST_F(GlobalStoreTest, ANewUserInsertedIntoAGapKeepsIdsAscending)
{
    folder.seed();
    loadConfig(config(patient(0) + patient(2)));
    ASSERT_TRUE(Global::createNew());
    ASSERT_TRUE(Global::addNewToConfig("X", "Y"));
    std::string directory = folder.read("config.hma");
    EXPECT_LT(directory.find("id=\"0\""), directory.find("id=\"1\""));
    EXPECT_LT(directory.find("id=\"1\""), directory.find("id=\"2\""));
}

TEST_F(GlobalStoreTest, ARemovedUsersFileSurvivesANewUserWithTheSameId)
{
    folder.seed();
    loadConfig(config(patient(0) + patient(1, "Old")));
    folder.write("user1.hma", record(1, "Old"));
    ASSERT_EQ(Global::openUser("1"), 0);
    ASSERT_EQ(Global::removeCurrentUser(), 0);
    EXPECT_EQ(folder.read("config.hma").find("user1.hma"), std::string::npos);
    EXPECT_EQ(folder.read("user1.hma"), record(1, "Old"));

    ASSERT_TRUE(Global::createNew());
    ASSERT_TRUE(Global::addNewToConfig("New", "One"));
    ASSERT_TRUE(Global::saveCurrentUser());
    int keptAside = 0;
    for (const std::string& name : folder.names())
        if (name.rfind("user1.removed-", 0) == 0 && folder.read(name) == record(1, "Old"))
            ++keptAside;
    EXPECT_EQ(keptAside, 1);
}

TEST_F(GlobalStoreTest, RemovingAnUnlistedUserChangesNothing)
{
    loadConfig(config(patient(0)));
    std::string before = printed(*Global::configDoc);
    std::snprintf(Global::currentFile, sizeof Global::currentFile, "user9.hma");
    EXPECT_EQ(Global::removeCurrentUser(), -1);
    EXPECT_EQ(printed(*Global::configDoc), before);
}

TEST_F(GlobalStoreTest, AFailedSaveIsReportedAndKeepsMemoryAndDisk)
{
    loadConfig(config(patient(0) + patient(1)));
    folder.write("user0.hma", record(0));
    std::string onDisk = folder.read("config.hma");
    Global::dataFolder = folder.path() + "missing/";
    std::snprintf(Global::currentFile, sizeof Global::currentFile, "user0.hma");
    EXPECT_EQ(Global::removeCurrentUser(), -2);
    EXPECT_NE(Global::findNodeWithId("0"), nullptr);
    EXPECT_FALSE(Global::saveFile(*Global::configDoc, "config.hma"));
    ASSERT_EQ(prompt.alerts.size(), 2u);
    EXPECT_NE(prompt.alerts[1].find("Unable to save file: config.hma"), std::string::npos);
    EXPECT_EQ(folder.read("config.hma"), onDisk);

    EXPECT_FALSE(Global::addNewToConfig("Not", "Listed"));
    EXPECT_EQ(printed(*Global::configDoc).find("Listed"), std::string::npos);
    EXPECT_EQ(Global::currentFile, std::string("user0.hma"));

    Global::dataFolder = folder.path();
    EXPECT_FALSE(Global::saveFile(*Global::configDoc, "../config.hma"));
}

}
