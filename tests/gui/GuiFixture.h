// In-process fixture: a seeded data folder, the record store loaded from it, and a live main window.
#pragma once

#include "tests/unit/TestFolder.h"

#include <gtest/gtest.h>

#include <string>

class InfoWindow;
class MainWindow;

class GuiFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes config.hma listing users (first, last) with ids 0.. and a record file for each.
    void makeUsers(const std::vector<std::pair<std::string, std::string>>& names);
    void startWindow(int w = 1000, int h = 700);
    void clickUserLine(int line);
    static std::string record(int id, const std::string& first, const std::string& last);
    // The newest information dialog that is showing, or null.
    InfoWindow* openInfoWindow() const;
    std::vector<std::string> userLines() const;

    TestFolder folder;
    RecordingPrompt prompt;
    MainWindow* window = nullptr;
};
