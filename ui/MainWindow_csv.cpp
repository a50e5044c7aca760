// MainWindow: readings out to a CSV file and in from one.
#include "ui/MainWindow.h"

#include "app/PathPin.h"
#include "app/Prompt.h"
#include "app/Trace.h"
#include "records/Global.h"
#include "records/RecordView.h"
#include "ui/CsvExportWindow.h"
#include "ui/CsvImportWindow.h"

#include <FL/Fl_Native_File_Chooser.H>

namespace {
const char* const source = "MainWindow";
}

void MainWindow::exportCsvCB_i()
{
    TRACE_SCOPE(source, "MainWindow::exportCsvCB_i", 3);
    new CsvExportWindow(RecordView::userName());
}

void MainWindow::importCsvCB_i()
{
    TRACE_SCOPE(source, "MainWindow::importCsvCB_i", 3);
    if (Global::refuseWhilePending())
        return;
    Fl_Native_File_Chooser chooser(Fl_Native_File_Chooser::BROWSE_FILE);
    chooser.title("Import readings from CSV");
    chooser.filter("CSV\t*.{csv,txt,tsv}");
    chooser.directory(PathPin::folder().empty() ? nullptr : PathPin::folder().c_str());
    switch (chooser.show()) {
    case 0:
        (new CsvImportWindow(PathPin::pin(chooser.filename()), *this))->read();
        break;
    case -1:
        Prompt::alert("%s", chooser.errmsg());
        break;
    }
}
