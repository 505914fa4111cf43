#pragma once

#include "client/core/CsvExport.h"
#include "client/core/LinkGap.h"
#include "client/ui/grid/TColumnLayout.h"
#include "client/ui/grid/TDrawGrid.h"
#include "client/ui/linking/SymbolLink.h"

#include <QTimer>

#include <optional>

class QContextMenuEvent;
class QMenu;
class QToolButton;
class TCellText;
class TTextMetrics;

struct TCellColors
{
    TColor Background;
    TColor Text;
};

// What every alert grid shares: black data cells, header cells in FixedColor
// with black centred captions, the cell painting sequence, measuring from
// sample texts, and the left click that hands a row's symbol on.
//
// A kind supplies its captions, samples, entries and data-cell rule. The
// constructor applies the common defaults; a kind's constructor measures
// itself (MeasureWithCanvasFont) when it has an owner, and every kind measures
// itself again whenever its font changes.
//
// A click sends the symbol that was under the pointer when the button went
// down, and only when it comes up on the same row (the same cell, where each
// cell holds its own symbol); the symbol's row then flashes in the selection
// colour.
//
// Mouse and keyboard share the grid's one selection, its current cell: a press
// selects the row under the pointer (the cell, where each cell holds its own
// symbol), Up, Down, PageUp, PageDown, Home and End move it by rows (Left and Right
// by cells where cells hold symbols, else they scroll sideways), and Enter sends its
// symbol as a click would. It is framed only while the grid has the focus, and,
// like the flash, it stays with its symbol when alerts move the rows.
//
// New entries on top of a newest-first list come in as they always did while the
// first row is shown. Scrolled away from it, the rows on screen stay where they are
// and "N new ↑" at the top counts what came in above; it takes the view back up.
//
// A kind with a table of columns lets the user choose them (see OfferColumns):
// right-clicking the header offers each with a check mark and "Reset Columns", and
// a caption dragged sideways moves its column to where it is dropped. The grid's
// columns are the shown ones, left to right; the captions, samples, colours and
// contents a kind supplies are asked for by the kind's column.
//
// A link gap's marker row is drawn as one band in the header's colours with its
// text running across the width of the view (in a matrix, where each cell holds an
// entry, it keeps its cell and shows its whole text as a tooltip); it holds no symbol, so clicks, Enter,
// Copy Symbol and the export pass it over.
class TGridFrame : public TDrawGrid
{
    Q_OBJECT

public:
    TGridFrame(QWidget *owner, int colCount);

    // Colour of data text; white until set.
    TColor TextColor() const { return textColor_; }
    void SetTextColor(TColor color);

    // The kind's column shown at col: col itself where the grid offers no choice.
    int KindColumn(int col) const { return ChoosesColumns() ? columnLayout_.KindColumn(col) : col; }
    bool ChoosesColumns() const { return columnLayout_.KindColumnCount() > 0; }
    const TColumnLayout &ColumnLayout() const { return columnLayout_; }
    // Shows the columns the layout names; widths the user chose go with their
    // columns, the others are measured.
    void SetColumnLayout(const TColumnLayout &layout);
    // Back to the kind's default columns, all measured.
    void ResetColumns();
    // The header's menu: an item with a check mark for each of the kind's columns,
    // then "Reset Columns".
    void FillColumnMenu(QMenu *menu);

    // Row height from "Xy()" and every column from its sample text.
    virtual void Measure(const TTextMetrics &metrics);
    // The column's width from a sample and its caption, whichever is wider, plus
    // the room the cell's inset and (with Ctl3D) bevel take.
    void MeasureColumn(const TTextMetrics &metrics, int col, const QString &sample);
    // The kind's column measured where it is shown; nothing while it is hidden.
    void MeasureKindColumn(const TTextMetrics &metrics, int kindColumn, const QString &sample);
    int MeasuredWidth(const TTextMetrics &metrics, const QString &sample) const;

    // How long a clicked row shows in the selection colour.
    static constexpr int FlashMs = 300;
    bool IsFlashing(int col, int row) const;

    // Read back as the cells show them, but whole: nothing cut to fit. The table
    // holds the captions of the columns and every row that shows an entry.
    TExportTable ExportTable();
    TExportRow ExportRow(int row);
    // The cell at a viewport point and the symbol it shows (empty where none).
    QString SymbolAt(const QPoint &pos, int &row) const;

    // Entries that came in above the rows on screen while the view was scrolled away
    // from the first row.
    int NewAboveCount() const { return newAbove_; }

    // Where a clicked symbol goes; nowhere until one is set.
    void SetSymbolSender(TSymbolSender sender) { symbolSender_ = std::move(sender); }

protected:
    void SendSymbol(const QString &symbol) const
    {
        if (symbolSender_)
            symbolSender_(symbol);
    }
    // A kind with a table of columns offers them for choosing: how many it has and
    // which it shows, left to right, until the user chooses. Before measuring.
    void OfferColumns(const TColumnLayout &defaults);
    // Takes the widget's font as the canvas font and measures with it.
    void MeasureWithCanvasFont();
    // A kind calls this after its entries changed: the selection moves to the nearby
    // row that now shows its symbol.
    void FollowSelectedSymbol();
    // A newest-first kind calls this after count new entries came in on top: the
    // selection and a flash move down with their entries, and a view scrolled away
    // from the first row scrolls with them, so the rows on screen stay still.
    void EntriesArrivedOnTop(int count);

    // Captions, samples, colours and contents are the kind's column's.
    virtual QString HeaderText(int kindColumn) const = 0;
    virtual QString SampleText(int kindColumn) const = 0;
    virtual int EntryCount() const = 0;
    virtual QByteArray EntrySymbol(int index) const = 0;
    // The entry a data cell shows; false for cells without one.
    virtual bool CellEntry(int col, int row, int &index) const;
    // The link gap entries[index] marks, or none for an alert.
    virtual std::optional<TLinkGap> GapAt(int) const { return std::nullopt; }
    // Whether a marker's text runs across the whole row or stays in its own cell.
    virtual bool GapSpansRow() const { return true; }
    // Whether two cells hold the same click target: by default the same row.
    virtual bool SameClickTarget(int col1, int row1, int col2, int row2) const;
    // Colours of a data cell; by default Color behind TextColor.
    virtual TCellColors DataCellColors(int kindColumn, int row, bool hasEntry) const;
    // Draws the content of a data cell that shows entries[index].
    virtual void DrawDataCell(TCellText &text, int kindColumn, int index) = 0;

    void DrawCell(TCanvas &canvas, int col, int row, const QRect &rect, TGridDrawState state) override;
    bool DrawWholeRow(TCanvas &canvas, int row, const QRect &rect, TGridDrawState state) override;
    // Notes the symbol of the cell the selection moves to, which it then follows.
    bool SelectCell(int col, int row) override;
    void FontChanged() override;
    // Keeps the count of new entries above at the top right.
    void Resized() override;
    // Left button only: notes the symbol of the entry under the pointer.
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y) override;
    // Left button only: the noted symbol goes out when the release is over the
    // same target as the press.
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y) override;
    // Enter sends the selected symbol; the other keys move the selection.
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    // A marker's whole text as the tooltip of its row or cell, for where it is cut;
    // the column menu for a right click on the header.
    bool viewportEvent(QEvent *event) override;
    // A left press on a caption may become a column drag: it follows the pointer
    // and drops on release.
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    // Over the cells, the line where a dragged column would land.
    void paintEvent(QPaintEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

    // Fills the cell, bevels a header cell (with Ctl3D) and insets wide
    // rectangles; returns the rectangle the cell's text goes in.
    QRect PrepareCell(TCanvas &canvas, const QRect &cell, TColor background, bool header) const;
    // A caption cut to fit and centred.
    static void DrawHeaderText(TCellText &text, const QString &caption);

private:
    // Shows the column menu for a right click on the header; false elsewhere, or where
    // the grid offers no choice, so the window's own menu comes up.
    bool ShowColumnMenu(const QContextMenuEvent *event);
    // The shown column a dragged caption lands on when dropped at viewport x.
    int ColumnDropTarget(int x) const;
    // As CellEntry, but false for a gap marker: the entries with a symbol.
    bool CellSymbolEntry(int col, int row, int &index) const;
    // The band of a marker across the row at top: the width of the view, or of the
    // columns where they are wider.
    QRect GapBand(int top) const;
    // Draws the part of a marker's band that falls in clip.
    void DrawGapMarker(TCanvas &canvas, const QRect &band, const QRect &clip, const TLinkGap &gap) const;
    // Flashes the target and hands its symbol on: the one way a grid sends.
    void SendFrom(int col, int row, const QByteArray &symbol);
    // The one-pixel frame around the selected target, drawn on its cells' edges.
    void DrawSelectionFrame(TCanvas &canvas, int col, const QRect &rect) const;
    // The row nearest to row (within about a screen) whose cell in col shows
    // symbol; -1 when none does.
    int NearestRowShowing(int col, int row, const QByteArray &symbol) const;
    bool ShowsSymbol(int col, int row, const QByteArray &symbol) const;
    // Shows the count of new entries above at the top right under the header, or
    // hides it when there are none.
    void UpdateNewAbove();

    TColumnLayout columnLayout_;
    // A left press on the caption of dragFrom_, at dragStartX_; dragTo_ is where it
    // would land, -1 until the pointer has moved far enough to be a drag.
    int dragFrom_ = -1;
    int dragStartX_ = 0;
    int dragTo_ = -1;
    TColor textColor_ = clWhite;
    // The left press that may become a click: its cell and the symbol it was on.
    int pressedCol_ = -1;
    int pressedRow_ = -1;
    QByteArray pressedSymbol_;
    int flashCol_ = -1;
    int flashRow_ = -1;
    QByteArray flashSymbol_;
    QTimer flashTimer_;
    int newAbove_ = 0;
    QToolButton *newAboveButton_;
    TSymbolSender symbolSender_;
};
