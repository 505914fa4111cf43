#pragma once

#include <QByteArray>

// Undoes percent escapes: "%" and two hexadecimal digits become that one byte; anything
// else, including a "%" not followed by two hexadecimal digits, is copied unchanged.
// "+" stays a plus sign and no character set conversion takes place.
QByteArray PercentDecode(const QByteArray &text);

// The value 0 to 15 of "0"-"9", "A"-"F" or "a"-"f"; -1 for any other character.
int HexDigitValue(char c);
