#pragma once

#include "client/ui/grid/TCanvas.h"

#include <QImage>
#include <QStringList>
#include <QVector>

#include <memory>

class TDrawGrid;

struct TRecordedText
{
    QRect Clip;
    int X;
    int Y;
    QString Text;
    TColor Color;
    TFontStyles Style;
};

struct TRecordedFill
{
    QRect Rect;
    TColor Color;
};

inline bool operator==(const TRecordedFill &a, const TRecordedFill &b)
{
    return a.Rect == b.Rect && a.Color == b.Color;
}

struct TRecordedImage
{
    int X;
    int Y;
    QImage Image;
};

// A canvas that draws nothing and records every call, with exact fake metrics:
// every character is CharWidth pixels wide and every text LineHeight high, unless
// the test gives another height.
class TRecordingCanvas : public TCanvas
{
public:
    static constexpr int CharWidth = 7;
    static constexpr int LineHeight = 13;

    TRecordingCanvas() = default;
    explicit TRecordingCanvas(int lineHeight) : lineHeight_(lineHeight) {}

    int TextWidth(const QString &text) const override { return CharWidth * int(text.size()); }
    int TextHeight(const QString &) const override { return lineHeight_; }
    void SetFontColor(TColor color) override { fontColor_ = color; }
    void SetFontStyle(TFontStyles style) override { fontStyle_ = style; }
    void FillRect(const QRect &rect, TColor color) override { Fills.append({rect, color}); }
    void FrameRect(const QRect &rect, TColor color) override { Frames.append({rect, color}); }
    void DrawBevel(const QRect &rect) override { Bevels.append(rect); }
    void TextRect(const QRect &clip, int x, int y, const QString &text) override
    {
        Texts.append({clip, x, y, text, fontColor_, fontStyle_});
    }
    void DrawImage(int x, int y, const QImage &image) override { Images.append({x, y, image.copy()}); }

    // Forgets what was drawn, for the next cell.
    void Clear() { *this = TRecordingCanvas(lineHeight_); }

    QVector<TRecordedFill> Fills;
    QVector<TRecordedFill> Frames;
    QVector<TRecordedImage> Images;
    QVector<QRect> Bevels;
    QVector<TRecordedText> Texts;

private:
    int lineHeight_ = LineHeight;
    TColor fontColor_ = clBlack;
    TFontStyles fontStyle_;
};

// What painting one grid cell on a fresh recording canvas did.
struct TPaintedCell
{
    QRect Cell;
    TColor Background = -1; // colour of the last fill over the whole cell
    bool Beveled = false;
    QVector<TRecordedText> Texts;

    // The one text drawn, or an empty text when none was.
    QString Text() const { return Texts.isEmpty() ? QString() : Texts.first().Text; }
    TColor TextColor() const { return Texts.isEmpty() ? -1 : Texts.first().Color; }
};

TPaintedCell PaintOneCell(TDrawGrid &grid, int col, int row);
// The text of a cell, as PaintOneCell(...).Text().
QString CellText(TDrawGrid &grid, int col, int row);
// The texts of a row's cells, every column's in order.
QStringList RowTexts(TDrawGrid &grid, int row);

// A grid without an owner, measured with the recording canvas's metrics.
template <typename TGrid>
std::unique_ptr<TGrid> MeasuredGrid()
{
    auto grid = std::make_unique<TGrid>(nullptr);
    TRecordingCanvas canvas;
    grid->Measure(canvas);
    return grid;
}
