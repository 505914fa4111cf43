#pragma once

#include "TFeedRandom.h"
#include "TMarketUniverse.h"

#include <QVector>

// The ranking behind a full top list. Scores wander a little with every alert, so
// neighbours change places now and then and a name drops out for a newcomer once in a
// while: the order drifts slowly, as a real scan's does, instead of jumping.
class TTopListBoard
{
public:
    static constexpr int Size = 30;
    // Marks the separator row in Rows().
    static constexpr int Separator = -1;

    TTopListBoard(TFeedRandom &random, const TMarketUniverse &market);

    // One alert's worth of change.
    void Drift();

    // Stock indexes from the strongest down; while the separator is shown, a Separator
    // sits between the positive and the negative scores.
    QVector<int> Rows() const;

    // The score of a listed stock, -99.9 to 99.9.
    double Strength(int stock) const;

private:
    struct TMember
    {
        int Stock;
        double Score;
    };

    bool Lists(int stock) const;
    int NewcomerStock() const;

    TFeedRandom &random_;
    const TMarketUniverse &market_;
    QVector<TMember> members_;
    bool separatorShown_ = false;
};
