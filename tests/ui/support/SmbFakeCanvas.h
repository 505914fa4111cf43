#pragma once

#include "client/ui/grid/TCanvas.h"

#include <QImage>
#include <QRect>
#include <QString>
#include <QVector>

// A canvas that records what the top-list grid draws, with a monospaced font:
// every character is CharWidth pixels wide and every text LineHeight high.
class TSmbFakeCanvas : public TCanvas
{
public:
    static constexpr int CharWidth = 7;
    static constexpr int LineHeight = 14;

    struct TFill
    {
        QRect rect;
        TColor color;
    };
    struct TText
    {
        QRect clip;
        int x;
        int y;
        QString text;
        TColor color;
    };
    struct TImage
    {
        int x;
        int y;
        QImage image;
    };

    int TextWidth(const QString &text) const override { return CharWidth * int(text.size()); }
    int TextHeight(const QString &) const override { return LineHeight; }
    void SetFontColor(TColor color) override { fontColor_ = color; }
    void SetFontStyle(TFontStyles style) override { styles.append(style); }
    void FillRect(const QRect &rect, TColor color) override { fills.append({rect, color}); }
    void FrameRect(const QRect &rect, TColor color) override { frames.append({rect, color}); }
    void DrawBevel(const QRect &rect) override { bevels.append(rect); }
    void TextRect(const QRect &clip, int x, int y, const QString &text) override
    {
        texts.append({clip, x, y, text, fontColor_});
    }
    void DrawImage(int x, int y, const QImage &image) override { images.append({x, y, image.copy()}); }

    void Clear() { *this = TSmbFakeCanvas(); }

    QVector<TFontStyles> styles;
    QVector<TFill> fills;
    QVector<TFill> frames;
    QVector<QRect> bevels;
    QVector<TText> texts;
    QVector<TImage> images;

private:
    TColor fontColor_ = clBlack;
};
