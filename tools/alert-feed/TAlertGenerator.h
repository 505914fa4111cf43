#pragma once

#include "TFeedKind.h"
#include "TFeedRandom.h"
#include "TMarketUniverse.h"
#include "TTopListBoard.h"

#include <QByteArray>
#include <QVector>

#include <map>

class TAlertFields;

// Makes believable alert bodies for any category from one simulated market. Bodies
// depend only on the seed and on the sequence of NextBody calls, never on wall time,
// so a seeded run can be repeated body for body.
class TAlertGenerator
{
public:
    static constexpr int StockCount = 300;

    // meanStepMs: how far the market's clock moves per alert on average; the feed passes
    // the time between alerts at its rate so stamped times keep pace with real ones.
    TAlertGenerator(quint64 seed, int startMsOfDay, int meanStepMs);

    TAlertGenerator(const TAlertGenerator &) = delete;
    TAlertGenerator &operator=(const TAlertGenerator &) = delete;

    // The next alert of the category, "category CR LF fields", in the form its kind
    // of window reads.
    QByteArray NextBody(const QByteArray &category, TFeedKind kind);

private:
    // The symbols a band-set window is showing, as the server believes.
    struct TBandSet
    {
        QVector<int> Members;
    };

    void AddTime(TAlertFields &fields, QByteArrayView time);
    void AddQuickStrike(TAlertFields &fields, int stock);
    void AddBandChange(TAlertFields &fields, TBandSet &set, int stock);
    void AddPointsList(TAlertFields &fields);
    void AddSimpleRow(TAlertFields &fields, int stock);
    void AddJFRow(TAlertFields &fields, int stock);
    void AddFullTopList(TAlertFields &fields, TTopListBoard &board);
    // Where the price stands against its bands: 0 on the average, +1 and -1 on the
    // upper and lower band.
    double BandPosition(const TStock &stock) const;

    TFeedRandom random_;
    TMarketUniverse market_;
    int meanStepMs_;
    std::map<QByteArray, TBandSet> bandSets_;
    std::map<QByteArray, TTopListBoard> boards_;
    // Reused from alert to alert: the body being built, and the points list's ranking.
    QByteArray body_;
    QVector<int> ranked_;
};
