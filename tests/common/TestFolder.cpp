#include "tests/common/TestFolder.h"

#include "records/Global.h"

#include <rapidxml/rapidxml_print.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <stdlib.h>

#ifndef MV_DATA_DIR
#error "MV_DATA_DIR must name the folder of the installed data files"
#endif

TestFolder::TestFolder()
{
    char pattern[] = "/tmp/mv-test-XXXXXX";
    if (!mkdtemp(pattern))
        throw std::runtime_error("mkdtemp failed");
    folder = std::string(pattern) + "/";
}

TestFolder::~TestFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

void TestFolder::write(const std::string& name, const std::string& text) const
{
    std::ofstream(folder + name, std::ios::binary) << text;
}

namespace {

std::string contents(const std::string& path)
{
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

}

std::string TestFolder::read(const std::string& name) const
{
    return contents(folder + name);
}

bool TestFolder::exists(const std::string& name) const
{
    return std::filesystem::exists(folder + name);
}

std::vector<std::string> TestFolder::names() const
{
    std::vector<std::string> result;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        result.push_back(entry.path().filename());
    return result;
}

void TestFolder::seed() const
{
    for (const char* name : {"template_new.xml", "config.hma", "readme.txt"})
        write(name, contents(std::string(MV_DATA_DIR) + "/" + name));
}

void StoreFixture::SetUp()
{
    Global::init();
    Global::dataFolder = folder.path();
    Global::configDoc = std::make_unique<XmlDocument>();
    Global::userDoc = std::make_unique<XmlDocument>();
    Global::configBuffer.clear();
    Global::userBuffer.clear();
    Global::currentFile[0] = '\0';
    Global::currentId[0] = '\0';
    Global::userOpen = false;
    Global::userDocReplacing = nullptr;
}

std::string printed(const XmlNode& node, int flags)
{
    std::string text;
    rapidxml::print(std::back_inserter(text), node, flags);
    return text;
}

bool StoreFixture::loadRecord(const char* name)
{
    return Global::loadFile(Global::userDoc, name, Global::userBuffer, "patient", Global::OnDamage::Report);
}

void StoreFixture::openRecord(const std::string& variables)
{
    folder.write("user0.hma", "<patient id=\"0\"><info/>" + variables + "</patient>");
    ASSERT_TRUE(loadRecord("user0.hma"));
    std::snprintf(Global::currentFile, sizeof Global::currentFile, "user0.hma");
}
