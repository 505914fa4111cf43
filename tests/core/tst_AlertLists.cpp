#include "client/core/TSortedSymbolList.h"
#include "client/core/TWindowList.h"
#include "client/core/kinds/NewestFirstKinds.h"
#include "client/core/kinds/TBandSetKind.h"
#include "client/core/kinds/TopListKinds.h"

#include <QLocale>
#include <QtTest>

#include <cmath>

namespace {

QByteArray Alert(const QByteArray &fields)
{
    return QByteArrayLiteral("QS\r\n") + fields;
}

// The symbols of a window's list, as the bytes they hold. Reading them as the class
// of the kind the window was meant to have also checks that the setting chose it.
template <typename Entries>
QByteArrayList SymbolBytes(const Entries &entries)
{
    QByteArrayList symbols;
    for (const auto &entry : entries)
        symbols << entry.Symbol;
    return symbols;
}

using TSymbolReader = QByteArrayList (*)(const TWindowList &);

template <typename Kind>
QByteArrayList SymbolsIn(const TWindowList &window)
{
    return SymbolBytes(dynamic_cast<const Kind &>(window.Kind()).Entries());
}

template <typename Kind>
const Kind &KindOf(const std::unique_ptr<TWindowList> &window)
{
    return dynamic_cast<const Kind &>(window->Kind());
}

QStringList Texts(const QByteArrayList &symbols)
{
    QStringList texts;
    for (const QByteArray &symbol : symbols)
        texts << symbol;
    return texts;
}

// The steady time at that time of the test's day, which starts at 10:00.
TSteadyMs At(int hour, int minute, int second)
{
    const TSteadyMs start = 3600000;
    return start + QTime(10, 0).msecsTo(QTime(hour, minute, second));
}

} // namespace

Q_DECLARE_METATYPE(TSymbolReader)

class TestAlertLists : public QObject
{
    Q_OBJECT

    TSortedSymbolList exclude;
    TSteadyMs clock = 0;

    std::unique_ptr<TWindowList> Window(const QString &display)
    {
        auto lists = std::make_unique<TWindowList>(exclude);
        lists->SetSubscription("QS");
        lists->SetDisplay(display);
        return lists;
    }

    // Adds a band-set row and returns the symbols in their order.
    static QStringList Band(TWindowList &lists, const char *symbol, const char *distance)
    {
        lists.HandleAlert(Alert(QByteArray("action=add&symbol=") + symbol + "&dist_from_bb=" + distance));
        return Texts(SymbolsIn<TBandSetKind>(lists));
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
        auto lists = Window(QStringLiteral("quickstrike"));
        QCOMPARE(lists->HandleAlert(body), !symbols.isEmpty());
        QCOMPARE(Texts(SymbolsIn<TQuickStrikeKind>(*lists)), symbols);
    }

    void quickStrikeAlertFillsItsEntry()
    {
        auto lists = Window(QStringLiteral("quickstrike"));
        lists->HandleAlert(Alert("symbol=ABC&last=12.5&prev_close=12&sma_divergence=0.3&time=10%3A31%3A05"));
        lists->HandleAlert(Alert("symbol=D&last=&prev_close=1"));
        lists->HandleAlert(Alert("symbol=E&last&prev_close=1"));
        QCOMPARE(Texts(SymbolsIn<TQuickStrikeKind>(*lists)), QStringList({"E", "D", "ABC"}));
        const TQuickStrikeEntry &abc = KindOf<TQuickStrikeKind>(lists).Entries()[2];
        QVERIFY(abc.Last == 12.5 && abc.PrevClose == 12 && abc.Divergence == 0.3);
        QCOMPARE(abc.Time.Bytes(), QStringLiteral("10:31:05"));
        QVERIFY(std::isnan(KindOf<TQuickStrikeKind>(lists).Entries()[0].Last) && std::isnan(KindOf<TQuickStrikeKind>(lists).Entries()[1].Last));
        QCOMPARE(KindOf<TQuickStrikeKind>(lists).Entries()[1].PrevClose, 1.0);
    }

    void newestFirstListsKeepTheirLimit_data()
    {
        QTest::addColumn<QString>("display");
        QTest::addColumn<TSymbolReader>("symbolsIn");
        QTest::addColumn<int>("limit");
        QTest::newRow("QuickStrike") << QStringLiteral("quickstrike") << &SymbolsIn<TQuickStrikeKind> << 1000;
        QTest::newRow("symbol only") << QStringLiteral("symbol") << &SymbolsIn<TSymbolOnlyKind> << 1000;
        QTest::newRow("simple list") << QStringLiteral("simplelist") << &SymbolsIn<TSimpleListKind> << 1000;
        QTest::newRow("JF grows on") << QStringLiteral("jf-simplelist") << &SymbolsIn<TJFListKind> << 1001;
    }

    void newestFirstListsKeepTheirLimit()
    {
        QFETCH(QString, display);
        QFETCH(TSymbolReader, symbolsIn);
        QFETCH(int, limit);
        auto lists = Window(display);
        for (int i = 0; i <= 1000; ++i)
            QVERIFY(lists->HandleAlert(Alert("symbol=S" + QByteArray::number(i))));
        const QStringList symbols = Texts(symbolsIn(*lists));
        QCOMPARE(symbols.size(), limit);
        QCOMPARE(symbols.first(), QStringLiteral("S1000"));
        QCOMPARE(symbols[500], QStringLiteral("S500"));
        QCOMPARE(symbols.last(), limit == 1000 ? QStringLiteral("S1") : QStringLiteral("S0"));

        // A gap's marker takes a place like an alert: under the limit the oldest makes room.
        QVERIFY(lists->Kind().AddGapMarker({1, 2}));
        const QStringList marked = Texts(symbolsIn(*lists));
        QCOMPARE(marked.size(), limit == 1000 ? 1000 : 1002);
        QVERIFY(marked.first().isEmpty() && marked[1] == QStringLiteral("S1000"));
        QCOMPARE(marked.last(), limit == 1000 ? QStringLiteral("S2") : QStringLiteral("S0"));
    }

    void listFieldsAndTheirDefaults()
    {
        auto jf = Window(QStringLiteral("jf-simplelist"));
        jf->HandleAlert(Alert("time=09%3A30&symbol=J&change=1.5&count=12&volume=0x10&bb=-2&rv=3.25"));
        jf->HandleAlert(Alert("symbol=K&rank=4.5&count=1.5&volume=x"));
        const TJFEntry &full = KindOf<TJFListKind>(jf).Entries()[1];
        QVERIFY(full.Time.Bytes() == QStringLiteral("09:30") && full.Change == 1.5 && full.BB == -2 && full.RV == 3.25);
        QVERIFY(full.Count == 12 && full.Volume == 16);
        QCOMPARE(full.Rank, 0.0); // a missing rank reads as 0, not NaN
        const TJFEntry &sparse = KindOf<TJFListKind>(jf).Entries()[0];
        QCOMPARE(sparse.Rank, 4.5);
        QVERIFY(sparse.Count == 0 && sparse.Volume == 0 && std::isnan(sparse.Change) && std::isnan(sparse.RV));

        auto simple = Window(QStringLiteral("simplelist"));
        simple->HandleAlert(Alert("symbol=S&last=3.5&change=-0.25&last0=9"));
        QVERIFY(KindOf<TSimpleListKind>(simple).Entries()[0].Last == 3.5 && KindOf<TSimpleListKind>(simple).Entries()[0].Change == -0.25);
    }

    void excludedSymbolsAreDroppedOnlyFromQuickStrike()
    {
        exclude.Add("IBM");
        auto quickStrike = Window(QStringLiteral("quickstrike"));
        auto symbolOnly = Window(QStringLiteral("symbol"));
        for (TWindowList *lists : {quickStrike.get(), symbolOnly.get()}) {
            lists->HandleAlert(Alert("symbol=AAPL"));
            lists->HandleAlert(Alert("symbol=Ibm"));
        }
        QCOMPARE(Texts(SymbolsIn<TQuickStrikeKind>(*quickStrike)), QStringList({"AAPL"}));
        QVERIFY(!quickStrike->HandleAlert(Alert("symbol=ibm")));
        QCOMPARE(Texts(SymbolsIn<TSymbolOnlyKind>(*symbolOnly)), QStringList({"Ibm", "AAPL"}));
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
        auto lists = Window(QStringLiteral("pointslist"));
        lists->HandleAlert(Alert("symbol0=X&last0=1&change0=1&symbol1=Y&last1=1&change1=1&symbol2=Z&last2=1&change2=1"));
        QVERIFY(lists->HandleAlert(Alert(fields)));
        QTEST(Texts(SymbolsIn<TPointsListKind>(*lists)), "symbols");
    }

    void fullTopListTakesEveryIndexedEntry()
    {
        auto lists = Window(QStringLiteral("smb"));
        QByteArray fields = "last3=7.5&volume3=12&count3=x&new_low3=1e1";
        for (int i = 0; i < 200; ++i) {
            const QByteArray n = QByteArray::number(i);
            fields += "&symbol" + n + "=T" + n + "&vol_rate" + n + "=" + n;
        }
        QVERIFY(lists->HandleAlert(Alert(fields)));
        const TSmbTopListEntries &entries = KindOf<TFullTopListKind>(lists).Entries();
        QCOMPARE(entries.size(), 200);
        for (int i : {0, 54, 55, 109, 110, 199}) {
            QCOMPARE(entries[i].Symbol, QStringLiteral("T") + QString::number(i));
            QCOMPARE(entries[i].VolRate, double(i));
        }
        QVERIFY(entries[3].Last == 7.5 && entries[3].Volume == 12 && entries[3].Count == 0 && entries[3].NewLow == 10);
        QVERIFY(std::isnan(entries[4].Last) && std::isnan(entries[4].Strength));

        lists->HandleAlert(Alert("symbol0=X&symbol2=Z"));
        QCOMPARE(SymbolBytes(KindOf<TFullTopListKind>(lists).Entries()), QByteArrayList({"X"}));

        // Keys are matched as decoded and exactly: "symbol02" names no row.
        lists->HandleAlert(Alert("symbol0=X&symbol1=W&symbol%32=Z&symbol02=Y&last%31=2"));
        QCOMPARE(SymbolBytes(KindOf<TFullTopListKind>(lists).Entries()), QByteArrayList({"X", "W", "Z"}));
        QCOMPARE(KindOf<TFullTopListKind>(lists).Entries()[1].Last, 2.0);
    }

    void bandSetKeepsOneRowPerSymbolByDistance()
    {
        auto lists = Window(QStringLiteral("set"));
        Band(*lists, "A", "5");
        Band(*lists, "B", "-3");
        QCOMPARE(Band(*lists, "C", "1"), QStringList({"A", "B", "C"}));
        QCOMPARE(Band(*lists, "C", "-4"), QStringList({"A", "C", "B"})); // moved up, one row
        QCOMPARE(KindOf<TBandSetKind>(lists).Entries()[1].DistFromBB, -4.0);
        QCOMPARE(Band(*lists, "A", "2"), QStringList({"C", "B", "A"})); // moved down
        QCOMPARE(Band(*lists, "B", "3.5"), QStringList({"C", "B", "A"})); // same place, new values
        QCOMPARE(KindOf<TBandSetKind>(lists).Entries()[1].DistFromBB, 3.5);
        QCOMPARE(Band(*lists, "AB", "-2"), QStringList({"C", "B", "A", "AB"})); // ties by symbol
        QCOMPARE(Band(*lists, "AA", "2"), QStringList({"C", "B", "A", "AA", "AB"}));
        QCOMPARE(Band(*lists, "A0", "2"), QStringList({"C", "B", "A", "A0", "AA", "AB"}));
        QCOMPARE(Band(*lists, "D", "x"), QStringList({"D", "C", "B", "A", "A0", "AA", "AB"})); // NaN: top
        QCOMPARE(Band(*lists, "E", "9")[0], QStringLiteral("E"));
        QCOMPARE(Band(*lists, "F", "1")[1], QStringLiteral("F")); // the NaN row stops the walk
        QCOMPARE(KindOf<TBandSetKind>(lists).Entries().size(), 9);
    }

    void bandSetDeleteAndOtherActions()
    {
        auto lists = Window(QStringLiteral("set"));
        Band(*lists, "A", "5");
        Band(*lists, "B", "3");
        QVERIFY(!lists->HandleAlert(Alert("action=delete&symbol=Q"))); // unknown: no repaint
        QVERIFY(!lists->HandleAlert(Alert("action=delete&symbol=a"))); // exact spelling only
        QVERIFY(lists->HandleAlert(Alert("action=update&symbol=A&dist_from_bb=1"))); // repaint, no change
        QVERIFY(lists->HandleAlert(Alert("symbol=C&dist_from_bb=9")));
        QCOMPARE(Texts(SymbolsIn<TBandSetKind>(*lists)), QStringList({"A", "B"}));
        QCOMPARE(KindOf<TBandSetKind>(lists).Entries()[0].DistFromBB, 5.0);
        QVERIFY(lists->HandleAlert(Alert("action=delete&symbol=A")));
        QCOMPARE(Texts(SymbolsIn<TBandSetKind>(*lists)), QStringList({"B"}));

        // Rows whose symbols differ only in case can each be deleted.
        Band(*lists, "abc", "3");
        Band(*lists, "ABC", "5");
        QVERIFY(lists->HandleAlert(Alert("action=delete&symbol=abc")));
        QVERIFY(lists->HandleAlert(Alert("action=delete&symbol=ABC")));
        QCOMPARE(Texts(SymbolsIn<TBandSetKind>(*lists)), QStringList({"B"}));
    }

    // Bytes that are not UTF-8 are kept as they came in every kind of window, and
    // symbols that differ only in such bytes stay apart.
    void symbolsKeepTheirBytes_data()
    {
        QTest::addColumn<QString>("display");
        QTest::addColumn<TSymbolReader>("symbolsIn");
        QTest::addColumn<QByteArrayList>("bodies");
        QTest::addColumn<QByteArrayList>("symbols");
        const QByteArray e9 = "%E9T%E9";
        const QByteArray e8 = "%E8T%E8";
        const QByteArrayList twoAlerts = {"symbol=" + e9 + "&last=1&change=1", "symbol=" + e8 + "&last=1&change=1"};
        const QByteArrayList newestFirst = {"\xE8T\xE8", "\xE9T\xE9"};
        QTest::newRow("QuickStrike") << QStringLiteral("quickstrike") << &SymbolsIn<TQuickStrikeKind> << twoAlerts << newestFirst;
        QTest::newRow("symbol only") << QStringLiteral("symbol") << &SymbolsIn<TSymbolOnlyKind> << twoAlerts << newestFirst;
        QTest::newRow("simple list") << QStringLiteral("simplelist") << &SymbolsIn<TSimpleListKind> << twoAlerts << newestFirst;
        QTest::newRow("JF") << QStringLiteral("jf-simplelist") << &SymbolsIn<TJFListKind> << twoAlerts << newestFirst;
        QTest::newRow("band set: two rows")
            << QStringLiteral("set") << &SymbolsIn<TBandSetKind>
            << QByteArrayList({"action=add&dist_from_bb=2&symbol=" + e9, "action=add&dist_from_bb=1&symbol=" + e8})
            << QByteArrayList({"\xE9T\xE9", "\xE8T\xE8"});
        const QByteArrayList oneList = {"symbol0=" + e9 + "&last0=1&change0=1&symbol1=" + e8 + "&last1=1&change1=1"};
        QTest::newRow("points list") << QStringLiteral("pointslist") << &SymbolsIn<TPointsListKind> << oneList << QByteArrayList({"\xE9T\xE9", "\xE8T\xE8"});
        QTest::newRow("full top list") << QStringLiteral("smb") << &SymbolsIn<TFullTopListKind> << oneList << QByteArrayList({"\xE9T\xE9", "\xE8T\xE8"});
    }

    void symbolsKeepTheirBytes()
    {
        QFETCH(QString, display);
        QFETCH(TSymbolReader, symbolsIn);
        QFETCH(QByteArrayList, bodies);
        auto lists = Window(display);
        for (const QByteArray &body : bodies)
            QVERIFY(lists->HandleAlert(Alert(body)));
        QTEST(symbolsIn(*lists), "symbols");
        if (display == QLatin1String("set")) {
            QVERIFY(lists->HandleAlert(Alert("action=delete&symbol=%E8T%E8")));
            QCOMPARE(symbolsIn(*lists), QByteArrayList({"\xE9T\xE9"}));
        }
    }

    void timesKeepTheirBytes()
    {
        auto quickStrike = Window(QStringLiteral("quickstrike"));
        quickStrike->HandleAlert(Alert("symbol=A&time=10%3A31%A0"));
        QCOMPARE(KindOf<TQuickStrikeKind>(quickStrike).Entries()[0].Time.Bytes(), QByteArray("10:31\xA0"));
        auto jf = Window(QStringLiteral("jf-simplelist"));
        jf->HandleAlert(Alert("symbol=A&time=%FF09%3A30"));
        QCOMPARE(KindOf<TJFListKind>(jf).Entries()[0].Time.Bytes(), QByteArray("\xFF" "09:30"));
    }

    void bandSetRowsExpireTwoMinutesAfterTheirLastAdd()
    {
        auto lists = Window(QStringLiteral("set"));
        Band(*lists, "OLD", "5");
        Band(*lists, "RENEWED", "4");
        clock = At(10, 1, 30);
        Band(*lists, "RENEWED", "3");
        QVERIFY(!lists->Kind().Expire(At(10, 1, 59)));
        QVERIFY(lists->Kind().Expire(At(10, 2, 0)));
        QCOMPARE(Texts(SymbolsIn<TBandSetKind>(*lists)), QStringList({"RENEWED"}));
        QVERIFY(!lists->HandleAlert(Alert("action=delete&symbol=OLD")));
        QVERIFY(!lists->Kind().Expire(At(10, 3, 29)));
        QVERIFY(lists->Kind().Expire(At(10, 3, 30)));
        QVERIFY(KindOf<TBandSetKind>(lists).Entries().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAlertLists)
#include "tst_AlertLists.moc"
