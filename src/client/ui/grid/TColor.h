#pragma once

#include <QColor>

// A 24-bit RGB colour held in an int: red in the lowest byte, green in the
// second and blue in the third, the form in which window colour settings arrive.
using TColor = int;

constexpr TColor RGB(int red, int green, int blue)
{
    return (red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16);
}

constexpr int RedOf(TColor color) { return color & 0xFF; }
constexpr int GreenOf(TColor color) { return (color >> 8) & 0xFF; }
constexpr int BlueOf(TColor color) { return (color >> 16) & 0xFF; }

constexpr TColor clBlack = RGB(0, 0, 0);
constexpr TColor clWhite = RGB(255, 255, 255);
constexpr TColor clYellow = RGB(255, 255, 0);

QColor ToQColor(TColor color);
TColor FromQColor(const QColor &color);

// Nearest integer with an exact half going to the even neighbour (127.5 -> 128,
// 126.5 -> 126), the rounding every computed colour channel uses.
int RoundHalfEven(double value);

// Mixes a and b channel by channel: x <= 0 gives a, x >= 1 gives b, otherwise
// (1 - x) * a + x * b rounded half to even.
TColor BlendColor(TColor a, TColor b, double x);
