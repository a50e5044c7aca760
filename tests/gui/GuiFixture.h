// In-process fixture: a seeded data folder, the record store loaded from it, and a live main window.
#pragma once

#include "tests/common/TestFolder.h"

#include <string>

class MainWindow;

class GuiFixture : public StoreFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes config.hma listing users (first, last) with ids 0.. and a record file for each.
    void makeUsers(const std::vector<std::pair<std::string, std::string>>& names);
    void startWindow(int w = 1000, int h = 700);
    // Ann Lee and Bo Ng listed, and Ann open in a window that shows every panel at its full size.
    // Given information or variables, Ann's record holds her name, those and nothing else.
    void showAnn(const std::string& variables = "", const std::string& information = "");
    void clickUserLine(int line);
    static std::string record(int id, const std::string& first, const std::string& last);
    std::vector<std::string> userLines() const;

    MainWindow* window = nullptr;
};
