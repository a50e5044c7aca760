// In-process fixture: a seeded data folder, the record store loaded from it, and a live main window.
#pragma once

#include "tests/common/TestFolder.h"

#include <array>
#include <string>

class MainWindow;

// Places a person sees, measured once in pixels: checks compare with these numbers, never with the
// program's own figures or a copy of its arithmetic.
struct Layout {
    // A main window grown to 1600 x 1000: the user list's width, the lower row's height and bottom,
    // and the width beside the chart.
    static constexpr int userListWidth = 247, lowerRowHeight = 197, lowerRowBottom = 998, besideChart = 256;
    // The histograms of showAnn's window as they come, x, y, w, h: the whole area, beside the first,
    // then a second row of two.
    static constexpr std::array<int, 4> histograms[4] = {
        {265, 175, 978, 595}, {759, 175, 484, 595}, {265, 477, 484, 292}, {759, 477, 484, 292}};
};

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
