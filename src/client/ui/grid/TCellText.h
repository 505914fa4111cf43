#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>

class TCanvas;

// Server bytes as a cell shows them: decoded, with every control, bidi override and
// invisible character drawn as U+FFFD, so that no symbol can pose as another.
QString CellTextOf(const QByteArray &bytes);

// The text operations of one cell being painted. Each measures with the
// canvas's current font against the cell's text rectangle: w = width(),
// h = height().
class TCellText
{
public:
    TCellText(TCanvas &canvas, const QRect &rect);

    const QRect &Rect() const { return rect_; }

    bool TextTooWide(const QString &text) const;
    // The longest prefix that fits before "...", or the text itself when it fits.
    QString EllipsizeText(const QString &text) const;
    // Vertically centred, clipped at the text rectangle, transparent background.
    void DrawTextLeft(const QString &text);
    void DrawTextRight(const QString &text);
    void DrawTextCentered(const QString &text);

    // The value in the format, or "..." when that does not fit: a number is
    // shown whole or not at all.
    QString FormatFitted(const QString &format, double value) const;
    // The usual number cell: the fitted value right-aligned; a missing value (NaN)
    // leaves the cell empty.
    void DrawNumberRight(const QString &format, double value);
    // A positive count (noted on the canvas as the cell's number) with thousands separators, or scaled to K or M with two,
    // one or no decimals, whichever fits first, or "...".
    QString FormatAbbreviated(qint64 value) const;

private:
    int TopFor(const QString &text) const;

    TCanvas &canvas_;
    QRect rect_;
};
