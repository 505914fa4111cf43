#include "client/ui/grid/TGridFrame.h"
#include "shared/DisplayText.h"

#include "client/ui/grid/TCanvas.h"

namespace {

// Keeps the texts and the number a cell draws. Every text measures zero wide, so
// nothing is cut to fit and numbers are never replaced by "...".
class TCellReader : public TCanvas
{
public:
    TExportCell Cell;

    int TextWidth(const QString &) const override { return 0; }
    int TextHeight(const QString &) const override { return 0; }
    void SetFontColor(TColor) override {}
    void SetFontStyle(TFontStyles) override {}
    void FillRect(const QRect &, TColor) override {}
    void FrameRect(const QRect &, TColor) override {}
    void DrawBevel(const QRect &) override {}
    void DrawImage(int, int, const QImage &) override {}
    void TextRect(const QRect &, int, int, const QString &text) override
    {
        Cell.Text += Cell.Text.isEmpty() ? text : QLatin1Char(' ') + text;
    }
    void NoteNumber(double value) override { Cell.Number = value; }
};

} // namespace

TExportRow TGridFrame::ExportRow(int row)
{
    TExportRow cells;
    for (int col = 0; col < ColCount(); ++col) {
        if (ColWidths(col) <= 0)
            continue;
        TCellReader reader;
        DrawCell(reader, col, row, QRect(0, 0, ColWidths(col), DefaultRowHeight()), TGridDrawState{row == 0, false});
        cells << reader.Cell;
    }
    return cells;
}

TExportTable TGridFrame::ExportTable()
{
    TExportTable table;
    for (const TExportCell &header : ExportRow(0))
        table.Headers << header.Text;
    for (int row = FixedRows(); row < RowCount(); ++row) {
        int index = -1;
        bool shown = false;
        for (int col = 0; col < ColCount() && !shown; ++col)
            shown = CellSymbolEntry(col, row, index);
        if (shown)
            table.Rows << ExportRow(row);
    }
    return table;
}

QString TGridFrame::SymbolAt(const QPoint &pos, int &row) const
{
    int col = -1;
    int index = -1;
    if (!MouseToCell(pos.x(), pos.y(), col, row) || !CellSymbolEntry(col, row, index))
        return QString();
    // The symbol as the user sees it: the clipboard and the exclude list take text.
    return DisplayText(EntrySymbol(index));
}
