#include "client/ui/grid/TColor.h"

#include <cmath>

QColor ToQColor(TColor color)
{
    return QColor(RedOf(color), GreenOf(color), BlueOf(color));
}

TColor FromQColor(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return RGB(rgb.red(), rgb.green(), rgb.blue());
}

int RoundHalfEven(double value)
{
    // The default floating-point rounding mode takes ties to even.
    return int(std::nearbyint(value));
}

namespace {

int BlendChannel(int a, int b, double x)
{
    if (x <= 0)
        return a;
    if (x >= 1)
        return b;
    return RoundHalfEven((1 - x) * a + x * b);
}

} // namespace

TColor BlendColor(TColor a, TColor b, double x)
{
    return RGB(BlendChannel(RedOf(a), RedOf(b), x), BlendChannel(GreenOf(a), GreenOf(b), x),
               BlendChannel(BlueOf(a), BlueOf(b), x));
}
