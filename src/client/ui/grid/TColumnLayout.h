#pragma once

#include <QString>
#include <QVector>

// Which of a kind's columns a window shows, left to right: the one map from a
// shown position to the kind's column that painting, clicks, widths, export and
// copy all go through. Without a choice of its own a window shows the kind's
// default, which is taken as given (a top list's "columns" setting may name a
// column twice, or one the kind does not know, which then stays empty). A choice
// read back from the settings store is another matter: unless it is the default
// written out, columns it names twice or does not know are dropped, and one that
// names nothing usable means the default.
class TColumnLayout
{
public:
    // A layout of no columns: the grid offers no choice and shows its columns as they are.
    TColumnLayout() = default;
    TColumnLayout(int kindColumnCount, QVector<int> defaultShown);

    int KindColumnCount() const { return kindColumnCount_; }
    int ShownCount() const { return int(shown_.size()); }
    const QVector<int> &Shown() const { return shown_; }
    // The kind's column at a shown position; -1 past the shown ones.
    int KindColumn(int position) const { return shown_.value(position, -1); }
    // Where the kind's column is shown (its first place); -1 while hidden.
    int PositionOf(int kindColumn) const { return int(shown_.indexOf(kindColumn)); }
    bool IsShown(int kindColumn) const { return shown_.contains(kindColumn); }
    bool IsDefault() const { return shown_ == default_; }

    // A column shown again comes back at the right end. Hiding the last shown
    // column is refused: a window always shows at least one. True when it changed.
    bool SetShown(int kindColumn, bool shown);
    // The column at shown position from lands at position to; the others close up.
    bool Move(int from, int to);
    void Reset() { shown_ = default_; }

    // The shown columns as the settings store keeps them: "3,0,5".
    QString ToSetting() const;
    // Takes a stored choice, repaired as above; an empty text means the default.
    void FromSetting(const QString &text);

private:
    int kindColumnCount_ = 0;
    QVector<int> default_;
    QVector<int> shown_;
};
