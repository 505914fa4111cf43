#pragma once

#include <QImage>

// Reduces source into destination by whole-number factors: destination pixel
// (X, Y) is, per channel, the mean of the factorX by factorY block of source
// pixels that starts at (X * factorX, Y * factorY), halves rounded upwards.
// Drawing at a multiple of the size and reducing this way gives smooth edges
// without any anti-aliasing from the painter.
//
// Both images are 24-bit (QImage::Format_RGB888): the destination is resized
// and overwritten, the source only read (a copy of it is converted when it has
// another format). Columns and rows past the last whole block are ignored. A
// negative factorX mirrors the result left to right; a negative factorY is not
// supported. Neither factor may be zero.
void ShrinkBitmap(const QImage &source, QImage &destination, int factorX, int factorY);
