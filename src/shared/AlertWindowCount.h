#pragma once

class TIniFile;

// No desktop has a use for more alert windows than this; a larger "window count" is a
// damaged or hostile file, and honouring it would never finish starting up.
constexpr int MostAlertWindows = 100;

// The "General" "window count" of KVX.ini: a value that is not a number or is negative
// reads as 0; one above MostAlertWindows reads as MostAlertWindows, with a debug report.
int ReadAlertWindowCount(const TIniFile &ini);
