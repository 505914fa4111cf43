#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Undoes percent escapes: "%" and two hexadecimal digits become that one byte; anything
// else, including a "%" not followed by two hexadecimal digits, is copied unchanged.
// "+" stays a plus sign and no character set conversion takes place.
QByteArray PercentDecode(const QByteArray &text);
// The same, appending the decoded bytes to out, for callers that decode many texts
// into one buffer they keep.
void AppendPercentDecoded(QByteArrayView text, QByteArray &out);

// The value 0 to 15 of "0"-"9", "A"-"F" or "a"-"f"; -1 for any other character.
int HexDigitValue(char c);
