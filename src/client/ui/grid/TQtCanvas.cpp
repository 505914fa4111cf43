#include "client/ui/grid/TQtCanvas.h"

#include <QPaintDevice>
#include <QPainter>

TQtTextMetrics::TQtTextMetrics(const QFont &font, QPaintDevice *device)
    : metrics_(font, device)
{
}

int TQtTextMetrics::TextWidth(const QString &text) const
{
    return metrics_.horizontalAdvance(text);
}

int TQtTextMetrics::TextHeight(const QString &) const
{
    return metrics_.height();
}

void TTextWidthCache::Use(const QFont &font, int dpi)
{
    if (dpi == dpi_ && font == font_)
        return;
    font_ = font;
    dpi_ = dpi;
    for (QHash<TTextKey, int> &widths : widths_)
        widths.clear();
}

TQtCanvas::TQtCanvas(QPainter &painter, const QFont &font, const QPalette &palette,
                     TTextWidthCache *widthCache)
    : painter_(painter)
    , baseFont_(font)
    , font_(font)
    , palette_(palette)
    , widthCache_(widthCache)
{
    ApplyFont();
    if (widthCache_)
        widthCache_->Use(font, painter.device() ? painter.device()->logicalDpiY() : 0);
}

int TQtCanvas::TextWidth(const QString &text) const
{
    const auto measure = [&] { return painter_.fontMetrics().horizontalAdvance(text); };
    return widthCache_ ? widthCache_->Width(style_, text, measure) : measure();
}

int TQtCanvas::TextHeight(const QString &) const
{
    return painter_.fontMetrics().height();
}

void TQtCanvas::SetFontColor(TColor color)
{
    fontColor_ = color;
}

void TQtCanvas::SetFontStyle(TFontStyles style)
{
    // Every cell asks for its style; most ask for the one already set.
    if (style == style_)
        return;
    style_ = style;
    font_ = baseFont_;
    font_.setBold(style.testFlag(TFontStyle::fsBold));
    font_.setItalic(style.testFlag(TFontStyle::fsItalic));
    font_.setUnderline(style.testFlag(TFontStyle::fsUnderline));
    font_.setStrikeOut(style.testFlag(TFontStyle::fsStrikeOut));
    ApplyFont();
}

void TQtCanvas::FillRect(const QRect &rect, TColor color)
{
    painter_.fillRect(rect, ToQColor(color));
}

void TQtCanvas::FrameRect(const QRect &rect, TColor color)
{
    if (rect.isEmpty())
        return;
    const QColor c = ToQColor(color);
    painter_.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), c);
    painter_.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), c);
    painter_.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), c);
    painter_.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), c);
}

void TQtCanvas::DrawBevel(const QRect &rect)
{
    if (rect.isEmpty())
        return;
    const QColor light = palette_.color(QPalette::Light);
    const QColor dark = palette_.color(QPalette::Dark);
    // The light edges stop one pixel short, so the top-right and bottom-left
    // corners stay dark as on a raised button.
    painter_.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), dark);
    painter_.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), dark);
    painter_.fillRect(QRect(rect.left(), rect.top(), rect.width() - 1, 1), light);
    painter_.fillRect(QRect(rect.left(), rect.top(), 1, rect.height() - 1), light);
}

void TQtCanvas::TextRect(const QRect &clip, int x, int y, const QString &text)
{
    if (clip.isEmpty() || text.isEmpty())
        return;
    painter_.save();
    painter_.setClipRect(clip, Qt::IntersectClip);
    painter_.setPen(ToQColor(fontColor_));
    painter_.drawText(x, y + painter_.fontMetrics().ascent(), text);
    painter_.restore();
}

void TQtCanvas::DrawImage(int x, int y, const QImage &image)
{
    painter_.drawImage(x, y, image);
}

qreal TQtCanvas::DevicePixelRatio() const
{
    return painter_.device() ? painter_.device()->devicePixelRatioF() : 1;
}

void TQtCanvas::ApplyFont()
{
    painter_.setFont(font_);
}
