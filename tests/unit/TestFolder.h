// A throw-away data folder for one test, and a prompt handler that records alerts and answers questions.
#pragma once

#include "app/Prompt.h"

#include <string>
#include <vector>

class TestFolder {
public:
    TestFolder();
    ~TestFolder();
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
    std::vector<std::string> alerts;
    std::vector<std::string> questions;
    int answer = 0;

private:
    Prompt::Handler* previous;
};

// Puts the record store back to its start state, with the catalogue built and dataFolder set.
void resetStore(const std::string& dataFolder);
