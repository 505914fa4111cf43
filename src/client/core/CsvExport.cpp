#include "client/core/CsvExport.h"

#include "shared/SafeText.h"

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

// A text a spreadsheet would obey rather than show gets a leading "'".
QString InertText(const QString &text)
{
    const bool active = !text.isEmpty() && QStringView(u"=+-@\t\r").contains(text.front());
    return active ? QLatin1Char('\'') + text : text;
}

QString ShownText(const TExportRow &row, int col)
{
    if (col >= row.size())
        return QString();
    const TExportCell &cell = row[col];
    return cell.Number ? cell.Text : InertText(cell.Text);
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
    QStringList headers;
    for (const QString &header : table.Headers)
        headers << InertText(header);
    for (int col : numberColumns)
        headers << InertText(table.Headers[col] + QStringLiteral(" (value)"));
    QByteArray csv = CsvRecord(headers);

    for (const TExportRow &row : table.Rows) {
        QStringList fields;
        for (int col = 0; col < table.Headers.size(); ++col)
            fields << ShownText(row, col);
        for (int col : numberColumns) {
            const bool has = col < row.size() && row[col].Number;
            fields << (has ? NumberValueText(*row[col].Number) : QString());
        }
        csv += CsvRecord(fields);
    }
    return csv;
}

QString NumberValueText(double value)
{
    // Both conversions round correctly, so the double nearest to a decimal of up to
    // eight places comes back as that same double.
    const double rounded = QByteArray::number(value, 'f', 8).toDouble();
    return QString::number(rounded == 0 ? 0.0 : rounded, 'g', QLocale::FloatingPointShortest);
}

QString RowAsText(const TExportRow &row)
{
    QStringList texts;
    for (const TExportCell &cell : row) {
        QString text = cell.Text;
        for (QChar &c : text)
            if (c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
                c = QLatin1Char(' ');
        texts << text;
    }
    return texts.join(QLatin1Char('\t'));
}

QString ProposedCsvName(const QString &title, const QDate &day)
{
    QString name = VisibleText(title).trimmed();
    for (QChar &c : name)
        if (QStringView(u"/\\:*?\"<>|").contains(c))
            c = QLatin1Char('_');
    if (!name.isEmpty())
        name += QLatin1Char(' ');
    return name + day.toString(Qt::ISODate) + QStringLiteral(".csv");
}
