#include "client/core/TSnapshotList.h"
#include "support/ShownEntries.h"

#include <QtTest>

namespace {

using TList = TSnapshotList<int>;

// One edit, spelled as a letter and two numbers: a(ppend) v, r(eplace) i v, m(ove)
// from to, d(elete) i. The same edits are made on a plain array alongside.
void Edit(TList &list, QVector<int> &plain, char what, int a, int b)
{
    switch (what) {
    case 'a':
        list.append(a);
        plain.append(a);
        break;
    case 'r':
        list.replace(a, b);
        plain.replace(a, b);
        break;
    case 'm':
        list.move(a, b);
        plain.move(a, b);
        break;
    default:
        list.remove(a);
        plain.remove(a);
    }
}

} // namespace

class TestSnapshotList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A band set's life: rows added, moved, replaced and deleted, for long enough that
    // the list sheds its unused entries several times. A snapshot taken after every
    // edit must keep showing that moment, whatever comes after it; so must the copy a
    // grid holds from one edit until the next hand-off.
    void editsMatchAPlainArrayAndSnapshotsStay_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("edits");
        QTest::newRow("a few rows") << 3 << 40;
        QTest::newRow("a band set") << 200 << 3000;
    }
    void editsMatchAPlainArrayAndSnapshotsStay()
    {
        QFETCH(int, rows);
        QFETCH(int, edits);
        TList list;
        QVector<int> plain;
        for (int i = 0; i < rows; ++i)
            Edit(list, plain, 'a', i, 0);

        QVector<TList> snapshots;
        QVector<QVector<int>> expected;
        TList handedOff;
        QVector<int> handedOffExpected;
        for (int n = 0; n < edits; ++n) {
            handedOff = list;
            handedOffExpected = plain;
            const int size = int(plain.size());
            const int at = (n * 7) % size;
            const int to = (n * 13) % size;
            switch (n % 5) {
            case 0:
                Edit(list, plain, 'm', at, to);
                break;
            case 1:
                Edit(list, plain, 'd', at, 0);
                Edit(list, plain, 'a', 1000 + n, 0);
                break;
            default:
                Edit(list, plain, 'r', at, 1000 + n);
            }
            QCOMPARE(Shown(handedOff), handedOffExpected);
            if (n % 97 == 0) {
                snapshots << list;
                expected << plain;
            }
        }
        QCOMPARE(Shown(list), plain);
        for (int i = 0; i < snapshots.size(); ++i)
            QCOMPARE(Shown(snapshots[i]), expected[i]);
    }

    void copiesEditApart()
    {
        TList list{1, 2, 3};
        TList copy = list;
        copy.replace(0, 10);
        list.append(4);
        copy.move(0, 2);
        QCOMPARE(Shown(list), QVector<int>({1, 2, 3, 4}));
        QCOMPARE(Shown(copy), QVector<int>({2, 3, 10}));
        list.clear();
        QVERIFY(list.isEmpty() && Shown(list).isEmpty());
        QCOMPARE(QVector<int>(copy), QVector<int>({2, 3, 10}));
    }
};

QTEST_GUILESS_MAIN(TestSnapshotList)
#include "tst_SnapshotList.moc"
