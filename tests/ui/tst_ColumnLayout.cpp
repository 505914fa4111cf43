#include "client/ui/grid/TColumnLayout.h"

#include <QtTest>

namespace {

using TColumns = QVector<int>;

// Plays steps separated by blanks on a layout: "h3" hides kind column 3, "s3" shows
// it, "m0>2" moves shown position 0 to 2, "r" resets. Returns what each step said.
QString Play(TColumnLayout &layout, const QString &steps)
{
    QStringList results;
    for (const QString &step : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList numbers = step.mid(1).split(QLatin1Char('>'));
        bool changed = true;
        switch (step.at(0).toLatin1()) {
        case 'h':
            changed = layout.SetShown(numbers[0].toInt(), false);
            break;
        case 's':
            changed = layout.SetShown(numbers[0].toInt(), true);
            break;
        case 'm':
            changed = layout.Move(numbers[0].toInt(), numbers[1].toInt());
            break;
        default:
            layout.Reset();
        }
        results << (changed ? QStringLiteral("y") : QStringLiteral("n"));
    }
    return results.join(QLatin1Char(' '));
}

} // namespace

class tst_ColumnLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void choicesChangeTheShownColumns_data()
    {
        QTest::addColumn<TColumns>("defaults");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("changed");
        QTest::addColumn<TColumns>("shown");
        const TColumns three{0, 1, 2};
        QTest::newRow("untouched") << three << QString() << QString() << three;
        QTest::newRow("hide the middle") << three << "h1" << "y" << TColumns{0, 2};
        QTest::newRow("shown again at the right end") << three << "h0 s0" << "y y" << TColumns{1, 2, 0};
        QTest::newRow("a column hidden by default") << TColumns{0, 2} << "s1" << "y" << TColumns{0, 2, 1};
        QTest::newRow("hide or show twice") << three << "h1 h1 s1 s1" << "y n y n" << TColumns{0, 2, 1};
        QTest::newRow("the last column stays") << three << "h0 h1 h2" << "y y n" << TColumns{2};
        QTest::newRow("columns the kind lacks") << three << "s7 h-1 h3" << "n n n" << three;
        QTest::newRow("move right") << three << "m0>2" << "y" << TColumns{1, 2, 0};
        QTest::newRow("move left") << three << "m2>0" << "y" << TColumns{2, 0, 1};
        QTest::newRow("moves out of range") << three << "m0>3 m-1>0 m1>1" << "n n n" << three;
        QTest::newRow("move after hiding") << three << "h0 m1>0" << "y y" << TColumns{2, 1};
        QTest::newRow("reset") << three << "h1 m0>1 r" << "y y y" << three;
        // A top list's "columns" setting may name a column twice or one it lacks.
        QTest::newRow("a doubled default column hides whole") << TColumns{0, 3, 0, 9} << "h0" << "y"
                                                               << TColumns{3, 9};
        QTest::newRow("a doubled last column stays") << TColumns{3, 3} << "h3" << "n" << TColumns{3, 3};
    }
    void choicesChangeTheShownColumns()
    {
        QFETCH(TColumns, defaults);
        QFETCH(QString, steps);
        QFETCH(QString, changed);
        QFETCH(TColumns, shown);
        TColumnLayout layout(5, defaults);
        QCOMPARE(Play(layout, steps), changed);
        QCOMPARE(layout.Shown(), shown);
        QCOMPARE(layout.IsDefault(), shown == defaults);
        for (int position = 0; position < shown.size(); ++position)
            QCOMPARE(layout.KindColumn(position), shown[position]);
        QCOMPARE(layout.KindColumn(shown.size()), -1);
        for (int kindColumn = 0; kindColumn < 5; ++kindColumn)
            QCOMPARE(layout.PositionOf(kindColumn), int(shown.indexOf(kindColumn)));

        // What the store keeps reads back as the same choice, less what the kind
        // lacks once the choice is no longer the default.
        TColumns known;
        for (int kindColumn : shown)
            if (kindColumn < 5 && !known.contains(kindColumn))
                known << kindColumn;
        TColumnLayout restored(5, defaults);
        restored.FromSetting(layout.ToSetting());
        QCOMPARE(restored.Shown(), layout.IsDefault() ? shown : known);
    }

    void storedChoicesAreRepaired_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<TColumns>("shown");
        const TColumns defaults{0, 1, 2};
        QTest::newRow("nothing stored") << QString() << defaults;
        QTest::newRow("a good choice") << "4,0,2" << TColumns{4, 0, 2};
        QTest::newRow("blanks around items") << " 3 , 1" << TColumns{3, 1};
        QTest::newRow("duplicates") << "2,2,1,2" << TColumns{2, 1};
        QTest::newRow("unknown columns") << "5,-1,1,99999999999,x,,1.5" << TColumns{1};
        QTest::newRow("nothing usable") << "x,5,-2" << defaults;
        QTest::newRow("other separators") << "1;2" << defaults;
    }
    void storedChoicesAreRepaired()
    {
        QFETCH(QString, stored);
        QFETCH(TColumns, shown);
        TColumnLayout layout(5, {0, 1, 2});
        layout.SetShown(3, true);
        layout.FromSetting(stored);
        QCOMPARE(layout.Shown(), shown);
    }

    void aLayoutOfNoColumnsOffersNothing()
    {
        TColumnLayout none;
        QCOMPARE(none.KindColumnCount(), 0);
        QVERIFY(!none.SetShown(0, true));
        none.FromSetting(QStringLiteral("0,1"));
        QCOMPARE(none.ShownCount(), 0);
    }
};

QTEST_APPLESS_MAIN(tst_ColumnLayout)
#include "tst_ColumnLayout.moc"
