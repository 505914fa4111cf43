#pragma once

#include <QVector>

// What a list of ints shows, in its order; {-1} when indexing and iterating disagree.
template <typename List>
QVector<int> Shown(const List &list)
{
    QVector<int> shown;
    for (int entry : list)
        shown << entry;
    for (int i = 0; i < list.size(); ++i)
        if (list[i] != shown[i])
            return {-1};
    return shown;
}
