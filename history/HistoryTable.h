// The spreadsheet of a history window: coloured values, condition tick boxes and a Delete button
// per row; sorted by a click on a column header, edited in place (Enter commits, Escape cancels).
// The rows and columns belong to the model it is given; the table draws and edits them.
#pragma once

#include "history/core/HistoryModel.h"

#include <FL/Fl_Table.H>

#include <functional>
#include <string>

class Fl_Input;
class Fl_Pixmap;
class HistoryModel;

class HistoryTable : public Fl_Table {
public:
    HistoryTable(int x, int y, int w, int h, HistoryModel& model);
    ~HistoryTable() override;

    void draw_cell(TableContext context, int R, int C, int X, int Y, int W, int H) override;
    void rows(int n) override;
    void cols(int n) override;
    int rows() { return Fl_Table::rows(); }
    int cols() { return Fl_Table::cols(); }
    int handle(int event) override;

    static void event_callback(Fl_Widget*, void* data) { static_cast<HistoryTable*>(data)->event_callback2(); }
    void event_callback2();
    static void inputCB(Fl_Widget*, void* data) { static_cast<HistoryTable*>(data)->commitEdit(); }
    void commitEdit();

    void startEdit(int R, int C);
    bool editing() const;
    // Hides the editor; the cell keeps what it showed.
    void cancelEdit();
    HistoryModel::Format formatCell(std::string& out);
    // A press or release on a condition cell. A click toggles on its release, however long it was
    // held, when it was pressed and released on the same tick box.
    void conditionEvent(int R, int C, bool push, bool insideBox);
    // Asks, then deletes row R's entry.
    void deleteCB(int R);
    void autoWidth();
    void sortColumn(int column, bool reverse);
    void resizeWindow();
    // The tick square of a condition cell.
    void tickBox(int R, int C, int& x, int& y, int& s);

    HistoryModel& model;
    // Called after an edit or a deletion was saved to the record.
    std::function<void()> saved;
    Fl_Input* input;
    int rowEdit = 0, colEdit = 0;
    Fl_Pixmap* deleteIcon;
    bool sortReverse = false;
    int lastSortColumn = 0;

private:
    int pressedDelete = -1; // the row whose Delete button is held down
    int pressedRow = -1, pressedCol = -1; // the tick box the pointer went down on
};
