#include "client/ui/grid/TCellText.h"

#include <cmath>

#include "client/ui/grid/NumberFormat.h"
#include "client/ui/grid/TCanvas.h"
#include "shared/DisplayText.h"
#include "shared/SafeText.h"

#include <algorithm>

namespace {

const QString Ellipsis = QStringLiteral("...");

} // namespace

QString CellTextOf(const QByteArray &bytes)
{
    return VisibleText(DisplayText(bytes));
}

TCellText::TCellText(TCanvas &canvas, const QRect &rect)
    : canvas_(canvas)
    , rect_(rect)
{
}

bool TCellText::TextTooWide(const QString &text) const
{
    return canvas_.TextWidth(text) > rect_.width();
}

QString TCellText::EllipsizeText(const QString &text) const
{
    if (!TextTooWide(text))
        return text;
    // Characters are measured one at a time, so only texts that do not fit
    // cost more than one measurement.
    int budget = rect_.width() - canvas_.TextWidth(Ellipsis);
    int kept = 0;
    while (kept < text.size()) {
        // A surrogate pair is one character and is kept or dropped whole.
        const int length = text.at(kept).isHighSurrogate() && kept + 1 < text.size() ? 2 : 1;
        budget -= canvas_.TextWidth(text.mid(kept, length));
        if (budget < 0)
            break;
        kept += length;
    }
    return text.left(kept) + Ellipsis;
}

int TCellText::TopFor(const QString &text) const
{
    return rect_.top() + std::max(rect_.height() - canvas_.TextHeight(text), 0) / 2;
}

void TCellText::DrawTextLeft(const QString &text)
{
    canvas_.TextRect(rect_, rect_.left(), TopFor(text), text);
}

void TCellText::DrawTextRight(const QString &text)
{
    const int x = rect_.left() + std::max(rect_.width() - canvas_.TextWidth(text), 0);
    canvas_.TextRect(rect_, x, TopFor(text), text);
}

void TCellText::DrawTextCentered(const QString &text)
{
    const int x = rect_.left() + std::max(rect_.width() - canvas_.TextWidth(text), 0) / 2;
    canvas_.TextRect(rect_, x, TopFor(text), text);
}

QString TCellText::FormatFitted(const QString &format, double value) const
{
    const QString text = FormatValues(format, {value});
    return TextTooWide(text) ? Ellipsis : text;
}

void TCellText::DrawNumberRight(const QString &format, double value)
{
    if (std::isnan(value))
        return;
    canvas_.NoteNumber(value);
    DrawTextRight(FormatFitted(format, value));
}

QString TCellText::FormatAbbreviated(qint64 value) const
{
    canvas_.NoteNumber(double(value));
    const QString whole = FormatValues(QStringLiteral("%.0n"), {double(value)});
    if (!TextTooWide(whole))
        return whole;
    if (value < 1000)
        return Ellipsis;
    const bool millions = value >= 1000000;
    const double scaled = double(value) / (millions ? 1000000.0 : 1000.0);
    const QString suffix = millions ? QStringLiteral("M") : QStringLiteral("K");
    for (const QString &format : {QStringLiteral("%.2n%s"), QStringLiteral("%.1n%s"), QStringLiteral("%.0n%s")}) {
        const QString text = FormatValues(format, {scaled, suffix});
        if (!TextTooWide(text))
            return text;
    }
    return Ellipsis;
}
