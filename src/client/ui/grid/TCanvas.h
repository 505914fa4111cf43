#pragma once

#include "client/ui/grid/TColor.h"

#include <QFlags>
#include <QImage>
#include <QRect>
#include <QString>

enum class TFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFontStyles)

// Text measurement with the current font: all that sizing a grid needs.
class TTextMetrics
{
public:
    virtual ~TTextMetrics() = default;
    virtual int TextWidth(const QString &text) const = 0;
    virtual int TextHeight(const QString &text) const = 0;
};

// The drawing surface of a grid cell. The grids' cell rules talk only to this,
// so they run against a recording canvas in tests as well as on a QPainter.
// Rectangles are QRects: width() and height() are the pixel counts.
class TCanvas : public TTextMetrics
{
public:
    virtual void SetFontColor(TColor color) = 0;
    virtual void SetFontStyle(TFontStyles style) = 0;

    virtual void FillRect(const QRect &rect, TColor color) = 0;
    // One-pixel outline in the given colour, around the inside of the rectangle.
    virtual void FrameRect(const QRect &rect, TColor color) = 0;
    // Raised inner bevel one pixel wide: light on top and left, dark on bottom
    // and right, drawn on the outermost pixels of the rectangle.
    virtual void DrawBevel(const QRect &rect) = 0;
    // The text's top-left corner at (x, y), transparent background, nothing
    // drawn outside clip.
    virtual void TextRect(const QRect &clip, int x, int y, const QString &text) = 0;
    // A 24-bit image with its top-left corner at (x, y); an image with a device
    // pixel ratio covers its size divided by that ratio.
    virtual void DrawImage(int x, int y, const QImage &image) = 0;
    // Device pixels per unit of the rectangles above: 2 on a screen at 200%.
    virtual qreal DevicePixelRatio() const { return 1; }
    // The number behind the text a cell is about to show. Only a canvas that reads
    // the cells back (to export them) keeps it.
    virtual void NoteNumber(double) {}
};
