#pragma once

#include "client/ui/grid/TCanvas.h"
#include "shared/SeededHash.h"

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QPalette>

class QPaintDevice;
class QPainter;

// Measures texts in one font as it will be drawn on a given paint device.
class TQtTextMetrics : public TTextMetrics
{
public:
    TQtTextMetrics(const QFont &font, QPaintDevice *device);

    int TextWidth(const QString &text) const override;
    int TextHeight(const QString &text) const override;

private:
    QFontMetrics metrics_;
};

// Widths of texts in one font on one kind of device, per style: a grid measures the
// same symbols and numbers paint after paint, and shaping a text again costs far more
// than looking its width up.
class TTextWidthCache
{
public:
    // Forgets every width unless the font and resolution are those of the last call.
    void Use(const QFont &font, int dpi);
    // The text's width, measured by measure the first time it is asked for.
    template <typename Measure>
    int Width(TFontStyles style, const QString &text, Measure measure)
    {
        QHash<TTextKey, int> &widths = widths_[int(style.toInt()) % StyleCount];
        const auto found = widths.constFind({text});
        if (found != widths.constEnd())
            return found.value();
        // Texts never seen again (prices of the moment) must not pile up: a screen of
        // a grid shows a few hundred texts, and nine grids keep a cache each.
        if (widths.size() >= MostTexts)
            widths.clear();
        const int width = measure();
        widths.insert({text}, width);
        return width;
    }

private:
    static constexpr int StyleCount = 16;
    static constexpr int MostTexts = 2048;
    QFont font_;
    int dpi_ = -1;
    QHash<TTextKey, int> widths_[StyleCount];
};

// The canvas on a QPainter. The bevel takes its light and dark colours from
// the palette it is given. With a width cache, texts are measured through it.
class TQtCanvas : public TCanvas
{
public:
    TQtCanvas(QPainter &painter, const QFont &font, const QPalette &palette,
              TTextWidthCache *widthCache = nullptr);

    int TextWidth(const QString &text) const override;
    int TextHeight(const QString &text) const override;
    void SetFontColor(TColor color) override;
    void SetFontStyle(TFontStyles style) override;
    void FillRect(const QRect &rect, TColor color) override;
    void FrameRect(const QRect &rect, TColor color) override;
    void DrawBevel(const QRect &rect) override;
    void TextRect(const QRect &clip, int x, int y, const QString &text) override;
    void DrawImage(int x, int y, const QImage &image) override;
    qreal DevicePixelRatio() const override;

private:
    void ApplyFont();

    QPainter &painter_;
    QFont baseFont_;
    QFont font_;
    QPalette palette_;
    TColor fontColor_ = clBlack;
    TFontStyles style_;
    TTextWidthCache *widthCache_;
};
