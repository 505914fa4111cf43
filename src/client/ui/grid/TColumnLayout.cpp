#include "client/ui/grid/TColumnLayout.h"

#include <QStringList>

#include <utility>

TColumnLayout::TColumnLayout(int kindColumnCount, QVector<int> defaultShown)
    : kindColumnCount_(kindColumnCount)
    , default_(std::move(defaultShown))
    , shown_(default_)
{
}

bool TColumnLayout::SetShown(int kindColumn, bool shown)
{
    if (kindColumn < 0 || kindColumn >= kindColumnCount_ || shown == IsShown(kindColumn))
        return false;
    if (shown) {
        shown_.append(kindColumn);
        return true;
    }
    // A default that names the column twice loses both places.
    if (shown_.count(kindColumn) == shown_.size())
        return false;
    shown_.removeAll(kindColumn);
    return true;
}

bool TColumnLayout::Move(int from, int to)
{
    if (from < 0 || from >= ShownCount() || to < 0 || to >= ShownCount() || from == to)
        return false;
    shown_.move(from, to);
    return true;
}

QString TColumnLayout::ToSetting() const
{
    QStringList items;
    for (int kindColumn : shown_)
        items << QString::number(kindColumn);
    return items.join(QLatin1Char(','));
}

void TColumnLayout::FromSetting(const QString &text)
{
    // The default written out reads back as itself, doubled or unknown columns and all.
    shown_ = default_;
    if (text == ToSetting())
        return;
    QVector<int> shown;
    for (const QString &item : text.split(QLatin1Char(','))) {
        bool ok = false;
        const int kindColumn = item.trimmed().toInt(&ok);
        // Each known column once: nothing a damaged store holds can grow the grid.
        if (ok && kindColumn >= 0 && kindColumn < kindColumnCount_ && !shown.contains(kindColumn))
            shown.append(kindColumn);
    }
    shown_ = shown.isEmpty() ? default_ : shown;
}
