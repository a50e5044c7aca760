// Every path that writes a file, with each of its open, write, flush and rename calls failing in
// turn: the files hold the old or the new state, never a mix; memory and the windows hold what the
// files hold; a failure is told; a retry writes the change once.
#include "tests/gui/GuiFixture.h"

#include "app/Report.h"
#include "charts/VariablePropertiesWindow.h"
#include "history/HistoryTable.h"
#include "history/HistoryTableWindow.h"
#include "history/NewEntryWindow.h"
#include "history/core/CsvExport.h"
#include "history/core/ReportPeriod.h"
#include "records/Global.h"
#include "records/SystemCalls.h"
#include "tests/common/ChartRecord.h"
#include "ui/CsvExportWindow.h"
#include "ui/CsvImportWindow.h"
#include "ui/DocumentWindows.h"
#include "ui/DoctorReportWindow.h"
#include "ui/InfoWindow.h"
#include "ui/MainWindow.h"

#include <FL/Fl.H>
#include <FL/Fl_Float_Input.H>
#include <FL/Fl_Input.H>
#include <FL/fl_ask.H>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <sys/stat.h>

namespace {

using Files = std::map<std::string, std::string>;

class WriteFaultTest : public GuiFixture {
protected:
    void TearDown() override
    {
        SystemCalls::unwatch();
        Fl::remove_timeout(closeToolkitBox, this);
        GuiFixture::TearDown();
    }
    // A box of the toolkit's own, which no test can answer, is closed and counted.
    static void closeToolkitBox(void* data)
    {
        if (Fl::modal() && Fl::modal() == fl_message_icon()->window()) {
            ++static_cast<WriteFaultTest*>(data)->toolkitBoxes;
            Fl::modal()->hide();
        }
        Fl::repeat_timeout(0.1, closeToolkitBox, data);
    }
    int toolkitBoxes = 0;
    // Ann Lee (open) and Bo Ng, with readings of 2012 and of the last three days.
    void restart()
    {
        GuiFixture::TearDown();
        window = nullptr;
        for (const std::string& name : folder.names())
            std::filesystem::remove_all(folder.path() + name);
        GuiFixture::SetUp();
        std::string recent;
        for (long day = 1; day <= 3; ++day) {
            ReportDay d = ReportDay::fromNumber(ReportDay::today().number() - day);
            char date[16];
            std::snprintf(date, sizeof date, "%02d/%02d/%04d", d.month, d.day, d.year);
            recent += ChartRecord::entry(date, "08:00:00 AM", "<value>" + std::to_string(60 + day) + "</value>");
        }
        showAnn(ChartRecord::bounded("Pulse", ChartRecord::entry("01/05/2012", "09:05:00 AM", "<value>98.640000</value>") +
                                                  ChartRecord::entry("01/06/2012", "09:05:00 AM", "<value>70.000000</value>")) +
                ChartRecord::variableOf("Heart Rate", recent));
        // As the program writes them, so that a file it puts back is byte for byte the old one.
        for (const std::string& name : folder.names())
            if (name.find(".hma") != std::string::npos) {
                FileBytes bytes;
                std::string why;
                std::unique_ptr<XmlDocument> doc;
                SafeFile::read(folder.path() + name, bytes, why);
                ASSERT_EQ(Global::parse(bytes, name == "config.hma" ? "config" : "patient", doc), "");
                folder.write(name, printed(*doc));
            }
        prompt.alerts.clear();
        prompt.questions.clear();
        prompt.answer = 1;
        toolkitBoxes = 0;
        if (!Fl::has_timeout(closeToolkitBox, this))
            Fl::add_timeout(0.1, closeToolkitBox, this);
    }
    // The folder's files; a whole PDF as "PDF", and a record moved aside without the time of the
    // move in its name.
    Files files() const
    {
        Files all;
        for (const std::string& name : folder.names()) {
            std::string bytes = folder.read(name);
            const bool pdf = bytes.rfind("%PDF-", 0) == 0 && bytes.find("%%EOF", bytes.size() - 8) != std::string::npos;
            all[std::regex_replace(name, std::regex("removed-[-0-9]+"), "removed")] = pdf ? "PDF" : bytes;
        }
        return all;
    }
    // What the store holds against what its files hold, each printed as a save would.
    static std::string memoryAgainstFiles()
    {
        std::string differences;
        auto compare = [&](const XmlDocument& held, const char* name, const char* root) {
            FileBytes bytes;
            std::string why;
            std::unique_ptr<XmlDocument> read;
            if (SafeFile::read(Global::dataFolder + name, bytes, why) != SafeFile::Read::Ok ||
                !Global::parse(bytes, root, read).empty() || printed(held) != printed(*read))
                differences += std::string(name) + " ";
        };
        compare(*Global::configDoc, "config.hma", "config");
        if (Global::currentFile[0])
            compare(*Global::userDoc, Global::currentFile, "patient");
        return differences;
    }
    HistoryTable* pulseTable() { return HistoryTableWindow::open("Pulse", "Ann Lee", *window)->table; }
    // The rows of the one history window open: date, value, and the third condition's tick.
    static std::string shownRows()
    {
        std::string shown;
        for (const auto& row : DocumentWindows::find<HistoryTableWindow>()->model.rows)
            shown += row.cells[0] + " " + row.cells[2] + (row.conditions[2] ? " c2" : "") + ";";
        return shown;
    }
};

struct WritePath {
    const char* name;
    std::function<void()> setUp; // before the calls are watched
    std::function<void()> act;   // a retry too
    std::function<std::string()> shown; // what the windows show of the change, compared with a fresh start
};

TEST_F(WriteFaultTest, EveryCallOfEveryWritePathMayFail)
{
    NewEntryWindow* entry = nullptr;
    InfoWindow* info = nullptr;
    VariablePropertiesWindow* ranges = nullptr;
    CsvImportWindow* import = nullptr;
    CsvExportWindow* exporter = nullptr;
    std::unique_ptr<DoctorReportWindow> doctor;
    auto users = [&] {
        std::string lines;
        for (const std::string& line : userLines())
            lines += line + ";";
        return lines;
    };
    const WritePath paths[] = {
        {"new user", [&] { window->newCB_i(); info = DocumentWindows::find<InfoWindow>(); info->firstInput->value("Cy");
                           info->lastInput->value("Park"); },
         [&] { info->saveCB_i(); Fl::check(); }, users},
        {"new user over an old record", [&] { folder.write("user2.hma", record(2, "Old", "Record"));
                                              window->newCB_i(); info = DocumentWindows::find<InfoWindow>();
                                              info->firstInput->value("Cy"); info->lastInput->value("Park"); },
         [&] { info->saveCB_i(); Fl::check(); }, users},
        {"information", [&] { MainWindow::editInfoCB(nullptr, window); info = DocumentWindows::find<InfoWindow>();
                              info->firstInput->value("Anna"); },
         [&] { info->saveCB_i(); Fl::check(); }, users},
        {"entry dialog", [&] { pulseTable(); entry = new NewEntryWindow("New Pulse", "Vitals", "Pulse", *window);
                               entry->inputs[0]->value("1/8/2012"); entry->inputs[1]->value("8:30:00 AM");
                               entry->inputs[2]->value("131"); },
         [&] { entry->saveCB_i(false); }, [&] { return shownRows(); }},
        {"table edit", [&] { pulseTable()->startEdit(1, 2); pulseTable()->input->value("75"); },
         [&] { pulseTable()->input->do_callback(); }, [&] { return shownRows(); }},
        {"condition", [&] { pulseTable(); },
         [&] { const int c = DocumentWindows::find<HistoryTableWindow>()->model.firstConditionColumn + 2;
               pulseTable()->conditionEvent(0, c, true, true); pulseTable()->conditionEvent(0, c, false, true); },
         [&] { return shownRows(); }},
        {"deletion", [&] { pulseTable(); }, [&] { pulseTable()->deleteCB(0); }, [&] { return shownRows(); }},
        {"ranges", [&] { pulseTable(); ranges = new VariablePropertiesWindow(300, "Pulse", "Properties for Pulse", *window);
                         ranges->inputs[1]->value("115"); },
         [&] { ranges->saveCB_i(); },
         [&] { return std::to_string(DocumentWindows::find<HistoryTableWindow>()->model.columnRanges[0].normalHigh); }},
        {"user removal", [&] { clickUserLine(2); }, [&] { window->userRemoveCB_i(); }, users},
        {"CSV import", [&] {
             folder.write("readings.csv", CsvExport::write(Xml::child(Global::userDoc.get(), "patient"),
                                                           {"Pulse", "Heart Rate"}).text);
             clickUserLine(2);
             HistoryTableWindow::open("Heart Rate", "Bo Ng", *window);
             import = new CsvImportWindow(folder.path() + "readings.csv", *window);
             ASSERT_TRUE(import->read()); },
         [&] { import->importCB_i(); }, [&] { return shownRows(); }},
        {"CSV export", [&] { exporter = new CsvExportWindow("Ann Lee"); exporter->fileInput->value((folder.path() + "ann.csv").c_str()); },
         [&] { exporter->exportCB_i(); }, [] { return std::string(); }},
        {"chart PDF", [] {}, [&] { window->chartReport().savePdf(folder.path() + "chart.pdf"); }, [] { return std::string(); }},
        {"chart PDF over an old one", [&] { folder.write("chart.pdf", "old"); },
         [&] { window->chartReport().savePdf(folder.path() + "chart.pdf"); }, [] { return std::string(); }},
        {"doctor's report", [&] { doctor = std::make_unique<DoctorReportWindow>(); },
         [&] { doctor->saveTo(folder.path() + "doctor.pdf", [](int, int) { return true; }); }, [] { return std::string(); }},
    };
    // Besides each call in turn, a converter that writes part of a PDF and fails.
    TestFolder tools;
    const std::string bin = tools.path(), search = std::getenv("PATH");
    std::ofstream(bin + "ps2pdf") << "#!/bin/sh\necho '%PDF-1.4 partial'\necho 'Error: /ioerror in --showpage--' >&2\nexit 1\n";
    chmod((bin + "ps2pdf").c_str(), 0700);
    EnvScope converter("PATH", search.c_str());
    const char* const kinds[] = {"open", "write", "sync", "rename", "failing converter"};
    for (const WritePath& path : paths) {
        restart();
        path.setUp();
        const Files before = files();
        const std::string shownBefore = path.shown();
        SystemCalls::watch();
        path.act();
        SystemCalls::unwatch();
        const Files after = files();
        const bool pdf = std::any_of(after.begin(), after.end(), [](const auto& file) { return file.second == "PDF"; });
        const std::string shownAfter = path.shown();
        ASSERT_NE(after, before) << path.name;
        ASSERT_EQ(memoryAgainstFiles(), "") << path.name;
        const std::vector<std::string> told = prompt.alerts; // the CSV commands tell what they did
        for (const std::string& alert : told)
            ASSERT_EQ(alert.find("Unable"), std::string::npos) << path.name << ": " << alert;
        long counts[SystemCalls::kinds + 1] = {};
        for (int kind = 0; kind < SystemCalls::kinds; ++kind)
            counts[kind] = SystemCalls::calls(SystemCalls::Kind(kind));
        counts[SystemCalls::kinds] = 1;
        for (int kind = 0; kind <= SystemCalls::kinds; ++kind)
            for (long n = 1; n <= counts[kind]; ++n) {
                const int error = (const int[]){ENOSPC, EIO, EROFS}[(kind + n) % 3];
                const bool calls = kind < SystemCalls::kinds;
                const std::string run = std::string(path.name) + ", " + kinds[kind] + " " + std::to_string(n) + " of " +
                                        std::to_string(counts[kind]) + (calls ? std::string(", ") + std::strerror(error) : "");
                restart();
                path.setUp();
                if (calls)
                    SystemCalls::watch(SystemCalls::Kind(kind), n, error);
                else
                    converter.set((bin + ":" + search).c_str());
                path.act();
                SystemCalls::unwatch();
                converter.set(search.c_str());
                const Files now = files();
                EXPECT_TRUE(now == before || now == after) << run << ": the files are neither the old nor the new ones";
                EXPECT_EQ(memoryAgainstFiles(), "") << run;
                EXPECT_EQ(toolkitBoxes, 0) << run << ": a box outside the program's alerts was shown";
                EXPECT_TRUE(calls || (now == before) == pdf) << run << ": only a PDF needs the converter";
                if (now == after) {
                    EXPECT_EQ(path.shown(), shownAfter) << run;
                    continue;
                }
                EXPECT_EQ(path.shown(), shownBefore) << run;
                bool failureTold = false;
                for (const std::string& alert : prompt.alerts) {
                    failureTold = failureTold || alert.find(calls ? std::strerror(error) : "ps2pdf failed: Error: /ioerror") != std::string::npos;
                    EXPECT_EQ(std::count(told.begin(), told.end(), alert), 0) << run << ": told as done: " << alert;
                }
                EXPECT_TRUE(failureTold) << run << (prompt.alerts.empty() ? ": nothing was told" : ": told " + prompt.alerts[0]);
                prompt.alerts.clear();
                path.act();
                EXPECT_EQ(files(), after) << run << ": the retry";
                EXPECT_EQ(memoryAgainstFiles(), "") << run << ": the retry";
                EXPECT_EQ(path.shown(), shownAfter) << run << ": the retry";
            }
    }
}

}
