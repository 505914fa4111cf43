#pragma once

#include <QByteArray>

// The one selection of a grid, shared by mouse and keyboard: a current cell, or its
// whole row where the grid selects rows, and the symbol it showed when selected, so
// that the selection can follow its symbol when the rows move under it.
class TGridSelection
{
public:
    int Col() const { return col_; }
    // -1 while no row is selected.
    int Row() const { return row_; }
    bool HasRow() const { return row_ >= 1; }
    // Moves the current cell; a header row leaves no row selected.
    void Place(int col, int row);
    void Clear() { row_ = -1; }

    // A click or a cursor key selects a whole row; Left and Right then scroll sideways.
    bool RowSelect() const { return rowSelect_; }
    void SetRowSelect(bool on) { rowSelect_ = on; }
    bool Covers(int col, int row) const { return row >= 1 && row == row_ && (rowSelect_ || col == col_); }

    // The symbol of the selected cell when it was selected; empty where it showed none.
    const QByteArray &Symbol() const { return symbol_; }
    void SetSymbol(const QByteArray &symbol) { symbol_ = symbol; }

    // Where a navigation key moves the current cell, before it is kept within the grid:
    // the first move starts from the first row shown, and Up or Down select it. False
    // for a key that moves nothing (Left and Right where whole rows are selected).
    bool KeyTarget(int key, int topRow, int visibleRows, int rowCount, int &col, int &row) const;

private:
    int col_ = 0;
    int row_ = -1;
    bool rowSelect_ = false;
    QByteArray symbol_;
};
