#include "client/core/TAlertLists.h"

#include <QLocale>
#include <QtTest>

#include <cmath>

namespace {

QByteArray Alert(const QByteArray &fields)
{
    return QByteArrayLiteral("QS\r\n") + fields;
}

template <typename Entries>
QStringList SymbolsOf(const Entries &entries)
{
    QStringList symbols;
    for (const auto &entry : entries)
        symbols << entry.Symbol;
    return symbols;
}

QStringList NewestFirstSymbols(const TAlertLists &lists)
{
    switch (lists.DisplayKind()) {
    case dkQuickStrike:
        return SymbolsOf(lists.QuickStrikeEntries());
    case dkSymbolOnly:
        return SymbolsOf(lists.SymbolOnlyEntries());
    case dkSimpleList:
        return SymbolsOf(lists.PointsEntries());
    default:
        return SymbolsOf(lists.JFEntries());
    }
}

// The symbols of the list of the window's kind, as the bytes they hold.
template <typename Entries>
QByteArrayList SymbolBytes(const Entries &entries)
{
    QByteArrayList symbols;
    for (const auto &entry : entries)
        symbols << entry.Symbol;
    return symbols;
}

QByteArrayList ListedSymbolBytes(const TAlertLists &lists)
{
    switch (lists.DisplayKind()) {
    case dkQuickStrike:
        return SymbolBytes(lists.QuickStrikeEntries());
    case dkSymbolOnly:
        return SymbolBytes(lists.SymbolOnlyEntries());
    case dkBollinger:
        return SymbolBytes(lists.BollingerEntries());
    case dkPointsList:
    case dkSimpleList:
        return SymbolBytes(lists.PointsEntries());
    case dkJFSimpleList:
        return SymbolBytes(lists.JFEntries());
    case dkSmbTopList:
        return SymbolBytes(lists.SmbEntries());
    }
    return {};
}

// The steady time at that time of the test's day, which starts at 10:00.
TSteadyMs At(int hour, int minute, int second)
{
    const TSteadyMs start = 3600000;
    return start + QTime(10, 0).msecsTo(QTime(hour, minute, second));
}

} // namespace

class TestAlertLists : public QObject
{
    Q_OBJECT

    TSortedSymbolList exclude;
    TSteadyMs clock = 0;

    std::unique_ptr<TAlertLists> Window(TDisplayKind kind)
    {
        auto lists = std::make_unique<TAlertLists>(exclude);
        lists->SetSubscription("QS");
        lists->SetDisplayKind(kind);
        return lists;
    }

    // Adds a band-set row and returns the symbols in their order.
    static QStringList Band(TAlertLists &lists, const char *symbol, const char *distance)
    {
        lists.HandleAlert(Alert(QByteArray("action=add&symbol=") + symbol + "&dist_from_bb=" + distance));
        return SymbolsOf(lists.BollingerEntries());
    }

private Q_SLOTS:
    void init()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        exclude.Clear();
        clock = At(10, 0, 0);
        SetSteadyNowFunction([this] { return clock; });
    }

    void cleanup()
    {
        SetSteadyNowFunction({});
        QLocale::setDefault(QLocale::c());
    }

    void onlyTheExactCategoryIsTaken_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QStringList>("symbols");
        QTest::newRow("category and fields") << QByteArray("QS\r\nsymbol=A") << QStringList({"A"});
        QTest::newRow("trailing blank") << QByteArray("QS \r\nsymbol=A") << QStringList();
        QTest::newRow("other case") << QByteArray("qs\r\nsymbol=A") << QStringList();
        QTest::newRow("third line ignored") << QByteArray("QS\r\nsymbol=A\r\nsymbol=B") << QStringList({"A"});
        QTest::newRow("no CR LF: empty row") << QByteArray("QS") << QStringList({""});
        QTest::newRow("lone LF stays in line 1") << QByteArray("QS\nsymbol=A") << QStringList();
    }

    void onlyTheExactCategoryIsTaken()
    {
        QFETCH(QByteArray, body);
        QFETCH(QStringList, symbols);
        auto lists = Window(dkQuickStrike);
        QCOMPARE(lists->HandleAlert(body), !symbols.isEmpty());
        QCOMPARE(NewestFirstSymbols(*lists), symbols);
    }

    void quickStrikeAlertFillsItsEntry()
    {
        auto lists = Window(dkQuickStrike);
        lists->HandleAlert(Alert("symbol=ABC&last=12.5&prev_close=12&sma_divergence=0.3&time=10%3A31%3A05"));
        lists->HandleAlert(Alert("symbol=D&last=&prev_close=1"));
        lists->HandleAlert(Alert("symbol=E&last&prev_close=1"));
        QCOMPARE(NewestFirstSymbols(*lists), QStringList({"E", "D", "ABC"}));
        const TQuickStrikeEntry &abc = lists->QuickStrikeEntries()[2];
        QVERIFY(abc.Last == 12.5 && abc.PrevClose == 12 && abc.Divergence == 0.3);
        QCOMPARE(abc.Time, QStringLiteral("10:31:05"));
        QVERIFY(std::isnan(lists->QuickStrikeEntries()[0].Last) && std::isnan(lists->QuickStrikeEntries()[1].Last));
        QCOMPARE(lists->QuickStrikeEntries()[1].PrevClose, 1.0);
    }

    void newestFirstListsKeepTheirLimit_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("limit");
        QTest::newRow("QuickStrike") << int(dkQuickStrike) << 1000;
        QTest::newRow("symbol only") << int(dkSymbolOnly) << 1000;
        QTest::newRow("simple list") << int(dkSimpleList) << 1000;
        QTest::newRow("JF grows on") << int(dkJFSimpleList) << 1001;
    }

    void newestFirstListsKeepTheirLimit()
    {
        QFETCH(int, kind);
        QFETCH(int, limit);
        auto lists = Window(TDisplayKind(kind));
        for (int i = 0; i <= 1000; ++i)
            QVERIFY(lists->HandleAlert(Alert("symbol=S" + QByteArray::number(i))));
        const QStringList symbols = NewestFirstSymbols(*lists);
        QCOMPARE(symbols.size(), limit);
        QCOMPARE(symbols.first(), QStringLiteral("S1000"));
        QCOMPARE(symbols[500], QStringLiteral("S500"));
        QCOMPARE(symbols.last(), limit == 1000 ? QStringLiteral("S1") : QStringLiteral("S0"));

        // A gap's marker takes a place like an alert: under the limit the oldest makes room.
        QVERIFY(lists->AddGapMarker({1, 2}));
        const QStringList marked = NewestFirstSymbols(*lists);
        QCOMPARE(marked.size(), limit == 1000 ? 1000 : 1002);
        QVERIFY(marked.first().isEmpty() && marked[1] == QStringLiteral("S1000"));
        QCOMPARE(marked.last(), limit == 1000 ? QStringLiteral("S2") : QStringLiteral("S0"));
    }

    void listFieldsAndTheirDefaults()
    {
        auto jf = Window(dkJFSimpleList);
        jf->HandleAlert(Alert("time=09%3A30&symbol=J&change=1.5&count=12&volume=0x10&bb=-2&rv=3.25"));
        jf->HandleAlert(Alert("symbol=K&rank=4.5&count=1.5&volume=x"));
        const TJFEntry &full = jf->JFEntries()[1];
        QVERIFY(full.Time == QStringLiteral("09:30") && full.Change == 1.5 && full.BB == -2 && full.RV == 3.25);
        QVERIFY(full.Count == 12 && full.Volume == 16);
        QCOMPARE(full.Rank, 0.0); // a missing rank reads as 0, not NaN
        const TJFEntry &sparse = jf->JFEntries()[0];
        QCOMPARE(sparse.Rank, 4.5);
        QVERIFY(sparse.Count == 0 && sparse.Volume == 0 && std::isnan(sparse.Change) && std::isnan(sparse.RV));

        auto simple = Window(dkSimpleList);
        simple->HandleAlert(Alert("symbol=S&last=3.5&change=-0.25&last0=9"));
        QVERIFY(simple->PointsEntries()[0].Last == 3.5 && simple->PointsEntries()[0].Change == -0.25);
    }

    void excludedSymbolsAreDroppedOnlyFromQuickStrike()
    {
        exclude.Add("IBM");
        auto quickStrike = Window(dkQuickStrike);
        auto symbolOnly = Window(dkSymbolOnly);
        for (TAlertLists *lists : {quickStrike.get(), symbolOnly.get()}) {
            lists->HandleAlert(Alert("symbol=AAPL"));
            lists->HandleAlert(Alert("symbol=Ibm"));
        }
        QCOMPARE(NewestFirstSymbols(*quickStrike), QStringList({"AAPL"}));
        QVERIFY(!quickStrike->HandleAlert(Alert("symbol=ibm")));
        QCOMPARE(NewestFirstSymbols(*symbolOnly), QStringList({"Ibm", "AAPL"}));
    }

    void pointsListStopsAtTheFirstIncompleteEntry_data()
    {
        QTest::addColumn<QByteArray>("fields");
        QTest::addColumn<QStringList>("symbols");
        const QByteArray a = "symbol0=A&last0=1&change0=0.5&";
        QTest::newRow("complete") << a + "symbol1=B&last1=2&change1=-1" << QStringList({"A", "B"});
        QTest::newRow("missing last1") << a + "symbol1=B&change1=-1&symbol2=C&last2=3&change2=0" << QStringList({"A"});
        QTest::newRow("nothing at 0") << QByteArray("symbol1=B&last1=2&change1=-1") << QStringList();
    }

    void pointsListStopsAtTheFirstIncompleteEntry()
    {
        QFETCH(QByteArray, fields);
        auto lists = Window(dkPointsList);
        lists->HandleAlert(Alert("symbol0=X&last0=1&change0=1&symbol1=Y&last1=1&change1=1&symbol2=Z&last2=1&change2=1"));
        QVERIFY(lists->HandleAlert(Alert(fields)));
        QTEST(SymbolsOf(lists->PointsEntries()), "symbols");
    }

    void fullTopListTakesEveryIndexedEntry()
    {
        auto lists = Window(dkSmbTopList);
        QByteArray fields = "last3=7.5&volume3=12&count3=x&new_low3=1e1";
        for (int i = 0; i < 200; ++i) {
            const QByteArray n = QByteArray::number(i);
            fields += "&symbol" + n + "=T" + n + "&vol_rate" + n + "=" + n;
        }
        QVERIFY(lists->HandleAlert(Alert(fields)));
        const TSmbTopListEntries &entries = lists->SmbEntries();
        QCOMPARE(entries.size(), 200);
        for (int i : {0, 54, 55, 109, 110, 199}) {
            QCOMPARE(entries[i].Symbol, QStringLiteral("T") + QString::number(i));
            QCOMPARE(entries[i].VolRate, double(i));
        }
        QVERIFY(entries[3].Last == 7.5 && entries[3].Volume == 12 && entries[3].Count == 0 && entries[3].NewLow == 10);
        QVERIFY(std::isnan(entries[4].Last) && std::isnan(entries[4].Strength));

        lists->HandleAlert(Alert("symbol0=X&symbol2=Z"));
        QCOMPARE(SymbolsOf(lists->SmbEntries()), QStringList({"X"}));
    }

    void bandSetKeepsOneRowPerSymbolByDistance()
    {
        auto lists = Window(dkBollinger);
        Band(*lists, "A", "5");
        Band(*lists, "B", "-3");
        QCOMPARE(Band(*lists, "C", "1"), QStringList({"A", "B", "C"}));
        QCOMPARE(Band(*lists, "C", "-4"), QStringList({"A", "C", "B"})); // moved up, one row
        QCOMPARE(lists->BollingerEntries()[1].DistFromBB, -4.0);
        QCOMPARE(Band(*lists, "A", "2"), QStringList({"C", "B", "A"})); // moved down
        QCOMPARE(Band(*lists, "B", "3.5"), QStringList({"C", "B", "A"})); // same place, new values
        QCOMPARE(lists->BollingerEntries()[1].DistFromBB, 3.5);
        QCOMPARE(Band(*lists, "AB", "-2"), QStringList({"C", "B", "A", "AB"})); // ties by symbol
        QCOMPARE(Band(*lists, "AA", "2"), QStringList({"C", "B", "A", "AA", "AB"}));
        QCOMPARE(Band(*lists, "A0", "2"), QStringList({"C", "B", "A", "A0", "AA", "AB"}));
        QCOMPARE(Band(*lists, "D", "x"), QStringList({"D", "C", "B", "A", "A0", "AA", "AB"})); // NaN: top
        QCOMPARE(Band(*lists, "E", "9")[0], QStringLiteral("E"));
        QCOMPARE(Band(*lists, "F", "1")[1], QStringLiteral("F")); // the NaN row stops the walk
        QCOMPARE(lists->BollingerEntries().size(), 9);
    }

    void bandSetDeleteAndOtherActions()
    {
        auto lists = Window(dkBollinger);
        Band(*lists, "A", "5");
        Band(*lists, "B", "3");
        QVERIFY(!lists->HandleAlert(Alert("action=delete&symbol=Q"))); // unknown: no repaint
        QVERIFY(!lists->HandleAlert(Alert("action=delete&symbol=a"))); // exact spelling only
        QVERIFY(lists->HandleAlert(Alert("action=update&symbol=A&dist_from_bb=1"))); // repaint, no change
        QVERIFY(lists->HandleAlert(Alert("symbol=C&dist_from_bb=9")));
        QCOMPARE(SymbolsOf(lists->BollingerEntries()), QStringList({"A", "B"}));
        QCOMPARE(lists->BollingerEntries()[0].DistFromBB, 5.0);
        QVERIFY(lists->HandleAlert(Alert("action=delete&symbol=A")));
        QCOMPARE(SymbolsOf(lists->BollingerEntries()), QStringList({"B"}));

        // Rows whose symbols differ only in case can each be deleted.
        Band(*lists, "abc", "3");
        Band(*lists, "ABC", "5");
        QVERIFY(lists->HandleAlert(Alert("action=delete&symbol=abc")));
        QVERIFY(lists->HandleAlert(Alert("action=delete&symbol=ABC")));
        QCOMPARE(SymbolsOf(lists->BollingerEntries()), QStringList({"B"}));
    }

    // Bytes that are not UTF-8 are kept as they came in every kind of window, and
    // symbols that differ only in such bytes stay apart.
    void symbolsKeepTheirBytes_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArrayList>("bodies");
        QTest::addColumn<QByteArrayList>("symbols");
        const QByteArray e9 = "%E9T%E9";
        const QByteArray e8 = "%E8T%E8";
        const QByteArrayList twoAlerts = {"symbol=" + e9 + "&last=1&change=1", "symbol=" + e8 + "&last=1&change=1"};
        const QByteArrayList newestFirst = {"\xE8T\xE8", "\xE9T\xE9"};
        QTest::newRow("QuickStrike") << int(dkQuickStrike) << twoAlerts << newestFirst;
        QTest::newRow("symbol only") << int(dkSymbolOnly) << twoAlerts << newestFirst;
        QTest::newRow("simple list") << int(dkSimpleList) << twoAlerts << newestFirst;
        QTest::newRow("JF") << int(dkJFSimpleList) << twoAlerts << newestFirst;
        QTest::newRow("band set: two rows")
            << int(dkBollinger)
            << QByteArrayList({"action=add&dist_from_bb=2&symbol=" + e9, "action=add&dist_from_bb=1&symbol=" + e8})
            << QByteArrayList({"\xE9T\xE9", "\xE8T\xE8"});
        const QByteArrayList oneList = {"symbol0=" + e9 + "&last0=1&change0=1&symbol1=" + e8 + "&last1=1&change1=1"};
        QTest::newRow("points list") << int(dkPointsList) << oneList << QByteArrayList({"\xE9T\xE9", "\xE8T\xE8"});
        QTest::newRow("full top list") << int(dkSmbTopList) << oneList << QByteArrayList({"\xE9T\xE9", "\xE8T\xE8"});
    }

    void symbolsKeepTheirBytes()
    {
        QFETCH(int, kind);
        QFETCH(QByteArrayList, bodies);
        auto lists = Window(TDisplayKind(kind));
        for (const QByteArray &body : bodies)
            QVERIFY(lists->HandleAlert(Alert(body)));
        QTEST(ListedSymbolBytes(*lists), "symbols");
        if (kind == dkBollinger) {
            QVERIFY(lists->HandleAlert(Alert("action=delete&symbol=%E8T%E8")));
            QCOMPARE(ListedSymbolBytes(*lists), QByteArrayList({"\xE9T\xE9"}));
        }
    }

    void timesKeepTheirBytes()
    {
        auto quickStrike = Window(dkQuickStrike);
        quickStrike->HandleAlert(Alert("symbol=A&time=10%3A31%A0"));
        QCOMPARE(quickStrike->QuickStrikeEntries()[0].Time, QByteArray("10:31\xA0"));
        auto jf = Window(dkJFSimpleList);
        jf->HandleAlert(Alert("symbol=A&time=%FF09%3A30"));
        QCOMPARE(jf->JFEntries()[0].Time, QByteArray("\xFF" "09:30"));
    }

    void bandSetRowsExpireTwoMinutesAfterTheirLastAdd()
    {
        auto lists = Window(dkBollinger);
        Band(*lists, "OLD", "5");
        Band(*lists, "RENEWED", "4");
        clock = At(10, 1, 30);
        Band(*lists, "RENEWED", "3");
        QVERIFY(!lists->ExpireBollingers(At(10, 1, 59)));
        QVERIFY(lists->ExpireBollingers(At(10, 2, 0)));
        QCOMPARE(SymbolsOf(lists->BollingerEntries()), QStringList({"RENEWED"}));
        QVERIFY(!lists->HandleAlert(Alert("action=delete&symbol=OLD")));
        QVERIFY(!lists->ExpireBollingers(At(10, 3, 29)));
        QVERIFY(lists->ExpireBollingers(At(10, 3, 30)));
        QVERIFY(lists->BollingerEntries().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAlertLists)
#include "tst_AlertLists.moc"
