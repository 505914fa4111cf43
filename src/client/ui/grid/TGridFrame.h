#pragma once

#include "client/ui/grid/TDrawGrid.h"

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
// itself (MeasureWithCanvasFont) when it has an owner.
class TGridFrame : public TDrawGrid
{
    Q_OBJECT

public:
    TGridFrame(QWidget *owner, int colCount);

    // Colour of data text; white until set.
    TColor TextColor() const { return textColor_; }
    void SetTextColor(TColor color);

    // Row height from "Xy()" and every column from its sample text.
    virtual void Measure(const TTextMetrics &metrics);
    // The column's width from a sample: its width plus the room the cell's
    // inset and (with Ctl3D) bevel take.
    void MeasureColumn(const TTextMetrics &metrics, int col, const QString &sample);
    int MeasuredWidth(const TTextMetrics &metrics, const QString &sample) const;

protected:
    // Takes the widget's font as the canvas font and measures with it.
    void MeasureWithCanvasFont();

    virtual QString HeaderText(int col) const = 0;
    virtual QString SampleText(int col) const = 0;
    virtual int EntryCount() const = 0;
    virtual QString EntrySymbol(int index) const = 0;
    // The entry a data cell shows; false for cells without one.
    virtual bool CellEntry(int col, int row, int &index) const;
    // Colours of a data cell; by default Color behind TextColor.
    virtual TCellColors DataCellColors(int col, int row, bool hasEntry) const;
    // Draws the content of a data cell that shows entries[index].
    virtual void DrawDataCell(TCellText &text, int col, int index) = 0;

    void DrawCell(TCanvas &canvas, int col, int row, const QRect &rect, TGridDrawState state) override;
    // Left button only: the symbol of the entry under the pointer goes out.
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y) override;

    // Fills the cell, bevels a header cell (with Ctl3D) and insets wide
    // rectangles; returns the rectangle the cell's text goes in.
    QRect PrepareCell(TCanvas &canvas, const QRect &cell, TColor background, bool header) const;
    // A caption cut to fit and centred.
    static void DrawHeaderText(TCellText &text, const QString &caption);

private:
    TColor textColor_ = clWhite;
};
