// The report a person takes to their doctor, without a display: every reading of the chosen
// vitals in a period, summarised in words and figures, the home blood-pressure average, the charts
// and the table of readings, as a list of blocks of text; and which blocks go on which page.
#pragma once

#include "history/core/HomeBloodPressure.h"
#include "history/core/ReportPeriod.h"
#include "history/core/VitalFigures.h"
#include "history/core/VitalReadings.h"

#include <string>
#include <vector>

struct ReportBlock {
    enum Kind { Heading, Subheading, Text, TableHeader, TableRow, Chart };
    Kind kind;
    std::vector<std::string> cells; // a text's one line, or a table row's cells
    int vital = -1;                 // for a chart, a table header and its rows
};

class DoctorReport {
public:
    struct Options {
        std::vector<std::string> vitals; // in the order they are reported
        bool charts = true;
        bool table = true;
    };

    // Reads the open record.
    DoctorReport(const ReportPeriod& period, const Options& options, ReportDay made = ReportDay::today());
    // From readings at hand.
    DoctorReport(const ReportPeriod& period, const Options& options, ReportDay made, std::vector<VitalReadings> vitals,
                 const std::string& person, const std::string& birthDate);

    size_t readingCount() const;
    // "Ann Lee, born March 4, 1950 (age 76)"
    std::string personLine() const;
    // "Period: November 8, 2026 to December 8, 2026"
    std::string periodLine() const;
    // "Made on December 8, 2026"
    std::string madeLine() const;
    static const char* const disclaimer;
    static const char* const markKey;
    static std::string pageLine(int page, int pages); // "page 2 of 5"

    // The heights in points that the page drawing gives each kind of block.
    static double heightOf(ReportBlock::Kind kind);
    // The blocks of each page for a page holding height points of blocks: a heading stays with what
    // follows it, and a table going on over a page starts again with its header. Rows of a table
    // two abreast fill a page's left half, then its right half.
    std::vector<std::vector<size_t>> pages(double height) const;
    // The points a page of blocks takes.
    double heightOf(const std::vector<size_t>& page) const;
    // How many rows of the block's table stand side by side: two for a vital of one value whose
    // conditions are short enough to share the width, else one.
    int abreastOf(const ReportBlock& block) const;
    static constexpr size_t maxConditionsAbreast = 24;

    // The table's text of one value: one decimal, then "H" above the normal range, "L" below it and
    // "!" outside the panic range.
    static std::string marked(double value, const Ranges& ranges);
    // The table's column titles for a vital; its unit is in the heading above.
    static std::vector<std::string> tableTitles(const VitalReadings& vital);

    ReportPeriod period;
    Options options;
    ReportDay made;
    std::string person, birthDate; // birthDate as stored (MM/DD/YYYY), may be empty
    std::vector<VitalReadings> vitals;
    std::vector<VitalFigures> figures;
    bool hasBloodPressure = false;
    HomeBloodPressure home;
    std::vector<ReportBlock> blocks;
    std::vector<int> abreast; // per vital, see abreastOf

private:
    void build();
    void summarise(size_t v);
};
