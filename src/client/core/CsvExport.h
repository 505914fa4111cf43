#pragma once

#include <QByteArray>
#include <QDate>
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
// column that holds numbers, with the numbers unformatted (NumberValueText) so a
// spreadsheet can compute with them. Such a column is captioned with its column's
// caption and " (value)".
// A text that a spreadsheet would read as a formula or as a control, one beginning
// with "=", "+", "-", "@", a tab or a carriage return, is written after a "'", which
// spreadsheets take as "this is text": a symbol the server names "=HYPERLINK(...)"
// stays a symbol. Numbers the client formatted itself, "-1.50" among them, are
// written as they show.
QByteArray CsvFromTable(const TExportTable &table);

// A number in C-locale notation, rounded to eight decimals (finer than any price or
// ratio is read) and then written in the shortest text that reads back as the same
// double: 218.80 − 218.37 gives 0.43, not its binary rounding 0.4300000000000068,
// while a number the server sent with up to eight decimals reads back exactly. Zero
// is never "-0".
QString NumberValueText(double value);

// A row for the clipboard: the shown texts separated by tabs. Tabs and line breaks
// inside a text become spaces, so a pasted row has exactly the grid's columns.
QString RowAsText(const TExportRow &row);

// The file name Export to CSV proposes: the window's title and the day, as
// "Quick 2026-12-08.csv", with characters that a file name cannot hold (or that
// would make it a path) replaced by "_".
QString ProposedCsvName(const QString &title, const QDate &day);
