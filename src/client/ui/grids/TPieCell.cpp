#include "client/ui/grids/TPieCell.h"

#include "client/ui/grid/TCanvas.h"
#include "client/ui/widgets/ColorTools.h"
#include "shared/Exception.h"

#include <QPainter>

#include <QtMath>

#include <cmath>

namespace {

constexpr int Supersampling = 3;
// A disc this small in the large image would be a smudge of a pixel or two.
constexpr int SmallestSquare = 7;
// Painter angles are in sixteenths of a degree, counter-clockwise from 3 o'clock.
constexpr int TwelveOClock = 90 * 16;
constexpr int FullCircle = 360 * 16;

} // namespace

QRect MakeSquare(const QRect &rect)
{
    QRect square = rect;
    const int excess = rect.height() - rect.width();
    if (excess > 0) {
        square.setTop(rect.top() + excess / 2);
        square.setHeight(rect.width());
    } else if (excess < 0) {
        square.setLeft(rect.left() + -excess / 2);
        square.setWidth(rect.height());
    }
    AZ_ASSERT(square.width() == square.height());
    return square;
}

TPieCell::TPieCell(TColor pieColor)
    : pieColor_(pieColor)
{
}

void TPieCell::Draw(TCanvas &canvas, TColor background, const QRect &textRect, double value)
{
    if (std::isnan(value) || value <= 0 || textRect.width() <= 0 || textRect.height() <= 0)
        return;
    const qreal ratio = canvas.DevicePixelRatio();
    const QSize size(qCeil(textRect.width() * ratio) * Supersampling, qCeil(textRect.height() * ratio) * Supersampling);
    if (large_.size() != size)
        large_ = QImage(size, QImage::Format_RGB888);
    large_.fill(ToQColor(background));
    const QRect square = MakeSquare(large_.rect());
    if (square.height() < SmallestSquare * ratio)
        return;
    {
        QPainter painter(&large_);
        painter.setPen(Qt::NoPen);
        painter.setBrush(ToQColor(pieColor_));
        if (value >= 1) {
            painter.drawEllipse(square);
        } else {
            // The span follows the fraction itself, so a sliver stays a sliver
            // instead of closing up into a whole disc.
            const int span = int(std::lround(value * FullCircle));
            if (span > 0)
                painter.drawPie(square, TwelveOClock, span);
        }
    }
    ShrinkBitmap(large_, small_, Supersampling, Supersampling);
    small_.setDevicePixelRatio(ratio);
    canvas.DrawImage(textRect.left(), textRect.top(), small_);
}
