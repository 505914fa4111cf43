#include "client/core/CsvExport.h"

#include <QLocale>

namespace {

QByteArray CsvField(const QString &text)
{
    QByteArray field = text.toUtf8();
    if (!field.contains(',') && !field.contains('"') && !field.contains('\n') && !field.contains('\r'))
        return field;
    field.replace('"', "\"\"");
    return '"' + field + '"';
}

// The columns that hold a number in at least one row.
QVector<int> NumberColumns(const TExportTable &table)
{
    QVector<int> columns;
    for (int col = 0; col < table.Headers.size(); ++col)
        for (const TExportRow &row : table.Rows)
            if (col < row.size() && row[col].Number) {
                columns << col;
                break;
            }
    return columns;
}

} // namespace

QByteArray CsvRecord(const QStringList &fields)
{
    QByteArray record;
    for (int i = 0; i < fields.size(); ++i) {
        if (i > 0)
            record += ',';
        record += CsvField(fields[i]);
    }
    return record + "\r\n";
}

QByteArray CsvFromTable(const TExportTable &table)
{
    const QVector<int> numberColumns = NumberColumns(table);
    QStringList headers = table.Headers;
    for (int col : numberColumns)
        headers << table.Headers[col] + QStringLiteral(" (value)");
    QByteArray csv = CsvRecord(headers);

    const QLocale c = QLocale::c();
    for (const TExportRow &row : table.Rows) {
        QStringList fields;
        for (int col = 0; col < table.Headers.size(); ++col)
            fields << (col < row.size() ? row[col].Text : QString());
        for (int col : numberColumns) {
            const bool has = col < row.size() && row[col].Number;
            fields << (has ? c.toString(*row[col].Number, 'g', QLocale::FloatingPointShortest) : QString());
        }
        csv += CsvRecord(fields);
    }
    return csv;
}

QString RowAsText(const TExportRow &row)
{
    QStringList texts;
    for (const TExportCell &cell : row)
        texts << cell.Text;
    return texts.join(QLatin1Char('\t'));
}
