// MainWindow: readings out to a CSV file and in from one.
#include "ui/MainWindow.h"

#include "app/Trace.h"
#include "records/RecordView.h"
#include "ui/CsvExportWindow.h"

namespace {
const char* const source = "MainWindow";
}

void MainWindow::exportCsvCB_i()
{
    TRACE_SCOPE(source, "MainWindow::exportCsvCB_i", 3);
    new CsvExportWindow(RecordView::userName());
}
