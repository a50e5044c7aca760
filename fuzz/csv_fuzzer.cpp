// Fuzz target: a CSV file imported into a small record. Whatever the file holds, the reading ends
// with a preview or a refusal; the readings it accepts, once added, are all found present when the
// record's own export is read back; and undoing the addition leaves the record as it was.
#include "fuzz/FuzzSupport.h"
#include "history/core/CsvExport.h"
#include "history/core/CsvImport.h"
#include "records/Change.h"
#include "records/Global.h"

#include <cstdint>
#include <string>

namespace {

using fuzz::expect;
using fuzz::printed;

const char record[] =
    "<patient id=\"0\"><info/><variable name=\"Blood Pressure\"><entry id=\"0\"><systolic>120.000000</systolic>"
    "<diastolic>80.000000</diastolic><date>01/05/2024</date><time>09:05:00 AM</time><conditions><c2/></conditions>"
    "</entry></variable><variable name=\"Heart Rate\"><entry id=\"0\"><value>61.000000</value><date>1/5/2024</date>"
    "<time>09:05:00 AM</time><conditions/></entry></variable></patient>";

// Loaded afresh for every input: the nodes an import adds stay in the document's pool after an undo.
void loadRecord()
{
    FileBytes text(record, record + sizeof record - 1);
    expect(Global::parse(text, "patient", Global::userDoc).empty(), "the fuzz target's record does not load");
    Global::userBuffer.swap(text);
}

}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::prepareStore();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);
    loadRecord();
    const std::string before = printed(*Global::userDoc);
    for (CsvImport::DayOrder order : {CsvImport::DayOrder::Unknown, CsvImport::DayOrder::DayFirst}) {
        CsvImport::Preview preview = CsvImport::read(text, size, order);
        if (!preview.refusal.empty() || preview.askDayOrder)
            continue;
        expect(preview.toAdd(false) <= preview.toAdd(true), "including unlikely readings adds fewer");
        Change change;
        expect(CsvImport::apply(preview, true, *Global::userDoc, change) == preview.toAdd(true),
               "the import added another number of readings than its preview said");
        const std::string exported = CsvExport::write(Xml::child(Global::userDoc.get(), "patient")).text;
        CsvImport::Preview again = CsvImport::read(exported.data(), exported.size(), CsvImport::DayOrder::MonthFirst);
        expect(again.refusal.empty() && again.refused.empty(), "the record's own export is refused");
        expect(again.toAdd(true) == 0, "an imported reading is not found present in the record's export");
        change.undo();
        expect(printed(*Global::userDoc) == before, "an undone import left the record changed");
    }
    return 0;
}
