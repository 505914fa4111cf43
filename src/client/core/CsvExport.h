#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

// One grid cell as the trader sees it, and the number behind it when it shows one.
struct TExportCell
{
    QString Text;
    std::optional<double> Number;
};
using TExportRow = QVector<TExportCell>;

// What a window shows: the captions of its columns and its rows of cells.
struct TExportTable
{
    QStringList Headers;
    QVector<TExportRow> Rows;
};

// One CSV record ending in CRLF; a field holding a comma, a quote or a line break is
// quoted, its quotes doubled.
QByteArray CsvRecord(const QStringList &fields);

// The table as UTF-8 CSV: the shown texts first, then one extra column for each
// column that holds numbers, with the numbers unformatted and exact (C locale,
// shortest text that reads back as the same double) so a spreadsheet can compute
// with them. Such a column is captioned with its column's caption and " (value)".
QByteArray CsvFromTable(const TExportTable &table);

// A row for the clipboard: the shown texts separated by tabs.
QString RowAsText(const TExportRow &row);
