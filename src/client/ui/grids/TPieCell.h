#pragma once

#include "client/ui/grid/TColor.h"

#include <QImage>
#include <QRect>

class TCanvas;

// The largest square centred in rect: the longer side loses half its excess on
// each side, the odd pixel on the right or bottom.
QRect MakeSquare(const QRect &rect);

// A fraction from 0 to 1 drawn as a small pie: a wedge counter-clockwise from
// 12 o'clock covering that fraction of a disc, a whole disc from 1 on, nothing
// for 0, less or a missing value.
//
// The painter draws no smooth edges into images, so the pie is drawn at three
// times the size and each 3 by 3 block averaged down. On a screen that scales,
// the pie is made at the screen's own pixels, so it stays sharp at 200%. The two work images stay
// allocated from one cell to the next and are only resized.
class TPieCell
{
public:
    explicit TPieCell(TColor pieColor);

    // Draws at the top-left corner of textRect, over a cell already filled with
    // background.
    void Draw(TCanvas &canvas, TColor background, const QRect &textRect, double value);

private:
    TColor pieColor_;
    QImage large_;
    QImage small_;
};
