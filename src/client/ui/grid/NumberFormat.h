#pragma once

#include <QString>

#include <initializer_list>
#include <variant>

// One argument of FormatValues: a number or a text.
using TFormatArg = std::variant<double, QString>;

// Formats values into a pattern of literal text and directives
// "%[.precision]type":
//   f  fixed point, precision decimals (2 when none is given), no separators
//   n  like f, with thousands separators
//   s  a text
//   %% a literal percent sign
// Decimal and thousands separators are those of QLocale(). A directive that
// does not match its argument, or runs out of arguments, is an assertion error.
QString FormatValues(const QString &pattern, std::initializer_list<TFormatArg> args);

// The widest number a column of prices or changes is made for: 99,999.99 with the
// locale's separators, to the given decimals. Columns are measured with it so that
// a price shows whole in every font.
QString WidestNumber(int decimals);
