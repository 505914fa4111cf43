#pragma once

#include <QColor>
#include <QString>

// Clicked symbols go to one of four link targets, each known to the trader by its
// colour. Group 1 is red and is the target the program always had: every window
// starts in it, and its set-up is kept where it always was.
constexpr int FirstLinkGroup = 1;
constexpr int LinkGroupCount = 4;

inline bool IsLinkGroup(int group)
{
    return group >= FirstLinkGroup && group <= LinkGroupCount;
}

// "Red", "Green", "Blue" or "Yellow".
QString LinkGroupName(int group);
QColor LinkGroupColor(int group);
