#include "shared/TListeners.h"

#include <QtTest>

#include <memory>
#include <stdexcept>

// Three listeners a, b and c, subscribed in that order; during the first telling one of
// them does something to the list. Two tellings, and what each listener heard.
class TestListeners : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listenersHearInOrderWhateverHappensDuringATelling_data()
    {
        QTest::addColumn<QString>("during");
        QTest::addColumn<QString>("heard");

        QTest::newRow("nothing") << QString() << QStringLiteral("a1 b1 c1 a2 b2 c2");
        QTest::newRow("b drops itself") << QStringLiteral("b drops b") << QStringLiteral("a1 b1 c1 a2 c2");
        QTest::newRow("a drops c not yet called") << QStringLiteral("a drops c") << QStringLiteral("a1 b1 a2 b2");
        QTest::newRow("c drops a already called") << QStringLiteral("c drops a") << QStringLiteral("a1 b1 c1 b2 c2");
        QTest::newRow("b subscribes d: heard next time")
            << QStringLiteral("b subscribes d") << QStringLiteral("a1 b1 c1 a2 b2 c2 d2");
        QTest::newRow("b throws") << QStringLiteral("b throws") << QStringLiteral("a1 b1 c1 a2 b2 c2");
        QTest::newRow("b drops the list") << QStringLiteral("b drops list") << QStringLiteral("a1 b1 c1");
    }

    void listenersHearInOrderWhateverHappensDuringATelling()
    {
        QFETCH(QString, during);
        QFETCH(QString, heard);

        auto list = std::make_unique<TListeners<int>>();
        QStringList said;
        std::map<QString, TSubscription> handles;
        const auto listener = [&](const QString &name) {
            return [&, name](int telling) {
                said << name + QString::number(telling);
                if (telling != 1 || !during.startsWith(name))
                    return;
                const QString what = during.section(QLatin1Char(' '), 1, 1);
                const QString whom = during.section(QLatin1Char(' '), 2, 2);
                if (what == QLatin1String("drops") && whom == QLatin1String("list"))
                    list.reset();
                else if (what == QLatin1String("drops"))
                    handles.at(whom).Cancel();
                else if (what == QLatin1String("subscribes"))
                    handles[whom] = list->Subscribe([&said, whom](int t) { said << whom + QString::number(t); });
                else
                    throw std::runtime_error("listener failed");
            };
        };
        for (const char *name : {"a", "b", "c"})
            handles[QLatin1String(name)] = list->Subscribe(listener(QLatin1String(name)));

        list->Notify(1);
        if (list)
            list->Notify(2);
        QCOMPARE(said.join(QLatin1Char(' ')), heard);
        // The handles go after the list in the last case: dropping them is harmless.
    }

    void droppedOrMovedHandlesUnsubscribeOnce()
    {
        TListeners<> list;
        int calls = 0;
        {
            TSubscription kept = list.Subscribe([&calls] { ++calls; });
            TSubscription moved = std::move(kept);
            list.Notify();
            QCOMPARE(calls, 1);
        }
        list.Notify();
        QCOMPARE(calls, 1);

        TSubscription first = list.Subscribe([&calls] { calls += 10; });
        TSubscription second = list.Subscribe([&calls] { calls += 100; });
        first = std::move(second); // the first listener goes, the second stays
        list.Notify();
        QCOMPARE(calls, 101);
    }
};

QTEST_GUILESS_MAIN(TestListeners)
#include "tst_Listeners.moc"
