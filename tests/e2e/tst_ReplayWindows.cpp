#include "support/TFeedProcess.h"

#include "client/core/TAlertRecorder.h"
#include "client/core/TMainConnection.h"
#include "client/ui/grid/TGridFrame.h"
#include "client/ui/windows/TAlertForm.h"
#include "shared/TIniFile.h"

#include "../ui/support/TTestWindowServices.h"

#include <QtTest>

#include <memory>
#include <vector>

namespace {

constexpr int WaitMs = 30000;
constexpr int Alerts = 2000;

// One window of every kind.
const char Windows[] = "[Alert Window 0]\nsubscription=QS\ntitle=Quick\n"
                       "[Alert Window 1]\nsubscription=SY\ndisplay=symbol\n"
                       "[Alert Window 2]\nsubscription=SL\ndisplay=simplelist\n"
                       "[Alert Window 3]\nsubscription=JF\ndisplay=jf-simplelist\n"
                       "[Alert Window 4]\nsubscription=BB\ndisplay=set\n"
                       "[Alert Window 5]\nsubscription=PL\ndisplay=pointslist\n"
                       "[Alert Window 6]\nsubscription=TL\ndisplay=smb\n";
constexpr int WindowCount = 7;

// The alert windows of KVX.ini above on one set of program parts.
struct TClient
{
    TTestWindowServices World;
    std::vector<std::unique_ptr<TAlertForm>> Windows;

    TClient()
    {
        const TIniFile ini = TIniFile::FromText(::Windows);
        for (int n = 0; n < WindowCount; ++n) {
            Windows.push_back(std::make_unique<TAlertForm>(World.Services()));
            Windows.back()->LoadConfiguration(ini, "Alert Window " + QByteArray::number(n));
            World.Connection.AddCategory(Windows.back()->Subscription());
        }
    }

    // Every window's rows as its cells show them.
    QVector<QVector<QStringList>> Rows() const
    {
        QVector<QVector<QStringList>> rows;
        for (const std::unique_ptr<TAlertForm> &window : Windows) {
            QVector<QStringList> texts;
            for (const TExportRow &row : window->Grid()->ExportTable().Rows) {
                QStringList cells;
                for (const TExportCell &cell : row)
                    cells << cell.Text;
                texts << cells;
            }
            rows << texts;
        }
        return rows;
    }
};

} // namespace

// A day recorded from the real feed through the program's windows, replayed as fast as
// possible into fresh windows, and served by the feed from the recording: both end up
// showing the same rows.
class TestReplayWindows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aRecordedDayReplaysIntoTheSameRows()
    {
        TFeedProcess feed;
        QVERIFY(feed.Start({"--seed", "3", "--rate", "2000", "--max-alerts", QString::number(Alerts), "--category",
                            "QS=default", "--category", "SY=symbol", "--category", "SL=simplelist", "--category",
                            "JF=jf-simplelist", "--category", "BB=set", "--category", "PL=pointslist",
                            "--category", "TL=smb"}));
        const QString file = feed.TempPath(QStringLiteral("day.txt"));

        TClient live;
        TAlertRecorder recorder;
        QCOMPARE(recorder.Open(file), QString());
        const TSubscription recording =
            live.World.Connection.SubscribeAlerts([&recorder](QByteArrayView body) { recorder.Record(body); });
        live.World.Connection.SetServerAddress(QStringLiteral("127.0.0.1:%1").arg(feed.Port()));
        live.World.Connection.SetUsername("anna");
        live.World.Connection.SetPassword("secret");
        QTRY_COMPARE_WITH_TIMEOUT(recorder.Count(), qint64(Alerts), WaitMs);
        recorder.Close();
        live.World.Connection.SetUsername(QByteArray());

        TClient replayed;
        TAlertReplay &replay = replayed.World.Connection.Replay();
        replay.SetSpeed(TAlertReplay::Fastest);
        QCOMPARE(replay.Open(file), QString());
        QCOMPARE(replay.Count(), Alerts);
        QCOMPARE(replay.Malformed(), 0);
        QCOMPARE(replayed.Windows.front()->windowTitle(), QStringLiteral("Quick (replay)"));
        // Played in slices from the event loop, not all at once.
        QVERIFY(!replay.Finished());
        QTRY_VERIFY_WITH_TIMEOUT(replay.Finished(), WaitMs);

        const QVector<QVector<QStringList>> expected = live.Rows();
        const QVector<QVector<QStringList>> actual = replayed.Rows();
        for (int n = 0; n < WindowCount; ++n) {
            QVERIFY2(!expected[n].isEmpty(), qPrintable(replayed.Windows[n]->windowTitle()));
            QCOMPARE(actual[n], expected[n]);
        }

        // Ending the replay brings the window's own title back.
        replay.Stop();
        QCOMPARE(replayed.Windows.front()->windowTitle(), QStringLiteral("Quick"));

        // The bundled server serves the recording too, to the same rows.
        TFeedProcess server;
        QVERIFY(server.Start({"--replay", file}));
        TClient served;
        int arrived = 0;
        const TSubscription counting =
            served.World.Connection.SubscribeAlerts([&arrived](QByteArrayView) { ++arrived; });
        served.World.Connection.SetServerAddress(QStringLiteral("127.0.0.1:%1").arg(server.Port()));
        served.World.Connection.SetUsername("anna");
        served.World.Connection.SetPassword("secret");
        QTRY_COMPARE_WITH_TIMEOUT(arrived, Alerts, WaitMs);
        served.World.Connection.SetUsername(QByteArray());
        QCOMPARE(served.Rows(), expected);
    }
};

QTEST_MAIN(TestReplayWindows)
#include "tst_ReplayWindows.moc"
