#include "tests/unit/TestFolder.h"

#include "records/Global.h"

#include <dirent.h>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

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
    for (const std::string& name : names())
        unlink((folder + name).c_str());
    rmdir(folder.c_str());
}

void TestFolder::write(const std::string& name, const std::string& text) const
{
    std::ofstream(folder + name, std::ios::binary) << text;
}

std::string TestFolder::read(const std::string& name) const
{
    std::ifstream in(folder + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool TestFolder::exists(const std::string& name) const
{
    struct stat info;
    return stat((folder + name).c_str(), &info) == 0;
}

std::vector<std::string> TestFolder::names() const
{
    std::vector<std::string> result;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir))
            if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
                result.push_back(entry->d_name);
        closedir(dir);
    }
    return result;
}

void TestFolder::seed() const
{
    for (const char* name : {"template_new.xml", "config.hma", "readme.txt"}) {
        std::ifstream in(std::string(MV_DATA_DIR) + "/" + name, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        write(name, text.str());
    }
}

void resetStore(const std::string& dataFolder)
{
    Global::init();
    Global::dataFolder = dataFolder;
    Global::configDoc = std::make_unique<XmlDocument>();
    Global::userDoc = std::make_unique<XmlDocument>();
    Global::configBuffer.clear();
    Global::userBuffer.clear();
    Global::currentFile[0] = '\0';
    Global::currentId[0] = '\0';
    Global::userOpen = false;
    Global::userDocReplacing = nullptr;
}
