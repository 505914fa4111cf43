#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// Splits a list the way comma-separated settings are read: items are separated by
// a comma or by a run of blanks (the space and every control character), a
// double-quoted item may contain either (a doubled quote inside stands for one),
// two commas in a row enclose an empty item and a comma at the very end adds one.
// Leading and trailing blanks are dropped.
QStringList SplitCommaText(const QString &text);

// The logical columns a full top list's "columns" setting names, left to right:
// each item read as an integer, 0 (the symbol column) when it is not one. A setting
// without items names the eleven columns 0 to 10. Items past MostTopListColumns are
// dropped: a damaged file must not make a grid measure and lay out columns without end.
constexpr int MostTopListColumns = 200;
QVector<int> ColumnMapFromSetting(const QString &text);
