#include "history/core/DoctorReport.h"

#include "history/core/HistoryModel.h"
#include "records/DateCheck.h"
#include "records/Global.h"
#include "records/NumberText.h"
#include "records/RecordView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

const char* const DoctorReport::disclaimer =
    "This log is not a substitute for a doctor's advice: talk to your doctor about these readings.";
const char* const DoctorReport::markKey =
    "Key: H above the normal range, L below the normal range, ! outside the panic range.";

DoctorReport::DoctorReport(const ReportPeriod& period, const Options& options, ReportDay made)
    : period(period), options(options), made(made)
{
    person = RecordView::userName();
    XmlNode* info = Xml::child(Global::userDoc.get(), "patient", "info");
    birthDate = Xml::childText(info, "dob");
    for (const std::string& name : options.vitals)
        vitals.push_back(VitalReadings::load(name, period));
    build();
}

DoctorReport::DoctorReport(const ReportPeriod& period, const Options& options, ReportDay made,
                           std::vector<VitalReadings> readings, const std::string& person, const std::string& birthDate)
    : period(period), options(options), made(made), person(person), birthDate(birthDate), vitals(std::move(readings))
{
    build();
}

size_t DoctorReport::readingCount() const
{
    size_t n = 0;
    for (const VitalReadings& v : vitals)
        n += v.readings.size();
    return n;
}

std::string DoctorReport::personLine() const
{
    int year, month, day;
    if (birthDate.empty() || DateCheck::checkDate(birthDate.c_str(), &year, &month, &day) != DateCheck::Valid)
        return person;
    int age = made.year - year - ((made.month < month || (made.month == month && made.day < day)) ? 1 : 0);
    return person + ", born " + ReportPeriod::longDate({year, month, day}) + " (age " + std::to_string(age) + ")";
}

std::string DoctorReport::periodLine() const
{
    return "Period: " + period.text();
}

std::string DoctorReport::madeLine() const
{
    return "Made on " + ReportPeriod::longDate(made);
}

std::string DoctorReport::pageLine(int page, int pages)
{
    return "page " + std::to_string(page) + " of " + std::to_string(pages);
}

std::string DoctorReport::marked(double value, const Ranges& ranges)
{
    std::string text = NumberText::figure(value);
    switch (ranges.classify(value)) {
    case RangeClass::Low:
        return text + " L";
    case RangeClass::High:
        return text + " H";
    case RangeClass::PanicLow:
        return text + " L!";
    case RangeClass::PanicHigh:
        return text + " H!";
    default:
        return text;
    }
}

std::vector<std::string> DoctorReport::tableTitles(const VitalReadings& vital)
{
    std::vector<std::string> titles = {"Date", "Time"};
    for (const std::string& member : vital.members)
        titles.push_back(member);
    titles.push_back("Conditions");
    return titles;
}

void DoctorReport::summarise(size_t v)
{
    const VitalReadings& vital = vitals[v];
    const VitalFigures& f = figures[v];
    auto text = [this](const std::string& line) { blocks.push_back({ReportBlock::Text, {line}}); };
    const std::string unit = vital.unit();
    blocks.push_back({ReportBlock::Subheading, {vital.variable + (unit.empty() ? " (on its own scale)" : " (" + unit + ")")}});
    if (vital.readings.empty()) {
        text("No readings in the period.");
        return;
    }
    for (size_t m = 0; m < f.members.size(); ++m) {
        const MemberFigures& mf = f.members[m];
        const Ranges& r = vital.ranges[m];
        const std::string name = vital.members.size() > 1 ? mf.name : vital.variable;
        if (!mf.count) {
            text(name + ": no readings");
            continue;
        }
        text(name + ": " + std::to_string(mf.count) + (mf.count == 1 ? " reading" : " readings") + ", mean " +
             vital.withUnit(NumberText::figure(mf.mean)) + ", median " + vital.withUnit(NumberText::figure(mf.median)));
        text("    standard deviation " + vital.withUnit(NumberText::figure(mf.sd)) + ", lowest " +
             vital.withUnit(NumberText::brief(mf.lowest)) + ", highest " + vital.withUnit(NumberText::brief(mf.highest)));
        if (mf.ranged)
            text("    normal range " + NumberText::brief(r.normalLow) + " to " + vital.withUnit(NumberText::brief(r.normalHigh)) + ": " + std::to_string(mf.below) +
                 " below (" + VitalFigures::share(mf.below, mf.count) + "), " + std::to_string(mf.inside) + " inside (" +
                 VitalFigures::share(mf.inside, mf.count) + "), " + std::to_string(mf.above) + " above (" +
                 VitalFigures::share(mf.above, mf.count) + ")");
        if (r.panicKnown())
            text("    panic range " + NumberText::brief(r.panicLow) + " to " + vital.withUnit(NumberText::brief(r.panicHigh)) + ": " +
                 std::to_string(mf.outsidePanic) + " outside (" + VitalFigures::share(mf.outsidePanic, mf.count) + ")");
    }
    // Blood sugar is taken fasting or after a meal, seldom both in one entry: no pairs for it.
    if (vital.isBloodPressure())
        text("Readings with both values: " + std::to_string(f.complete.count) + ", mean " +
             vital.withUnit(VitalFigures::joined(f.complete.means)));
    if (vital.isBloodPressure() || vital.variable == "Heart Rate" || vital.variable == "Pulse") {
        auto part = [&](const MeanFigures& m) {
            return m.count ? "mean " + vital.withUnit(VitalFigures::joined(m.means)) + " over " + std::to_string(m.count) +
                                 (m.count == 1 ? " reading" : " readings")
                           : std::string("no readings");
        };
        text("Morning (4:00 to 11:59): " + part(f.morning));
        text("Evening (17:00 to 23:59): " + part(f.evening));
    }
    for (const VitalFigures::ConditionMeans& c : f.byCondition)
        text("When \"" + c.condition + "\": " + std::to_string(c.count) + " readings, mean " +
             vital.withUnit(VitalFigures::joined(c.means)));
    if (!f.classCounts.empty()) {
        size_t total = f.noClass;
        for (size_t n : f.classCounts)
            total += n;
        text("Classes, each reading with both values counted once, in the highest class it belongs to:");
        std::string line = "    ";
        for (size_t c = 0; c < f.classCounts.size(); ++c)
            line += Global::bpClasses[c].name + ": " + std::to_string(f.classCounts[c]) + " (" +
                    VitalFigures::share(f.classCounts[c], total) + "), ";
        text(line + "in no class: " + std::to_string(f.noClass) + " (" + VitalFigures::share(f.noClass, total) + ")");
    }
}

void DoctorReport::build()
{
    figures.clear();
    blocks.clear();
    for (const VitalReadings& v : vitals)
        figures.push_back(VitalFigures::of(v));
    blocks.push_back({ReportBlock::Heading, {"Summary"}});
    for (size_t v = 0; v < vitals.size(); ++v)
        summarise(v);
    for (size_t v = 0; v < vitals.size(); ++v)
        if (vitals[v].isBloodPressure()) {
            hasBloodPressure = true;
            home = HomeBloodPressure::of(vitals[v]);
            blocks.push_back({ReportBlock::Heading, {"Home blood pressure"}});
            for (const std::string& line : home.lines())
                blocks.push_back({ReportBlock::Text, {line}});
        }
    if (options.charts) {
        blocks.push_back({ReportBlock::Heading, {"Charts"}});
        for (size_t v = 0; v < vitals.size(); ++v)
            if (!vitals[v].readings.empty())
                blocks.push_back({ReportBlock::Chart, {vitals[v].variable}, int(v)});
    }
    abreast.assign(vitals.size(), 1);
    if (options.table) {
        blocks.push_back({ReportBlock::Heading, {"Readings"}});
        for (size_t v = 0; v < vitals.size(); ++v) {
            const VitalReadings& vital = vitals[v];
            const std::string unit = vital.unit();
            blocks.push_back({ReportBlock::Subheading, {vital.variable + (unit.empty() ? "" : " (" + unit + ")")}});
            if (vital.readings.empty()) {
                blocks.push_back({ReportBlock::Text, {"No readings in the period."}});
                continue;
            }
            blocks.push_back({ReportBlock::TableHeader, tableTitles(vital), int(v)});
            size_t widest = 0;
            for (const VitalReading& r : vital.readings) {
                ReportBlock row{ReportBlock::TableRow, {r.date, r.time}, int(v)};
                for (size_t m = 0; m < r.values.size(); ++m)
                    row.cells.push_back(r.has(m) ? marked(r.values[m], vital.ranges[m]) : "");
                std::string conditions;
                size_t k = 0;
                for (const auto& c : Global::conditions) {
                    if (k < r.conditions.size() && r.conditions[k])
                        conditions += (conditions.empty() ? "" : ", ") + c.second;
                    ++k;
                }
                widest = std::max(widest, conditions.size());
                row.cells.push_back(conditions);
                blocks.push_back(std::move(row));
            }
            abreast[v] = vital.members.size() == 1 && widest <= maxConditionsAbreast ? 2 : 1;
        }
    }
}

double DoctorReport::heightOf(ReportBlock::Kind kind)
{
    switch (kind) {
    case ReportBlock::Heading:
        return 24;
    case ReportBlock::Subheading:
        return 17;
    case ReportBlock::Text:
        return 12;
    case ReportBlock::TableHeader:
        return 26;
    case ReportBlock::TableRow:
        return 10.5;
    case ReportBlock::Chart:
        return 300;
    }
    return 12;
}

int DoctorReport::abreastOf(const ReportBlock& b) const
{
    const bool table = b.kind == ReportBlock::TableRow || b.kind == ReportBlock::TableHeader;
    return table && b.vital >= 0 && size_t(b.vital) < abreast.size() ? abreast[size_t(b.vital)] : 1;
}

double DoctorReport::heightOf(const std::vector<size_t>& page) const
{
    double used = 0;
    int run = 0;
    for (size_t i : page) {
        const bool sideBySide = blocks[i].kind == ReportBlock::TableRow && abreastOf(blocks[i]) == 2;
        used += sideBySide && run % 2 ? 0 : heightOf(blocks[i].kind);
        run = sideBySide ? run + 1 : 0;
    }
    return used;
}

std::vector<std::vector<size_t>> DoctorReport::pages(double height) const
{
    std::vector<std::vector<size_t>> out(1);
    double used = 0;
    int header = -1; // the table header whose rows are being laid out
    int run = 0;     // rows of a table two abreast so far on the page: every other one takes a line
    for (size_t i = 0; i < blocks.size(); ++i) {
        const ReportBlock& b = blocks[i];
        const bool sideBySide = b.kind == ReportBlock::TableRow && abreastOf(b) == 2;
        double own = sideBySide && run % 2 ? 0 : heightOf(b.kind);
        double need = own;
        // A heading, or a table's header, with what comes right after it.
        for (size_t j = i; j + 1 < blocks.size() && (blocks[j].kind == ReportBlock::Heading ||
                                                    blocks[j].kind == ReportBlock::Subheading ||
                                                    blocks[j].kind == ReportBlock::TableHeader); ++j)
            need += heightOf(blocks[j + 1].kind);
        if (b.kind == ReportBlock::TableHeader)
            header = int(i);
        else if (b.kind != ReportBlock::TableRow)
            header = -1;
        if (used > 0 && used + need > height) {
            out.emplace_back();
            used = 0;
            run = 0;
            own = heightOf(b.kind);
            if (b.kind == ReportBlock::TableRow && header >= 0) {
                out.back().push_back(size_t(header));
                used += heightOf(ReportBlock::TableHeader);
            }
        }
        out.back().push_back(i);
        used += own;
        run = sideBySide ? run + 1 : 0;
    }
    return out;
}
