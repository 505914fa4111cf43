#include "client/ui/grid/TGridFrame.h"

#include "client/ui/SymbolLink.h"
#include "client/ui/grid/TCanvas.h"
#include "client/ui/grid/TCellText.h"
#include "client/ui/grid/TQtCanvas.h"

namespace {

// A header's text rectangle loses one pixel on each side to the bevel.
constexpr int BevelWidth = 1;
// Text keeps this far from the cell's sides, in rectangles wide enough for it.
constexpr int TextInset = 3;
constexpr int NarrowestInsetWidth = 15;

} // namespace

TGridFrame::TGridFrame(QWidget *owner, int colCount)
    : TDrawGrid(owner)
{
    SetColor(clBlack);
    SetColCount(colCount);
    SetRowCount(2);
    SetColumnSizing(true);
    SetThumbTracking(true);
}

void TGridFrame::SetTextColor(TColor color)
{
    textColor_ = color;
    Invalidate();
}

int TGridFrame::MeasuredWidth(const TTextMetrics &metrics, const QString &sample) const
{
    // Room for the two insets, plus the bevel and a little air with the 3-D look.
    return metrics.TextWidth(sample) + (Ctl3D() ? 16 : 12);
}

void TGridFrame::MeasureColumn(const TTextMetrics &metrics, int col, const QString &sample)
{
    SetColWidths(col, MeasuredWidth(metrics, sample));
}

void TGridFrame::Measure(const TTextMetrics &metrics)
{
    SetDefaultRowHeight(metrics.TextHeight(QStringLiteral("Xy()")) + 4);
    for (int col = 0; col < ColCount(); ++col)
        MeasureColumn(metrics, col, SampleText(col));
}

void TGridFrame::MeasureWithCanvasFont()
{
    SetCanvasFont(font());
    const TQtTextMetrics metrics(CanvasFont(), viewport());
    Measure(metrics);
}

bool TGridFrame::CellEntry(int, int row, int &index) const
{
    index = row - 1;
    return row >= 1 && index < EntryCount();
}

TCellColors TGridFrame::DataCellColors(int, int, bool) const
{
    return {Color(), textColor_};
}

void TGridFrame::DrawCell(TCanvas &canvas, int col, int row, const QRect &rect, TGridDrawState state)
{
    const bool header = state.Fixed;
    int index = -1;
    const bool hasEntry = !header && CellEntry(col, row, index);
    canvas.SetFontStyle({});
    const TCellColors colors = header ? TCellColors{FixedColor(), clBlack} : DataCellColors(col, row, hasEntry);
    TCellText text(canvas, PrepareCell(canvas, rect, colors.Background, header));
    canvas.SetFontColor(colors.Text);
    if (header)
        DrawHeaderText(text, HeaderText(col));
    else if (hasEntry)
        DrawDataCell(text, col, index);
}

QRect TGridFrame::PrepareCell(TCanvas &canvas, const QRect &cell, TColor background, bool header) const
{
    canvas.FillRect(cell, background);
    QRect textRect = cell;
    if (header && Ctl3D()) {
        canvas.DrawBevel(cell);
        textRect.adjust(BevelWidth, BevelWidth, -BevelWidth, -BevelWidth);
    }
    if (textRect.width() >= NarrowestInsetWidth)
        textRect.adjust(TextInset, 0, -TextInset, 0);
    return textRect;
}

void TGridFrame::DrawHeaderText(TCellText &text, const QString &caption)
{
    text.DrawTextCentered(text.EllipsizeText(caption));
}

void TGridFrame::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y)
{
    if (button != Qt::LeftButton)
        return;
    int col, row, index;
    if (MouseToCell(x, y, col, row) && CellEntry(col, row, index))
        SendSymbol(EntrySymbol(index));
}
