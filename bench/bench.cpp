// mv-bench RECORD_PATH: times loading and saving a user record against the least work the same
// job can take (one read plus a bare parse; one print plus one write and flush), measures the heap
// held by a loaded record, and times the chart: building a series, opening the user with the
// blood-pressure analysis's series, redrawing the plot with four series and the blood-pressure
// analysis against the bare drawing of the same discs and segments, and drawing the histogram tab
// against counting the points into their bins; then the history table (opened and drawn, sorted)
// and recording one reading; the CSV export and import of the record. Needs a display for the drawing rows. Prints one table; timings are
// reported, never judged fatal.
#include "app/Report.h"
#include "app/TimeZone.h"
#include "app/Trace.h"
#include "charts/ChartController.h"
#include "charts/MyGraph.h"
#include "history/HistogramTab.h"
#include "history/HistoryTableWindow.h"
#include "history/MyHistogram.h"
#include "history/core/CsvExport.h"
#include "history/core/CsvImport.h"
#include "history/core/DoctorReport.h"
#include "history/core/NewEntry.h"
#include "records/Change.h"
#include "records/Global.h"
#include "ui/DoctorReportWindow.h"

#include <FL/Fl.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Paged_Device.H>
#include <FL/Fl_Tabs.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <csv.h>

#include <rapidxml/rapidxml_print.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <iostream>
#include <iterator>
#include <malloc.h>
#include <numeric>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The first few loads of a record this size still grow the heap and fault in fresh pages,
// which costs two to three times a settled load; one warm-up round is not enough for that.
const int warmUps = 3, runs = 7;
const double loadTarget = 1.5, saveTarget = 1.5, memoryTargetMb = 80;
const double seriesTargetMs = 20, openChartTarget = 1.5, openChartExtraMs = 25, redrawTarget = 1.3;
const double analysisTarget = 1.3, analysisExtraMs = 10, histogramTargetMs = 10;
const double historyOpenTargetMs = 300, historySortTargetMs = 50, recordTarget = 1.2;
const double reportTarget = 3, reportTimeTargetS = 1.5, reportMemoryTargetMb = 300;
const double csvExportTarget = 1.5, csvImportTarget = 2;

double milliseconds(const std::function<void()>& job)
{
    auto start = std::chrono::steady_clock::now();
    job();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Ours and the floor alternate, so that drift in the machine's load or the disk's cache
// touches both columns alike.
std::pair<double, double> sideBySide(const std::function<void()>& ours, const std::function<void()>& floor)
{
    for (int i = 0; i < warmUps; ++i) {
        ours();
        floor();
    }
    std::vector<double> a, b;
    for (int i = 0; i < runs; ++i) {
        a.push_back(milliseconds(ours));
        b.push_back(milliseconds(floor));
    }
    return {median(a), median(b)};
}

// Blocks above the mmap threshold (the file buffer) are not in uordblks, so both counts are needed.
size_t heapInUse()
{
    struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

void fail(const std::string& what)
{
    std::fprintf(stderr, "mv-bench: %s\n", what.c_str());
    std::exit(1);
}

// Like any real load, a fresh buffer and document each time; the previous ones go afterwards.
void floorLoad(const std::string& path, std::unique_ptr<char[]>& text, std::unique_ptr<XmlDocument>& doc)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    struct stat info;
    if (!f || fstat(fileno(f), &info) != 0)
        fail("cannot read " + path);
    std::unique_ptr<char[]> fresh(new char[size_t(info.st_size) + 1]);
    fresh[std::fread(fresh.get(), 1, size_t(info.st_size), f)] = '\0';
    std::fclose(f);
    auto parsed = std::make_unique<XmlDocument>();
    parsed->parse<0>(fresh.get());
    text.swap(fresh);
    doc.swap(parsed);
}

void floorSave(const std::string& path, const XmlDocument& doc)
{
    std::string text;
    rapidxml::print(std::back_inserter(text), doc);
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || write(fd, text.data(), text.size()) != ssize_t(text.size()) || fsync(fd) != 0 || close(fd) != 0)
        fail("cannot write " + path);
}

void row(const char* name, const char* unit, double ours, double floor, const std::string& ratio,
         const std::string& target, bool ok)
{
    std::printf("%-12s %9.1f %s %9.1f %s %8s %10s  %s\n", name, ours, unit, floor, unit, ratio.c_str(),
                target.c_str(), ok ? "ok" : "OVER");
}

void timeRow(const char* name, double ours, double floor, double target)
{
    char ratio[16], limit[16];
    std::snprintf(ratio, sizeof ratio, "%.2fx", ours / floor);
    std::snprintf(limit, sizeof limit, "<= %.1fx", target);
    row(name, "ms", ours, floor, ratio, limit, ours / floor <= target);
}

// A row whose target is a time of its own: at most limitMs.
void limitRow(const char* name, double ours, double floor, double limitMs, const char* limitText)
{
    char ratio[16];
    std::snprintf(ratio, sizeof ratio, "%.2fx", ours / floor);
    row(name, "ms", ours, floor, ratio, limitText, ours <= limitMs);
}

// The least work of a series: each entry's date and time read and converted once, into a sorted vector.
std::vector<std::pair<std::time_t, double>> floorSeries(const XmlNode* variable, const char* key)
{
    std::vector<std::pair<std::time_t, double>> points;
    for (const XmlNode* e = variable->first_node("entry"); e; e = e->next_sibling("entry")) {
        const XmlNode* value = e->first_node(key);
        if (!value)
            continue;
        std::tm when{};
        char half[8];
        std::sscanf(Xml::childText(e, "date"), "%d/%d/%d", &when.tm_mon, &when.tm_mday, &when.tm_year);
        std::sscanf(Xml::childText(e, "time"), "%d:%d:%d %7s", &when.tm_hour, &when.tm_min, &when.tm_sec, half);
        when.tm_mon -= 1;
        when.tm_year -= 1900;
        when.tm_hour = when.tm_hour % 12 + (half[0] == 'P' ? 12 : 0);
        when.tm_isdst = -1;
        points.emplace_back(std::mktime(&when), std::atof(value->value()));
    }
    std::sort(points.begin(), points.end());
    return points;
}

// What the analysis button builds: both blood-pressure series with their ranges.
void analysisSeries(ChartModel& chart)
{
    XmlNode* bp = Global::findVariableNode("Blood Pressure");
    for (const char* label : {"Systolic", "Diastolic"}) {
        ChartSeries s = ChartSeries::fromEntries(bp, label, Global::elementName(label).c_str(), std::cerr);
        s.ranges = Global::rangesOf(label);
        chart.addSeries(std::move(s));
    }
}

// The bare drawing: the plot's white area and the same discs and segments, with the same calls.
class BareCurves : public Fl_Widget {
public:
    BareCurves(int x, int y, int w, int h) : Fl_Widget(x, y, w, h) {}
    void draw() override
    {
        fl_rectf(plotX, plotY, plotW, plotH, FL_WHITE);
        for (const auto& curve : curves) {
            fl_color(curve.first);
            for (size_t i = 0; i < curve.second.size(); ++i) {
                auto [px, py] = curve.second[i];
                fl_pie(px - 4, py - 4, 8, 8, 0, 360);
                if (i > 0)
                    fl_line(curve.second[i - 1].first, curve.second[i - 1].second, px, py);
            }
        }
    }
    int plotX = 0, plotY = 0, plotW = 0, plotH = 0;
    std::vector<std::pair<Fl_Color, std::vector<std::pair<int, int>>>> curves;
};

// Redraws one widget of a shown window and waits until the display server has drawn it.
void redrawNow(Fl_Widget* widget)
{
    widget->redraw();
    Fl::flush();
    XSync(fl_display, False);
}

}

const int chartW = 1270, chartH = 500;

// Shows the windows and waits until the display server has drawn them.
void showAll(std::initializer_list<Fl_Double_Window*> windows)
{
    for (Fl_Double_Window* w : windows)
        w->show();
    auto pending = [&] {
        for (Fl_Double_Window* w : windows)
            if (w->damage() || !w->visible())
                return true;
        return false;
    };
    while (pending())
        Fl::wait(0.01);
}

// A chart panel in a window of its own, filled with the series of the heavy record.
struct ChartWindow {
    explicit ChartWindow(int displayType, bool withVitals) : window(0, 0, chartW, chartH)
    {
        chart = new ChartController(0, chartW, chartH - 60);
        window.end();
        chart->model.setDisplayType(displayType);
        analysisSeries(chart->model);
        for (const char* vital : {"Heart Rate", "Temperature"})
            if (withVitals)
                chart->model.addSeries(ChartSeries::fromEntries(Global::findVariableNode(vital), vital, "value", std::cerr));
        chart->refresh();
        chart->model.update();
    }
    Fl_Double_Window window;
    ChartController* chart;
};

// The plot redrawn against the bare drawing of the same discs and segments, both shown at once,
// one above the other, so that neither covers the other. Before each redraw of the plot, prepare.
std::pair<double, double> plotRow(int displayType, bool withVitals, const std::function<void(ChartController&)>& prepare)
{
    ChartWindow ours(displayType, withVitals);
    showAll({&ours.window}); // the plot works out its geometry for the display as it draws
    MyGraph* graph = ours.chart->graph;
    Fl_Double_Window bare(0, chartH + 10, chartW, chartH);
    BareCurves* curves = new BareCurves(graph->x(), graph->y(), graph->w(), graph->h());
    bare.end();
    const Fl_Color colours[4] = {FL_RED, FL_BLUE, FL_DARK_GREEN, FL_DARK_CYAN};
    curves->plotX = graph->plotLeft;
    curves->plotY = graph->plotTop;
    curves->plotW = graph->plotRight - graph->plotLeft;
    curves->plotH = graph->plotBottom - graph->plotTop;
    for (size_t i = 0; i < ours.chart->model.visibleSeries.size(); ++i) {
        curves->curves.push_back({colours[i], {}});
        for (const PlotPoint& p : ours.chart->model.plotPoints(i, graph->plotLeft, graph->plotRight, graph->dataBottom, graph->plotTop))
            curves->curves.back().second.emplace_back(p.x, p.y);
    }
    showAll({&ours.window, &bare});
    return sideBySide([&] { prepare(*ours.chart); redrawNow(graph); }, [&] { redrawNow(curves); });
}

// The histogram tab of four series, rebuilt and drawn, against counting their points into the same bins.
std::pair<double, double> histogramRow()
{
    ChartWindow ours(ChartModel::MultiDisplay, true);
    ChartController& chart = *ours.chart;
    chart.tabs->value(chart.histogramTab);
    showAll({&ours.window});
    struct Binning {
        const VisibleSeries* series;
        double width, first;
        size_t count;
    };
    std::vector<Binning> binnings;
    for (int i = 0; i < chart.histogramTab->area->children(); ++i) {
        const MyHistogram* h = static_cast<const MyHistogram*>(chart.histogramTab->area->child(i));
        auto [low, high] = std::minmax_element(h->series->begin(), h->series->end(),
                                               [](const ChartPoint& a, const ChartPoint& b) { return a.value < b.value; });
        double width = h->bins.binWidth, first = std::floor(low->value / width);
        binnings.push_back({h->series, width, first, size_t(std::ceil(high->value / width + 0.1) - first)});
    }
    volatile int sink = 0;
    return sideBySide(
        [&] {
            chart.histogramTab->populate();
            redrawNow(chart.histogramTab);
        },
        [&] {
            for (const Binning& b : binnings) {
                std::vector<int> counts(b.count);
                for (const ChartPoint& p : *b.series)
                    ++counts[size_t(std::floor(p.value / b.width - b.first))];
                sink = sink + counts[0];
            }
        });
}

// The least work of opening a history table: the cells' texts formatted once.
size_t floorCells(const XmlNode* variable)
{
    std::vector<std::string> cells;
    for (const XmlNode* e = variable->first_node("entry"); e; e = e->next_sibling("entry")) {
        cells.emplace_back(Xml::childText(e, "date"));
        cells.emplace_back(Xml::childText(e, "time"));
        for (const char* key : {"systolic", "diastolic"}) {
            char text[32];
            std::snprintf(text, sizeof text, "%.1f", std::atof(Xml::childText(e, key)));
            cells.emplace_back(text);
        }
    }
    return cells.size();
}

// Opening the blood-pressure history window, drawn once, and sorting its table by each column in
// turn, against the floors of formatting its texts and sorting row indices by keys made beforehand.
// The history window's changes reach nothing here.
struct NoEvents : RecordEvents {
    void recordChanged(XmlNode*, Fl_Window*) override {}
    void readingAdded(const std::string&, std::tm, double) override {}
    void refreshPanels(bool, bool, bool) override {}
    bool leavePendingUser() override { return true; }
    void enableUserControls(bool) override {}
};

std::vector<std::pair<double, double>> historyRows()
{
    NoEvents events;
    XmlNode* bp = Global::findVariableNode("Blood Pressure");
    auto open = sideBySide(
        [&] {
            auto* window = new HistoryTableWindow(500, 400, "Blood Pressure History", "Blood Pressure", "", events);
            showAll({window});
            XSync(fl_display, False);
            delete window;
        },
        [&] { floorCells(bp); });
    HistoryModel model("Blood Pressure");
    model.loadData(std::cerr);
    int columns = model.deleteColumn(), ours = 0, floors = 0;
    std::vector<std::vector<double>> keys(size_t(columns), std::vector<double>(model.rows.size()));
    for (int c = 0; c < columns; ++c) {
        model.sortColumn(c, false);
        for (size_t i = 0; i < model.rows.size(); ++i) {
            const HistoryRow& row = model.rows[i];
            keys[size_t(c)][i] = c == 0 ? double(row.when) : c == 1 ? row.timeOfDay
                                 : c < model.firstConditionColumn ? row.values[size_t(c - 2)]
                                                                  : row.conditions[size_t(c - model.firstConditionColumn)];
        }
    }
    auto sort = sideBySide(
        [&] {
            ++ours;
            model.sortColumn(ours % columns, ours / columns % 2);
        },
        [&] {
            const std::vector<double>& key = keys[size_t(++floors % columns)];
            std::vector<size_t> order(key.size());
            std::iota(order.begin(), order.end(), 0);
            std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return key[a] < key[b]; });
        });
    return {open, sort};
}

// One reading inserted as the entry dialog inserts it, and the record saved.
// The report for the doctor on the heavy record's blood pressure, heart rate and temperature,
// over the days the pick gives, ending on the last day with a reading.
DoctorReport doctorReport(ReportPeriod::Pick pick)
{
    const std::vector<std::string> vitals = {"Blood Pressure", "Heart Rate", "Temperature"};
    ReportDay first{}, last{};
    if (!VitalReadings::span(vitals, first, last))
        fail("the record holds no readings to report");
    return DoctorReport(ReportPeriod::pick(pick, last, first, last), {vitals, true, true}, last);
}

void writeReport(Report& report, const std::string& pdf)
{
    unlink(pdf.c_str());
    if (!report.savePdf(pdf))
        fail("the report was not written");
}

// Ours: the report made from the record and written as a PDF; the floor: as many pages of plain
// text, the lines of a full table page, through the same device and conversion. Seconds.
std::pair<double, double> reportRow(const std::string& pdf, int& pages)
{
    auto ours = [&] {
        DoctorReport made = doctorReport(ReportPeriod::Last90Days);
        if (!DoctorReportWindow::output(made, [&](Report& r) { pages = r.pageCount; writeReport(r, pdf); return true; },
                                        [](int, int) { return true; }))
            fail("the report was not made");
    };
    auto floor = [&] {
        Report report(nullptr, tableReportStyle, "");
        report.pageCount = pages;
        report.drawPages = [&](Fl_Paged_Device& device) {
            for (int page = 0; page < pages; ++page) {
                device.start_page();
                fl_color(FL_BLACK);
                fl_font(FL_HELVETICA, 8);
                for (int line = 0; line < 70; ++line)
                    fl_draw("12/01/2026    07:00:00 AM    136.0 H    86.0    Resting, After meal", 8, 40 + line * 10);
                device.end_page();
            }
            return true;
        };
        writeReport(report, pdf);
    };
    ours();
    floor();
    std::vector<double> a, b;
    for (int i = 0; i < 3; ++i) {
        a.push_back(milliseconds(ours) / 1000);
        b.push_back(milliseconds(floor) / 1000);
    }
    unlink(pdf.c_str());
    return {median(a), median(b)};
}

// The peak resident size of this process so far, in MB.
double peakMb()
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    char line[256];
    long peakKb = -1;
    while (status && std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmHWM: %ld kB", &peakKb) == 1)
            break;
    if (status)
        std::fclose(status);
    return double(peakKb) / 1024;
}

// Run as a process of its own (--report-memory RECORD), so that its peak is the report's: the
// report of every reading, with its progress window. Prints the peak with the record loaded, the
// peak after the report, and the readings reported.
int reportMemory(const std::string& pdf)
{
    fl_open_display();
    const double loaded = peakMb();
    DoctorReport made = doctorReport(ReportPeriod::AllReadings);
    if (!DoctorReportWindow::output(made, [&](Report& r) { writeReport(r, pdf); return true; }))
        fail("the ten-year report was not made");
    unlink(pdf.c_str());
    std::printf("%.1f %.1f %zu\n", loaded, peakMb(), made.readingCount());
    return 0;
}

void recordReading()
{
    NewEntry entry;
    entry.date = "11/30/2026";
    entry.time = "11:59:00 PM";
    entry.fields = {{"Systolic", "128"}, {"Diastolic", "84"}};
    entry.conditions = {"c2"};
    Change change;
    if (entry.check("Blood Pressure") != NewEntry::Check::Ready || !entry.insert(*Global::userDoc, "Blood Pressure", change) ||
        !Global::saveCurrentUser(change))
        fail("the reading was not recorded");
}

void writeFile(const std::string& path, const std::string& text)
{
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || write(fd, text.data(), text.size()) != ssize_t(text.size()) || fsync(fd) != 0 || close(fd) != 0)
        fail("cannot write " + path);
}

std::string readFile(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        fail("cannot read " + path);
    std::string text;
    char block[1 << 16];
    for (size_t n; (n = std::fread(block, 1, sizeof block, f)) > 0;)
        text.append(block, n);
    std::fclose(f);
    return text;
}

// The export's floor: the same rows, one snprintf each, with no sorting and no quoting, written once.
void floorExport(const XmlNode* patient, const std::string& path)
{
    std::string text;
    char line[512];
    auto value = [](const XmlNode* entry, const char* name) {
        const XmlNode* node = entry->first_node(name);
        return node ? std::make_pair(int(node->value_size()), node->value()) : std::make_pair(0, "");
    };
    for (const XmlNode* v = patient->first_node("variable"); v; v = v->next_sibling("variable"))
        for (const XmlNode* e = v->first_node("entry"); e; e = e->next_sibling("entry")) {
            auto date = value(e, "date"), time = value(e, "time"), sys = value(e, "systolic"), dia = value(e, "diastolic"),
                 fasting = value(e, "fasting"), post = value(e, "postprandial"), val = value(e, "value");
            int n = std::snprintf(line, sizeof line, "%.*s,%.*s,%s,%.*s,%.*s,%.*s,%.*s,%.*s,\r\n", date.first, date.second,
                                  time.first, time.second, v->first_attribute() ? v->first_attribute()->value() : "",
                                  sys.first, sys.second, dia.first, dia.second, fasting.first, fasting.second,
                                  post.first, post.second, val.first, val.second);
            text.append(line, size_t(std::min(n, int(sizeof line) - 1)));
        }
    writeFile(path, text);
}

// csv-export of the open heavy record against floorExport, and csv-import of that file into an
// empty user (preview, readings added, one save) against the library's parse alone and one save.
std::vector<std::pair<double, double>> csvRows(size_t& rows)
{
    const char* tmp = std::getenv("TMPDIR");
    std::string scratch = std::string(tmp && *tmp ? tmp : "/tmp") + "/mv-bench.XXXXXX";
    if (!mkdtemp(&scratch[0]))
        fail("cannot create a temporary folder");
    const std::string exported = scratch + "/readings.csv", floorCsv = scratch + "/floor.csv";
    const XmlNode* patient = Xml::child(Global::userDoc.get(), "patient");
    std::vector<std::pair<double, double>> result;
    result.push_back(sideBySide(
        [&] {
            std::string error;
            CsvExport::Result csv = CsvExport::write(patient);
            rows = csv.rows;
            if (!SafeFile::write(exported, csv.text, error))
                fail("the export was not written: " + error);
        },
        [&] { floorExport(patient, floorCsv); }));

    Global::dataFolder = scratch + "/";
    static const char empty[] = "<patient id=\"0\"><info/></patient>";
    std::unique_ptr<XmlDocument> heavy = std::move(Global::userDoc);
    FileBytes heavyBuffer;
    heavyBuffer.swap(Global::userBuffer);
    result.push_back(sideBySide(
        [&] {
            FileBytes text(empty, empty + sizeof empty - 1);
            if (!Global::parse(text, "patient", Global::userDoc).empty())
                fail("the empty record did not parse");
            Global::userBuffer.swap(text);
            std::string csv = readFile(exported);
            CsvImport::Preview preview = CsvImport::read(csv.data(), csv.size());
            Change change;
            if (CsvImport::apply(preview, true, *Global::userDoc, change) != rows ||
                !Global::saveFile(*Global::userDoc, "import.hma"))
                fail("the import did not add every reading");
        },
        [&] {
            std::string csv = readFile(exported);
            csv_parser parser;
            csv_init(&parser, CSV_STRICT);
            size_t fields = 0;
            auto field = [](void*, size_t, void* count) { ++*static_cast<size_t*>(count); };
            csv_parse(&parser, csv.data(), csv.size(), field, nullptr, &fields);
            csv_fini(&parser, field, nullptr, &fields);
            csv_free(&parser);
            if (!Global::saveFile(*heavy, "floor.hma"))
                fail("the record did not save");
        }));
    Global::userDoc = std::move(heavy);
    Global::userBuffer.swap(heavyBuffer);
    for (const char* name : {"/readings.csv", "/floor.csv", "/import.hma", "/floor.hma"})
        unlink((scratch + name).c_str());
    rmdir(scratch.c_str());
    return result;
}

int main(int argc, char** argv)
{
    const bool memoryOfReport = argc == 3 && std::string(argv[1]) == "--report-memory";
    if (argc < 2 || (argc > 2 && !memoryOfReport && std::string(argv[1]).rfind("--", 0) == 0))
        fail("usage: mv-bench RECORD_PATH [csv-export csv-import]");
    // Rows named after the record: only these are measured (today the csv rows, which need
    // nothing the others make).
    std::vector<std::string> only(argv + (memoryOfReport ? argc : 2), argv + argc);
    for (const std::string& wanted : only)
        if (wanted != "csv-export" && wanted != "csv-import")
            fail("only the rows csv-export and csv-import can be run alone");
    std::string path = argv[memoryOfReport ? 2 : 1];
    std::string::size_type slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "./" : path.substr(0, slash + 1);
    std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        fail("no record at " + path);

    // As the program does at start-up: with TZ unset the C library would read the zone file on
    // every time conversion.
    TimeZone::settle();
    // loadFile traces at level 3; the log beside the executable would otherwise grow on every run.
    std::FILE* devNull = std::fopen("/dev/null", "w");
    Trace::redirect(devNull);
    Global::init();
    Global::dataFolder = folder;
    const char* tmp = std::getenv("TMPDIR");
    const std::string tmpFolder = tmp && *tmp ? tmp : "/tmp";
    const std::string reportPdf = tmpFolder + "/mv-bench-report-" + std::to_string(getpid()) + ".pdf";

    auto load = [&](std::unique_ptr<XmlDocument>& doc, FileBytes& buffer) {
        if (!Global::loadFile(doc, name.c_str(), buffer, "patient", Global::OnDamage::Report))
            fail("the record did not load");
    };
    std::unique_ptr<char[]> floorText;
    std::unique_ptr<XmlDocument> floorDoc;
    if (memoryOfReport) {
        load(Global::userDoc, Global::userBuffer);
        return reportMemory(reportPdf);
    }
    if (!only.empty()) {
        load(Global::userDoc, Global::userBuffer);
        size_t csvReadings = 0;
        std::vector<std::pair<double, double>> csv = csvRows(csvReadings);
        std::printf("record   %s; median of %d runs after %d warm-ups\n\n", path.c_str(), runs, warmUps);
        std::printf("%-12s %12s %12s %8s %10s\n", "", "ours", "floor", "ratio", "target");
        if (std::count(only.begin(), only.end(), "csv-export"))
            timeRow("csv-export", csv[0].first, csv[0].second, csvExportTarget);
        if (std::count(only.begin(), only.end(), "csv-import"))
            timeRow("csv-import", csv[1].first, csv[1].second, csvImportTarget);
        std::fclose(devNull);
        return 0;
    }
    auto [loadOurs, loadFloor] = sideBySide([&] { load(Global::userDoc, Global::userBuffer); }, [&] { floorLoad(path, floorText, floorDoc); });

    size_t entries = 0;
    for (XmlNode* v = Xml::child(Global::userDoc.get(), "patient", "variable"); v; v = v->next_sibling("variable"))
        for (XmlNode* e = v->first_node("entry"); e; e = e->next_sibling("entry"))
            ++entries;

    std::string scratch = tmpFolder + "/mv-bench.XXXXXX";
    if (!mkdtemp(&scratch[0]))
        fail("cannot create a temporary folder");
    Global::dataFolder = scratch + "/";
    std::string copy = "copy.hma", floorCopy = scratch + "/floor.hma";
    auto [saveOurs, saveFloor] = sideBySide(
        [&] {
            if (!Global::saveFile(*Global::userDoc, copy.c_str()))
                fail("the record did not save");
        },
        [&] { floorSave(floorCopy, *Global::userDoc); });
    std::snprintf(Global::currentFile, sizeof Global::currentFile, "%s", copy.c_str());
    // The floor is the atomic save alone.
    auto [recordOurs, recordFloor] =
        sideBySide(recordReading, [&] { Global::saveFile(*Global::userDoc, "floor.hma"); });
    Global::currentFile[0] = '\0';
    unlink((scratch + "/" + copy).c_str());
    unlink(floorCopy.c_str());
    rmdir(scratch.c_str());

    // A fresh document, so that nothing already pooled or cached is left out.
    Global::dataFolder = folder;
    size_t before = heapInUse();
    auto doc = std::make_unique<XmlDocument>();
    FileBytes buffer;
    load(doc, buffer);
    double memoryOurs = double(heapInUse() - before) / 1e6;
    doc.reset();
    FileBytes().swap(buffer);
    floorText.reset();
    floorDoc.reset();
    before = heapInUse();
    floorLoad(path, floorText, floorDoc);
    double memoryFloor = double(heapInUse() - before) / 1e6;

    // Chart rows, on the open heavy record.
    Global::dataFolder = folder;
    load(Global::userDoc, Global::userBuffer);
    XmlNode* bp = Global::findVariableNode("Blood Pressure");
    size_t seriesPoints = 0;
    auto [seriesOurs, seriesFloor] = sideBySide(
        [&] { seriesPoints = ChartSeries::fromEntries(bp, "Systolic", "systolic", std::cerr).points.size(); },
        [&] { floorSeries(bp, "systolic"); });
    auto [openOurs, openFloor] = sideBySide(
        [&] {
            load(Global::userDoc, Global::userBuffer);
            ChartModel chart;
            analysisSeries(chart);
        },
        [&] { floorLoad(path, floorText, floorDoc); });
    fl_open_display();
    auto [redrawOurs, redrawFloor] = plotRow(ChartModel::MultiDisplay, true, [](ChartController&) {});
    // The classes are worked out again for each redraw, as after any change of data or time range.
    auto [analysisOurs, analysisFloor] = plotRow(ChartModel::Analysis, false, [](ChartController& c) { c.model.classifyBloodPressure(); });
    auto [histogramOurs, histogramFloor] = histogramRow();
    std::vector<std::pair<double, double>> history = historyRows();
    int reportPages = 0;
    auto [reportOurs, reportFloor] = reportRow(reportPdf, reportPages);
    double reportMemoryMb = -1, loadedMb = 0;
    size_t tenYears = 0;
    if (std::FILE* child = popen(("'/proc/" + std::to_string(getpid()) + "/exe' --report-memory '" + path + "'").c_str(), "r")) {
        if (std::fscanf(child, "%lf %lf %zu", &loadedMb, &reportMemoryMb, &tenYears) != 3)
            reportMemoryMb = -1;
        pclose(child);
    }
    Global::dataFolder = folder;
    load(Global::userDoc, Global::userBuffer);
    size_t csvReadings = 0;
    std::vector<std::pair<double, double>> csv = csvRows(csvReadings);

    std::printf("record   %s (%.1f MB, %zu entries); median of %d runs after %d warm-ups\n\n",
                path.c_str(), double(info.st_size) / 1e6, entries, runs, warmUps);
    std::printf("%-12s %12s %12s %8s %10s\n", "", "ours", "floor", "ratio", "target");
    timeRow("load", loadOurs, loadFloor, loadTarget);
    timeRow("save", saveOurs, saveFloor, saveTarget);
    row("memory", "MB", memoryOurs, memoryFloor, "", "<= 80 MB", memoryOurs <= memoryTargetMb);
    std::printf("(series: %zu points; redraw: four series of the heavy record)\n", seriesPoints);
    limitRow("series", seriesOurs, seriesFloor, seriesTargetMs, "<= 20 ms");
    char openLimit[32];
    double openLimitMs = openChartTarget * openFloor + openChartExtraMs;
    std::snprintf(openLimit, sizeof openLimit, "<= %.0f ms", openLimitMs);
    limitRow("open+chart", openOurs, openFloor, openLimitMs, openLimit);
    timeRow("redraw", redrawOurs, redrawFloor, redrawTarget);
    std::printf("(analysis: blood pressure with classes, markers and shading; histogram: four series)\n");
    char analysisLimit[32];
    double analysisLimitMs = analysisTarget * analysisFloor + analysisExtraMs;
    std::snprintf(analysisLimit, sizeof analysisLimit, "<= %.0f ms", analysisLimitMs);
    limitRow("analysis", analysisOurs, analysisFloor, analysisLimitMs, analysisLimit);
    limitRow("histogram", histogramOurs, histogramFloor, histogramTargetMs, "<= 10 ms");
    std::printf("(history: the blood-pressure table; record: one reading and the save)\n");
    limitRow("history-open", history[0].first, history[0].second, historyOpenTargetMs, "<= 300 ms");
    limitRow("history-sort", history[1].first, history[1].second, historySortTargetMs, "<= 50 ms");
    timeRow("record", recordOurs, recordFloor, recordTarget);
    std::printf("(report: blood pressure, heart rate and temperature over 90 days, %d pages, against as many\n"
                " pages of plain text; report-memory: the report of all %zu readings, in a process of its own,\n"
                " against its peak with the record loaded)\n",
                reportPages, tenYears);
    timeRow("report", reportOurs * 1000, reportFloor * 1000, reportTarget);
    row("report-time", "s ", reportOurs, reportFloor, "", "<= 1.5 s", reportOurs <= reportTimeTargetS);
    row("report-memory", "MB", reportMemoryMb, loadedMb, "", "<= 300 MB", reportMemoryMb >= 0 && reportMemoryMb <= reportMemoryTargetMb);
    std::printf("(csv-export: %zu readings to a file; csv-import: that file into an empty user, saved)\n", csvReadings);
    timeRow("csv-export", csv[0].first, csv[0].second, csvExportTarget);
    timeRow("csv-import", csv[1].first, csv[1].second, csvImportTarget);
    std::fclose(devNull);
    return 0;
}
