#pragma once

#include "client/ui/grid/TCanvas.h"

#include <QFont>
#include <QFontMetrics>
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

// The canvas on a QPainter. The bevel takes its light and dark colours from
// the palette it is given.
class TQtCanvas : public TCanvas
{
public:
    TQtCanvas(QPainter &painter, const QFont &font, const QPalette &palette);

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
};
