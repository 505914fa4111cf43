#include "client/ui/grid/NumberFormat.h"

#include "shared/Exception.h"

#include <QLocale>

#include <cmath>

namespace {

struct TDirective
{
    int precision = -1; // none given
    QChar type;
};

// Reads the directive that starts after a '%' at pos; pos ends after its type.
TDirective ReadDirective(const QString &pattern, int &pos)
{
    TDirective directive;
    if (pos < pattern.size() && pattern.at(pos) == QLatin1Char('.')) {
        // "%.01f" reads as one decimal.
        directive.precision = 0;
        for (++pos; pos < pattern.size() && pattern.at(pos).isDigit(); ++pos)
            directive.precision = directive.precision * 10 + pattern.at(pos).digitValue();
    }
    AZ_ASSERT_MSG(pos < pattern.size(), "Format ends inside a directive.");
    directive.type = pattern.at(pos++).toLower();
    return directive;
}

QLocale NumberLocale(bool groupThousands)
{
    QLocale locale;
    QLocale::NumberOptions options = locale.numberOptions();
    options.setFlag(QLocale::OmitGroupSeparator, !groupThousands);
    locale.setNumberOptions(options);
    return locale;
}

QString FormatOne(const TDirective &directive, const TFormatArg &arg)
{
    const QChar type = directive.type;
    if (type == QLatin1Char('s')) {
        AZ_ASSERT_MSG(std::holds_alternative<QString>(arg), "Format %s needs a text.");
        return std::get<QString>(arg);
    }
    AZ_ASSERT_MSG(std::holds_alternative<double>(arg), "Format needs a number.");
    const double value = std::get<double>(arg);
    if (type == QLatin1Char('f') || type == QLatin1Char('n')) {
        const int decimals = directive.precision >= 0 ? directive.precision : 2;
        const QLocale locale = NumberLocale(type == QLatin1Char('n'));
        const QString text = locale.toString(value, 'f', decimals);
        if (!std::signbit(value))
            return text;
        // A value that rounds to zero shows as zero: "-0.0" would read as a fall.
        const QString zero = locale.toString(0.0, 'f', decimals);
        return text == locale.negativeSign() + zero ? zero : text;
    }
    AZ_ASSERT_MSG(false, "Unknown format directive.");
    return QString();
}

} // namespace

QString FormatValues(const QString &pattern, std::initializer_list<TFormatArg> args)
{
    QString result;
    auto next = args.begin();
    int pos = 0;
    while (pos < pattern.size()) {
        const QChar c = pattern.at(pos++);
        if (c != QLatin1Char('%')) {
            result += c;
            continue;
        }
        if (pos < pattern.size() && pattern.at(pos) == QLatin1Char('%')) {
            result += QLatin1Char('%');
            ++pos;
            continue;
        }
        const TDirective directive = ReadDirective(pattern, pos);
        AZ_ASSERT_MSG(next != args.end(), "Format has more directives than values.");
        result += FormatOne(directive, *next++);
    }
    return result;
}

QString WidestNumber(int decimals)
{
    return FormatValues(QStringLiteral("%.%1n").arg(decimals), {100000 - std::pow(10.0, -decimals)});
}
