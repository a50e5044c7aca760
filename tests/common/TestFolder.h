// A throw-away data folder for one test, a prompt handler that records alerts and quits and
// answers questions, and a fixture with the record store reset onto such a folder.
#pragma once

#include "app/Prompt.h"
#include "records/Xml.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

class TestFolder {
public:
    TestFolder();
    ~TestFolder(); // removes the folder with everything in it
    const std::string& path() const { return folder; }
    void write(const std::string& name, const std::string& text) const;
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;
    std::vector<std::string> names() const;
    // Copies the installed data files (template, empty directory, help text) into the folder.
    void seed() const;

private:
    std::string folder;
};

// Sets an environment variable (null: unsets it) for one test and puts the previous value back.
struct EnvScope {
    EnvScope(const char* name, const char* value)
        : name(name), had(std::getenv(name)), previous(had ? std::getenv(name) : "")
    {
        set(value);
    }
    ~EnvScope() { set(had ? previous.c_str() : nullptr); }
    void set(const char* value)
    {
        value ? setenv(name, value, 1) : unsetenv(name);
        tzset();
    }
    const char* name;
    bool had;
    std::string previous;
};

class RecordingPrompt : public Prompt::Handler {
public:
    RecordingPrompt() { previous = Prompt::setHandler(this); }
    ~RecordingPrompt() override { Prompt::setHandler(previous); }
    void alert(const std::string& text) override { alerts.push_back(text); }
    int choice(const std::string& question, const char*, const char*, const char*) override
    {
        questions.push_back(question);
        return answer;
    }
    void quit(int status) override { quits.push_back(status); }
    std::vector<std::string> alerts;
    std::vector<std::string> questions;
    std::vector<int> quits;
    int answer = 0;

private:
    Prompt::Handler* previous;
};

// The text saveFile writes of a node (flags: rapidxml's print flags).
std::string printed(const XmlNode& node, int flags = 0);

class StoreFixture : public ::testing::Test {
protected:
    // Puts the record store back to its start state, with the catalogue built, on the folder.
    void SetUp() override;
    // Loads a record of the folder as the open user's document, reporting damage.
    static bool loadRecord(const char* name);
    // Writes user0.hma holding the variables given and opens it as the current user.
    void openRecord(const std::string& variables);

    TestFolder folder;
    RecordingPrompt prompt;
};
