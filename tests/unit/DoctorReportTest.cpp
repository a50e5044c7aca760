#include "charts/core/ChartModel.h"
#include "history/core/DoctorReport.h"
#include "records/Global.h"
#include "records/NumberText.h"
#include "tests/common/ChartRecord.h"
#include "tests/common/ClockChange.h"
#include "tests/common/TestFolder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

std::string date(ReportDay d)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", d.month, d.day, d.year);
    return text;
}

std::string clock(int hour, int minute)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:00 %s", hour % 12 ? hour % 12 : 12, minute, hour < 12 ? "AM" : "PM");
    return text;
}

std::string fixed1(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", v);
    return text;
}

std::string percent(size_t part, size_t whole)
{
    return std::to_string(int(std::lround(100.0 * double(part) / double(whole)))) + "%";
}

class DoctorReportTest : public StoreFixture {
protected:
    static std::string reading(ReportDay d, int hour, double s, double dia, const std::string& conditions = "")
    {
        std::string fields = "<systolic>" + NumberText::brief(s) + "</systolic>";
        if (dia > 0)
            fields += "<diastolic>" + NumberText::brief(dia) + "</diastolic>";
        return "<entry id=\"0\">" + fields + "<date>" + date(d) + "</date><time>" + clock(hour, 0) + "</time><conditions>" +
               conditions + "</conditions></entry>";
    }
    // Every text of the report, one line each.
    static std::string textOf(const DoctorReport& report)
    {
        std::string all;
        for (const ReportBlock& b : report.blocks)
            for (const std::string& c : b.cells)
                all += c + (b.kind == ReportBlock::TableRow ? "|" : "\n");
        return all;
    }
    ReportDay day1{2026, 12, 1};
    ReportDay day(int n) const { return ReportDay::fromNumber(day1.number() + n - 1); }
};

// The fixed record of the home summary: day 1 high, days 2 to 7 around the threshold.
TEST_F(DoctorReportTest, HomeBloodPressureLeavesOutTheFirstDayAndNeedsTwelveReadingsOverThreeDays)
{
    const struct {
        int lastDay;
        bool enough;
        std::vector<std::string> said, unsaid;
    } cases[] = {
        {7, true,
         {"24 readings used over 6 days", "Home average: mean 133.5/83.5 mmHg, below the home threshold of 135/85 mmHg.",
          "Morning mean 135.0/85.0 mmHg (12 readings, at or above the threshold);\nevening mean 132.0/82.0 mmHg (12 "
          "readings, below the threshold)."},
         {"135.7/85.1", "Not enough"}},
        // Twelve readings over three days after the first are just enough.
        {4, true, {"12 readings used over 3 days", "mean 133.5/83.5 mmHg, below"}, {"Not enough"}},
        {3, false,
         {"Not enough readings for a home blood-pressure average (at least 12 readings over 3 days after the first "
          "day are needed)"},
         {"Home average"}},
    };
    for (const auto& c : cases) {
        std::string entries = reading(day(1), 7, 152, 96) + reading(day(1), 8, 148, 94) + reading(day(1), 19, 150, 95) +
                              reading(day(1), 21, 146, 93);
        for (int d = 2; d <= c.lastDay; ++d)
            entries += reading(day(d), 6, 136, 86) + reading(day(d), 11, 134, 84) + reading(day(d), 17, 133, 83) +
                       reading(day(d), 23, 131, 81);
        // Outside the period: neither summarised nor listed.
        entries += reading(day(-20), 8, 200, 120) + reading(day(9), 8, 200, 120);
        openRecord(ChartRecord::variableOf("Blood Pressure", entries));
        DoctorReport report({day1, day(8)}, {{"Blood Pressure"}, false, true}, day(8));
        const std::string text = textOf(report);
        std::string home;
        for (const std::string& line : report.home.lines())
            home += line + "\n";
        EXPECT_EQ(report.home.enough, c.enough);
        for (const std::string& s : c.said)
            EXPECT_NE(home.find(s), std::string::npos) << s << "\n" << home;
        for (const std::string& s : c.unsaid)
            EXPECT_EQ(home.find(s), std::string::npos) << s;
        EXPECT_NE(text.find(home), std::string::npos);
        const size_t rows = std::count_if(report.blocks.begin(), report.blocks.end(),
                                          [](const ReportBlock& b) { return b.kind == ReportBlock::TableRow; });
        EXPECT_EQ(rows, size_t(4 * c.lastDay));
        EXPECT_EQ(text.find("200.0"), std::string::npos);
    }
}

// A varied record: every figure of the summary against a computation of its own.
TEST_F(DoctorReportTest, SummaryFiguresAgreeWithAnIndependentComputation)
{
    struct Row {
        ReportDay day;
        int hour;
        double s, d; // d 0: systolic alone
        int conditions;
    };
    std::vector<Row> rows;
    unsigned seed = 7;
    auto next = [&seed](unsigned n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    // Around the day the local clock goes forward, where it does; no reading in the hour it skips.
    long forward = -1;
    int skipped = -1;
    for (const ClockChange& c : clockChanges(2026))
        if (c.shift > 0) {
            forward = ReportDay{c.year, c.month, c.day}.number();
            skipped = c.hour;
            day1 = ReportDay::fromNumber(forward - 6);
        }
    for (int i = 0; i < 61; ++i) {
        const ReportDay d = day(1 + int(next(14)));
        const int hour = int(next(24));
        rows.push_back({d, hour + (d.number() == forward && hour == skipped), 80.0 + next(100) + (i % 4 ? 0 : 0.5),
                        i % 9 == 0 ? 0 : 50.0 + next(60), int(next(32))});
    }
    std::string entries;
    for (const Row& r : rows) {
        std::string conditions;
        for (int k = 0; k < 5; ++k)
            if (r.conditions & (1 << k))
                conditions += "<c" + std::to_string(k) + "/>";
        entries += reading(r.day, r.hour, r.s, r.d, conditions);
    }
    openRecord(ChartRecord::variableOf("Blood Pressure", entries));
    const ReportPeriod period(day(3), day(12));
    DoctorReport report(period, {{"Blood Pressure"}, false, true}, day(12));
    const std::string text = textOf(report);

    std::vector<Row> in;
    for (const Row& r : rows)
        if (r.day.number() >= day(3).number() && r.day.number() <= day(12).number())
            in.push_back(r);
    const double bounds[2][4] = {{90, 139, 80, 149}, {60, 89, 50, 99}};
    for (int m = 0; m < 2; ++m) {
        std::vector<double> v;
        for (const Row& r : in)
            if (m == 0 || r.d > 0)
                v.push_back(m == 0 ? r.s : r.d);
        double mean = 0, ss = 0;
        for (double x : v)
            mean += x / double(v.size());
        for (double x : v)
            ss += (x - mean) * (x - mean);
        std::sort(v.begin(), v.end());
        const size_t n = v.size();
        const double median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
        const double* b = bounds[m];
        const size_t below = size_t(std::count_if(v.begin(), v.end(), [b](double x) { return x < b[0]; }));
        const size_t above = size_t(std::count_if(v.begin(), v.end(), [b](double x) { return x > b[1]; }));
        const size_t panic = size_t(std::count_if(v.begin(), v.end(), [b](double x) { return x < b[2] || x > b[3]; }));
        const std::string name = m == 0 ? "Systolic" : "Diastolic";
        for (const std::string& s :
             {name + ": " + std::to_string(n) + " readings, mean " + fixed1(mean) + " mmHg, median " + fixed1(median) +
                  " mmHg\n    standard deviation " + fixed1(std::sqrt(ss / double(n - 1))) + " mmHg, lowest " +
                  NumberText::brief(v.front()) + " mmHg, highest " + NumberText::brief(v.back()) + " mmHg\n",
              ": " + std::to_string(below) + " below (" + percent(below, n) + "), " + std::to_string(n - below - above) +
                  " inside (" + percent(n - below - above, n) + "), " + std::to_string(above) + " above (" +
                  percent(above, n) + ")\n    panic range " + NumberText::brief(b[2]) + " to " +
                  NumberText::brief(b[3]) + " mmHg: " + std::to_string(panic) + " outside (" + percent(panic, n) + ")\n"})
            EXPECT_NE(text.find(s), std::string::npos) << s << "\n" << text;
    }
    // Pairs, times of day, conditions and classes count readings holding both values.
    auto pairMean = [&](auto takes) {
        double s = 0, d = 0;
        size_t n = 0;
        for (const Row& r : in)
            if (r.d > 0 && takes(r)) {
                s += r.s;
                d += r.d;
                ++n;
            }
        return "mean " + fixed1(s / double(n)) + "/" + fixed1(d / double(n)) + " mmHg over " + std::to_string(n);
    };
    EXPECT_NE(text.find("Morning (4:00 to 11:59): " + pairMean([](const Row& r) { return r.hour >= 4 && r.hour < 12; })),
              std::string::npos);
    EXPECT_NE(text.find("Evening (17:00 to 23:59): " + pairMean([](const Row& r) { return r.hour >= 17; })), std::string::npos);
    size_t k = 0;
    for (const auto& condition : Global::conditions) {
        std::vector<const Row*> with;
        for (const Row& r : in)
            if (r.conditions & (1 << k))
                with.push_back(&r);
        ++k;
        double s = 0, d = 0;
        size_t nd = 0;
        for (const Row* r : with) {
            s += r->s;
            d += r->d;
            nd += r->d > 0;
        }
        const std::string line = "When \"" + condition.second + "\": " + std::to_string(with.size()) + " readings, mean " +
                                 fixed1(s / double(with.size())) + "/" + fixed1(d / double(nd)) + " mmHg\n";
        EXPECT_EQ(text.find(line) != std::string::npos, with.size() >= 3) << line;
    }
    std::vector<size_t> classes(Global::bpClasses.size() + 1, 0);
    size_t pairs = 0;
    for (const Row& r : in) {
        if (r.d <= 0)
            continue;
        ++pairs;
        const size_t c = r.s >= 160 || r.d >= 100 ? 3 : r.s >= 140 || r.d >= 90 ? 2 : r.s >= 120 || r.d >= 80 ? 1
                         : r.s >= 90 && r.d >= 60                                 ? 0
                                                                                  : 4;
        ++classes[c];
    }
    std::string line = "in the highest class it belongs to:\n    ";
    for (size_t c = 0; c < 4; ++c)
        line += Global::bpClasses[c].name + ": " + std::to_string(classes[c]) + " (" + percent(classes[c], pairs) + "), ";
    line += "in no class: " + std::to_string(classes[4]) + " (" + percent(classes[4], pairs) + ")";
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;

    // Every reading of the period once in the table, oldest first.
    std::vector<std::string> listed, expected;
    for (const ReportBlock& b : report.blocks)
        if (b.kind == ReportBlock::TableRow)
            listed.push_back(b.cells[0] + " " + b.cells[1] + " " + b.cells[2]);
    std::stable_sort(in.begin(), in.end(), [](const Row& a, const Row& b) {
        return a.day.number() != b.day.number() ? a.day.number() < b.day.number() : a.hour < b.hour;
    });
    for (const Row& r : in)
        expected.push_back(date(r.day) + " " + clock(r.hour, 0) + " " + DoctorReport::marked(r.s, {90, 139, 80, 149}));
    EXPECT_EQ(listed, expected);
}

TEST(ReportPeriodTest, QuickPicksCountWholeDaysBackFromToday)
{
    const ReportDay today{2026, 12, 8}, first{2016, 2, 29}, last{2026, 11, 30};
    const struct {
        ReportPeriod::Pick pick;
        const char* text;
    } cases[] = {
        {ReportPeriod::Last7Days, "2026-12-02 to 2026-12-08"},   {ReportPeriod::Last30Days, "2026-11-09 to 2026-12-08"},
        {ReportPeriod::Last90Days, "2026-09-10 to 2026-12-08"},  {ReportPeriod::LastYear, "2025-12-09 to 2026-12-08"},
        {ReportPeriod::AllReadings, "2016-02-29 to 2026-12-08"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReportPeriod::pick(c.pick, today, first, last).shortText(), c.text) << ReportPeriod::pickNames[c.pick];
    EXPECT_EQ(ReportPeriod({2026, 11, 8}, today).text(), "November 8, 2026 to December 8, 2026");
    for (long n = -800; n < 40000; n += 97) {
        const ReportDay d = ReportDay::fromNumber(n);
        EXPECT_EQ(d.number(), n);
        EXPECT_EQ(ReportDay::of(d.start() + 43200).number(), n);
    }
    // A day on which the clock changes is shorter or longer, and still one day from its first
    // second to its last.
    for (const char* name : zonesWithClockChanges()) {
        ZoneScope zone(name);
        for (const ClockChange& c : clockChanges(2026)) {
            const ReportDay d{c.year, c.month, c.day}, next = ReportDay::fromNumber(d.number() + 1);
            EXPECT_EQ(next.start() - d.start(), 86400 - c.shift) << name << " " << c.date();
            EXPECT_EQ(ReportDay::of(d.start()).number(), d.number()) << name << " " << c.date();
            EXPECT_EQ(ReportDay::of(next.start() - 1).number(), d.number()) << name << " " << c.date();
            EXPECT_TRUE(ReportPeriod(d, d).contains(d.start() + 3 * 3600)) << name << " " << c.date();
        }
    }
}

// Long tables go over pages with their header again, a vital of one value two abreast; a heading
// is never the last line of a page.
TEST(DoctorReportLayoutTest, BlocksFillPagesInOrder)
{
    VitalReadings pulse{"Heart Rate", {"Heart Rate"}, {{60, 100, 40, 120}}, {}};
    for (int i = 0; i < 230; ++i)
        pulse.readings.push_back({std::time_t(1700000000 + i * 3600), {2026, 1, 1}, 0, "01/01/2026", "01:00:00 AM",
                                  {double(50 + i % 90)}, std::vector<bool>(5, false)});
    VitalReadings pressure{"Blood Pressure", {"Systolic", "Diastolic"}, {{90, 139, 80, 149}, {60, 89, 50, 99}}, {}};
    for (int i = 0; i < 150; ++i)
        pressure.readings.push_back({std::time_t(1700000000 + i * 3600), {2026, 1, 1}, 0, "01/01/2026", "01:00:00 AM",
                                     {120.0, 80.0}, std::vector<bool>(5, i % 2 == 0)});
    DoctorReport report({{2026, 1, 1}, {2026, 1, 1}}, {{"Heart Rate", "Blood Pressure"}, true, true}, {2026, 1, 2},
                        {pulse, pressure}, "Ann Lee", "");
    EXPECT_EQ(report.abreast, (std::vector<int>{2, 1}));
    const double height = 700;
    const auto pages = report.pages(height);
    ASSERT_GT(pages.size(), 3u);
    std::vector<size_t> seen;
    size_t mostRows[2] = {0, 0};
    for (const auto& page : pages) {
        EXPECT_LE(report.heightOf(page), height);
        size_t rows[2] = {0, 0};
        for (size_t i : page)
            if (report.blocks[i].kind == ReportBlock::TableRow)
                ++rows[report.blocks[i].vital];
        for (int v = 0; v < 2; ++v)
            mostRows[v] = std::max(mostRows[v], rows[v]);
        const ReportBlock& lastOne = report.blocks[page.back()];
        EXPECT_TRUE(lastOne.kind != ReportBlock::Heading && lastOne.kind != ReportBlock::Subheading &&
                    lastOne.kind != ReportBlock::TableHeader);
        if (report.blocks[page.front()].kind == ReportBlock::TableRow)
            ADD_FAILURE() << "a page of rows without their header";
        for (size_t i : page)
            if (seen.empty() || i > seen.back())
                seen.push_back(i);
            else
                EXPECT_EQ(report.blocks[i].kind, ReportBlock::TableHeader);
    }
    const size_t oneLine = size_t(height / DoctorReport::heightOf(ReportBlock::TableRow));
    EXPECT_GT(mostRows[0], oneLine);
    EXPECT_LE(mostRows[1], oneLine);
    EXPECT_EQ(seen.size(), report.blocks.size());
    EXPECT_EQ(report.personLine(), "Ann Lee");
    report.birthDate = "03/04/1950";
    EXPECT_EQ(report.personLine(), "Ann Lee, born March 4, 1950 (age 75)");
    EXPECT_EQ(DoctorReport::marked(100, {60, 100, 40, 120}), "100.0");
    EXPECT_EQ(DoctorReport::marked(121, {60, 100, 40, 120}), "121.0 H!");
    EXPECT_EQ(DoctorReport::marked(59.96, {60, 100, 40, 120}), "60.0 L");
}

}

namespace {

// A report's chart shows its period, whatever lies before or after it.
TEST(DoctorReportChartTest, AFixedWindowShowsThePeriodOnly)
{
    ChartSeries pulse;
    pulse.name = "Heart Rate";
    for (int day = 1; day <= 30; ++day) {
        std::tm when{};
        when.tm_year = 126, when.tm_mon = 10, when.tm_mday = day, when.tm_hour = 12;
        pulse.store(when, 60 + day);
    }
    ChartModel model;
    const ReportPeriod period({2026, 11, 10}, {2026, 11, 19});
    model.setFixedWindow(period.from.start(), ReportDay::fromNumber(period.to.number() + 1).start() - 1);
    model.addSeries(pulse);
    model.update();
    ASSERT_EQ(model.visibleSeries.size(), 1u);
    EXPECT_EQ(model.visibleSeries[0].last - model.visibleSeries[0].first, 10u);
    EXPECT_EQ(model.visibleSeries[0].begin()->value, 70);
    EXPECT_STREQ(model.fromText, "11/10/26");
    EXPECT_STREQ(model.toText, "11/19/26");
}

}
