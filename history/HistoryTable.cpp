#include "history/HistoryTable.h"

#include "app/Palette.h"
#include "app/Prompt.h"
#include "app/Trace.h"
#include "history/core/HistoryModel.h"
#include "ui/Artwork.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Pixmap.H>
#include <FL/Fl_Tooltip.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <iostream>

namespace {

const char* const source = "HistoryTable";

// Widths of a long column's texts, from the widths of their characters measured once: a table of
// ten years of readings would otherwise ask the font for each of its many thousand texts.
int textWidth(const std::string& text)
{
    static double widths[128] = {};
    static bool measured = false;
    if (!measured) {
        for (int c = 32; c < 127; ++c) {
            char one[2] = {char(c), '\0'};
            widths[c] = fl_width(one);
        }
        measured = true;
    }
    double w = 0;
    for (unsigned char c : text) {
        if (c < 32 || c > 126)
            return int(fl_width(text.c_str()) + 0.5);
        w += widths[c];
    }
    return int(w + 0.5);
}

// A condition's header on two lines, broken at the space nearest its middle: the table of a
// variable with every condition then fits a screen 1024 pixels across.
std::string headerText(std::string title, bool condition)
{
    const size_t none = std::string::npos, half = title.size() / 2;
    auto distance = [&](size_t i) { return i > half ? i - half : half - i; };
    size_t best = none;
    for (size_t i = title.find(' '); condition && i != none; i = title.find(' ', i + 1))
        if (best == none || distance(i) < distance(best))
            best = i;
    if (best != none)
        title[best] = '\n';
    return title;
}

}

HistoryTable::HistoryTable(int x, int y, int w, int h, HistoryModel& model)
    : Fl_Table(x, y, w, h), model(model)
{
    callback(event_callback, this);
    when(FL_WHEN_RELEASE);
    deleteIcon = new Fl_Pixmap(deleteIconXpm);
    input = new Fl_Input(w / 2, h / 2, 0, 0);
    input->hide();
    fl_cursor(FL_CURSOR_DEFAULT, FL_BLACK, FL_WHITE);
    input->callback(inputCB, this);
    input->when(FL_WHEN_ENTER_KEY_ALWAYS);
    col_header(1);
    col_resize(1);
    col_header_height(36);
    color(panelColor);
    box(FL_NO_BOX);
    rows(int(model.rows.size()));
    cols(model.columnCount());
    row_height_all(25);
    autoWidth();
    if (!model.rows.empty())
        sortColumn(0, false);
    redraw();
    end();
}

HistoryTable::~HistoryTable()
{
    delete deleteIcon;
}

void HistoryTable::rows(int n)
{
    if (editing())
        input->do_callback();
    Fl_Table::rows(n);
}

void HistoryTable::cols(int n)
{
    if (editing())
        input->do_callback();
    Fl_Table::cols(n);
}

bool HistoryTable::editing() const
{
    return input->visible();
}

void HistoryTable::tickBox(int R, int C, int& x, int& y, int& s)
{
    int X, Y, W, H;
    find_cell(CONTEXT_CELL, R, C, X, Y, W, H);
    s = labelsize();
    x = X + (W - s) / 2;
    y = Y + (H - s) / 2;
}

void HistoryTable::draw_cell(TableContext context, int R, int C, int X, int Y, int W, int H)
{
    switch (context) {
    case CONTEXT_STARTPAGE:
        fl_font(FL_HELVETICA, 12);
        break;
    case CONTEXT_COL_HEADER: {
        fl_push_clip(X, Y, W, H);
        fl_draw_box(FL_THIN_UP_BOX, X, Y, W, H, col_header_color());
        fl_color(FL_BLACK);
        // Names and texts show as they are: no '@' symbols.
        fl_draw(headerText(model.columnTitles[size_t(C)], model.isConditionColumn(C)).c_str(), X, Y, W, H,
                FL_ALIGN_CENTER, nullptr, 0);
        if (C < model.deleteColumn() && C == lastSortColumn) {
            int xl = X + W - 14, xc = X + W - 10, xr = X + W - 6, yt = Y + H / 2 - 4, yb = Y + H / 2 + 4;
            if (!sortReverse) {
                fl_color(FL_WHITE);
                fl_line(xr, yb, xc, yt);
                fl_line(xr, yb, xl, yb);
                fl_color(41);
                fl_line(xl, yb, xc, yt);
            } else {
                fl_color(FL_WHITE);
                fl_line(xr, yt, xc, yb);
                fl_color(41);
                fl_line(xl, yt, xr, yt);
                fl_line(xl, yt, xc, yb);
            }
        }
        fl_pop_clip();
        break;
    }
    case CONTEXT_CELL: {
        if (R >= int(model.rows.size()) || (editing() && R == rowEdit && C == colEdit))
            break;
        const HistoryRow& row = model.rows[size_t(R)];
        if (C == model.deleteColumn()) {
            fl_draw_box(R == pressedDelete ? FL_DOWN_BOX : FL_UP_BOX, X, Y, W, H, FL_BACKGROUND_COLOR);
            deleteIcon->draw(X + (W - deleteIcon->w()) / 2, Y + (H - deleteIcon->h()) / 2);
            break;
        }
        if (model.isConditionColumn(C)) {
            fl_draw_box(FL_THIN_UP_BOX, X, Y, W, H, panelColor);
            fl_push_clip(X + 3, Y + 3, W - 6, H - 6);
            int bx, by, s;
            tickBox(R, C, bx, by, s);
            fl_draw_box(FL_DOWN_BOX, bx, by, s, s, FL_BACKGROUND2_COLOR);
            if (row.conditions[size_t(C - model.firstConditionColumn)]) {
                fl_color(FL_DARK_BLUE);
                int tx = bx + 3, tw = s - 6, d1 = tw / 3, d2 = tw - d1, ty = by + (s + d2) / 2 - d1 - 2;
                for (int n = 0; n < 3; ++n, ++ty) {
                    fl_line(tx, ty, tx + d1, ty + d1);
                    fl_line(tx + d1, ty + d1, tx + tw - 1, ty + d1 - d2 + 1);
                }
            }
            fl_pop_clip();
            break;
        }
        fl_draw_box(FL_THIN_UP_BOX, X, Y, W, H, FL_WHITE);
        fl_push_clip(X + 3, Y + 3, W - 6, H - 6);
        const std::string& text = row.cells[size_t(C)];
        // Dates, times and values without ranges are written plain.
        const RangeClass range = C < 2 || text.empty() ? RangeClass::Unranged : model.rangeOf(row, C);
        fl_color(range == RangeClass::Unranged ? FL_BLACK : rangeColor(range));
        fl_draw(text.c_str(), X + 3, Y + 3, W - 6, H - 6, FL_ALIGN_RIGHT, nullptr, 0);
        fl_pop_clip();
        break;
    }
    case CONTEXT_RC_RESIZE:
        if (editing()) {
            int x, y, w, h;
            find_cell(CONTEXT_CELL, rowEdit, colEdit, x, y, w, h);
            if (x != input->x() || y != input->y() || w != input->w() || h != input->h())
                input->resize(x, y, w, h);
        }
        break;
    default:
        break;
    }
}

int HistoryTable::handle(int event)
{
    int handled = Fl_Table::handle(event);
    if (event == FL_MOVE || event == FL_ENTER) {
        int R, C;
        ResizeFlag resizing;
        if (cursor2rowcol(R, C, resizing) == CONTEXT_CELL && C == model.deleteColumn()) {
            int X, Y, W, H;
            find_cell(CONTEXT_CELL, R, C, X, Y, W, H);
            Fl_Tooltip::enter_area(this, X - x(), Y - y(), W, H, "Delete entry");
        } else {
            Fl_Tooltip::exit(this);
        }
    }
    return handled;
}

void HistoryTable::event_callback2()
{
    TRACE_SCOPE(source, "HistoryTable::event_callback2", 3);
    int R = callback_row(), C = callback_col();
    TableContext context = callback_context();
    bool push = Fl::event() == FL_PUSH;
    bool deleteCell = context == CONTEXT_CELL && C == model.deleteColumn();
    if (push)
        pressedRow = pressedCol = -1;
    if (!push && pressedDelete >= 0 && !deleteCell) {
        pressedDelete = -1;
        redraw();
    }
    if (C == model.deleteColumn() && !deleteCell)
        return;
    if (context == CONTEXT_COL_HEADER) {
        if (editing())
            input->do_callback();
        if (Fl::event() == FL_RELEASE && Fl::event_button() == FL_LEFT_MOUSE) {
            sortReverse = C == lastSortColumn ? !sortReverse : false;
            if (!model.rows.empty())
                sortColumn(C, sortReverse);
            redraw();
            lastSortColumn = C;
        }
    } else if (context != CONTEXT_CELL) {
        return;
    } else if (deleteCell) {
        // Drawn buttons: a row of ten years would otherwise need many thousand widgets.
        int X, Y, W, H;
        find_cell(CONTEXT_CELL, R, C, X, Y, W, H);
        int pressed = pressedDelete;
        pressedDelete = push ? R : -1;
        redraw_range(R, R, C, C);
        if (!push && pressed == R && Fl::event_inside(X, Y, W, H))
            deleteCB(R);
    } else if (C < model.firstConditionColumn) {
        if (push)
            startEdit(R, C);
    } else if (push || Fl::event() == FL_RELEASE) {
        int bx, by, s;
        tickBox(R, C, bx, by, s);
        int ex = Fl::event_x(), ey = Fl::event_y();
        conditionEvent(R, C, push, ex >= bx && ex <= bx + s && ey >= by && ey <= by + s);
    }
}

void HistoryTable::startEdit(int R, int C)
{
    if (editing())
        input->do_callback();
    rowEdit = R;
    colEdit = C;
    int X, Y, W, H;
    find_cell(CONTEXT_CELL, R, C, X, Y, W, H);
    input->resize(X, Y, W, H);
    input->value(model.editText(R, C).c_str());
    input->show();
    input->take_focus();
    input->position(0, input->size());
}

void HistoryTable::cancelEdit()
{
    input->hide();
    if (Fl_Window* shown = window())
        shown->cursor(FL_CURSOR_DEFAULT);
    redraw();
}

HistoryModel::Format HistoryTable::formatCell(std::string& out)
{
    return model.formatCell(rowEdit, colEdit, input->value(), out);
}

void HistoryTable::commitEdit()
{
    std::string message;
    ReadingLimits::Verdict verdict = model.judgeCell(rowEdit, colEdit, input->value(), message);
    if (verdict == ReadingLimits::Impossible)
        Prompt::alert("%s\nNothing was changed.", message.c_str());
    if (verdict == ReadingLimits::Impossible ||
        (verdict == ReadingLimits::Unlikely && Prompt::choice(message + "\nRecord it anyway?", "No", "Yes", nullptr) != 1)) {
        cancelEdit();
        return;
    }
    HistoryModel::Edit result = model.commitEdit(rowEdit, colEdit, input->value());
    if (result == HistoryModel::Refused)
        Prompt::alert("Incorrect format");
    // A failed save was undone and told; the editor keeps what was typed, and the keyboard that the
    // alert took, for another try.
    if (result == HistoryModel::NotSaved) {
        input->take_focus();
        return;
    }
    cancelEdit();
    if (result == HistoryModel::Saved && saved)
        saved();
}

void HistoryTable::conditionEvent(int R, int C, bool push, bool insideBox)
{
    if (push) {
        pressedRow = insideBox ? R : -1;
        pressedCol = insideBox ? C : -1;
        return;
    }
    bool onPressedBox = insideBox && R == pressedRow && C == pressedCol;
    pressedRow = pressedCol = -1;
    if (!onPressedBox)
        return;
    model.toggleCondition(R, C - model.firstConditionColumn, std::cerr);
    redraw_range(R, R, C, C);
}

void HistoryTable::deleteCB(int R)
{
    const HistoryRow& row = model.rows[size_t(R)];
    std::string question = "Delete this entry (" + row.cells[0] + " " + row.cells[1] + ") ?";
    if (Prompt::choice(question, "No", "Yes", nullptr) != 1 || !model.deleteRow(R))
        return;
    cancelEdit();
    rows(int(model.rows.size()));
    if (saved)
        saved();
}

void HistoryTable::autoWidth()
{
    fl_font(FL_HELVETICA, 12);
    for (int c = 0; c < cols(); ++c) {
        const std::string& title = model.columnTitles[size_t(c)];
        int width = 30;
        if (c < model.firstConditionColumn) {
            for (const HistoryRow& row : model.rows)
                width = std::max(width, textWidth(row.cells[size_t(c)]) + 30);
            width = std::max(width, textWidth(title) + 40);
        } else if (c == model.deleteColumn()) {
            width = textWidth(title) + 5;
        } else {
            int lineW = 0, lineH = 0;
            fl_measure(headerText(title, true).c_str(), lineW, lineH, 0);
            width = lineW + 40;
        }
        col_width(c, width);
    }
    table_resized();
    redraw();
}

void HistoryTable::sortColumn(int column, bool reverse)
{
    model.sortColumn(column, reverse);
    redraw();
}

void HistoryTable::resizeWindow()
{
    int sx, sy, sw, sh;
    Fl::screen_work_area(sx, sy, sw, sh);
    // The window, not only the table, stays inside the work area less 40 pixels each way.
    Fl_Window* window = this->window();
    int maxW = sw - 40 - (window->w() - w()), maxH = sh - 40 - (window->h() - h());
    long height = 3 + col_header_height(), width = 3;
    for (int r = 0; r < rows() && height <= maxH; ++r)
        height += row_height(r);
    for (int c = 0; c < cols(); ++c)
        width += col_width(c);
    if (height > maxH)
        width += Fl::scrollbar_size();
    int H = std::max(h(), int(std::min<long>(height, maxH)));
    int W = std::max(w(), int(std::min<long>(width, maxW)));
    window->resize(0, 0, window->w() - w() + W, window->h() - h() + H);
    resize(x(), y(), W, H);
}
