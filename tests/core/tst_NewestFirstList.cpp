#include "client/core/TNewestFirstList.h"
#include "support/ShownEntries.h"

#include <QtTest>

namespace {

using TList = TNewestFirstList<int>;

// The numbers last down to first, newest first.
QVector<int> Countdown(int last, int first)
{
    QVector<int> numbers;
    for (int n = last; n >= first; --n)
        numbers << n;
    return numbers;
}

} // namespace

class TestNewestFirstList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Numbers 1, 2, ... are added; a limit drops the oldest. A snapshot taken along
    // the way keeps showing what the list held then, however much is added and dropped
    // after it, also once the list has let go of the entries it dropped.
    void snapshotsKeepWhatTheySaw_data()
    {
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("added");
        QTest::addColumn<int>("snapshotAt");

        QTest::newRow("no limit") << 0 << 5 << 3;
        QTest::newRow("short limit") << 3 << 10 << 5;
        QTest::newRow("snapshot of the empty list") << 100 << 150 << 0;
        QTest::newRow("many drops past the snapshot") << 10 << 1000 << 500;
        QTest::newRow("long list, long run") << 1000 << 5000 << 1200;
        QTest::newRow("snapshot at the end") << 4 << 9 << 9;
    }
    void snapshotsKeepWhatTheySaw()
    {
        QFETCH(int, limit);
        QFETCH(int, added);
        QFETCH(int, snapshotAt);

        TList list;
        TList snapshot;
        for (int n = 1; n <= added; ++n) {
            if (limit > 0 && list.size() == limit)
                list.removeLast();
            list.prepend(n);
            if (n == snapshotAt)
                snapshot = list;
        }
        const auto oldestKept = [limit](int newest) { return limit > 0 ? std::max(1, newest - limit + 1) : 1; };
        const int snapshotFirst = oldestKept(snapshotAt);
        QCOMPARE(Shown(list), Countdown(added, oldestKept(added)));
        QCOMPARE(Shown(snapshot), Countdown(snapshotAt, snapshotFirst));
        QCOMPARE(snapshot.size(), qsizetype(snapshotAt - snapshotFirst + 1));
    }

    // Taking an entry out of the middle leaves a snapshot as it was, and the list counts
    // what was added, not what is left.
    void removingFromTheMiddleLeavesSnapshotsAlone()
    {
        TList list{5, 4, 3, 2, 1};
        list.removeLast();
        const TList snapshot = list;
        list.removeAt(1);
        QCOMPARE(Shown(list), QVector<int>({5, 3, 2}));
        QCOMPARE(Shown(snapshot), QVector<int>({5, 4, 3, 2}));
        list.prepend(6);
        QCOMPARE(Shown(list), QVector<int>({6, 5, 3, 2}));
        QCOMPARE(list.AddedCount() - snapshot.AddedCount(), 1);
    }

    // Two copies that both add go their own ways; neither sees the other's entries.
    void copiesThatBothAddStayApart()
    {
        TList list{2, 1};
        TList copy = list;
        copy.prepend(30);
        list.prepend(3);
        copy.prepend(40);
        list.removeLast();
        QCOMPARE(Shown(list), QVector<int>({3, 2}));
        QCOMPARE(Shown(copy), QVector<int>({40, 30, 2, 1}));

        list.clear();
        QVERIFY(list.isEmpty() && Shown(list).isEmpty());
        QCOMPARE(QVector<int>(copy), QVector<int>({40, 30, 2, 1}));
        list.prepend(7);
        QCOMPARE(Shown(list), QVector<int>({7}));
        QCOMPARE(Shown(TList(QVector<int>{9, 8})), QVector<int>({9, 8}));
    }
};

QTEST_GUILESS_MAIN(TestNewestFirstList)
#include "tst_NewestFirstList.moc"
