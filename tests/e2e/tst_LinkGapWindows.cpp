#include "support/TFeedProcess.h"

#include "client/core/TMainConnection.h"
#include "client/core/kinds/NewestFirstKinds.h"
#include "client/ui/windows/TAlertForm.h"
#include "shared/TIniFile.h"

#include "../ui/support/TTestWindowServices.h"

#include <QtTest>

#include <memory>
#include <vector>

namespace {

constexpr int WaitMs = 20000;

// The newest-first kinds, one window each, and a band set that keeps no markers.
const char Windows[] = "[Alert Window 0]\nsubscription=QS\ntitle=Quick\n"
                       "[Alert Window 1]\nsubscription=SY\ndisplay=symbol\n"
                       "[Alert Window 2]\nsubscription=SL\ndisplay=simplelist\n"
                       "[Alert Window 3]\nsubscription=JF\ndisplay=jf-simplelist\n"
                       "[Alert Window 4]\nsubscription=BB\ndisplay=set\n";
constexpr int WindowCount = 5;

template <typename Entries>
QVector<int> MarkerPlaces(const Entries &entries)
{
    QVector<int> places;
    for (int i = 0; i < entries.size(); ++i)
        if (entries[i].IsGapMarker())
            places << i;
    return places;
}

template <typename Kind>
QVector<int> MarkerPlacesIn(const TAlertForm &window)
{
    return MarkerPlaces(dynamic_cast<const Kind &>(window.Kind()).Entries());
}

// The marker places of each window above, read as the kind it must have.
using TMarkerReader = QVector<int> (*)(const TAlertForm &);
const TMarkerReader MarkerPlacesOf[WindowCount] = {
    &MarkerPlacesIn<TQuickStrikeKind>, &MarkerPlacesIn<TSymbolOnlyKind>, &MarkerPlacesIn<TSimpleListKind>,
    &MarkerPlacesIn<TJFListKind>, [](const TAlertForm &) { return QVector<int>(); }};
constexpr int BandSetWindow = 4;

} // namespace

// The real alert windows on the program's main connection, against the real feed
// dropping every connection after two seconds.
class TestLinkGapWindows : public QObject
{
    Q_OBJECT

    // Kept by the main connection for the whole run, so they live as long as the test.
    QVector<TLinkGap> gaps_;
    QStringList titles_;

private Q_SLOTS:
    void aDroppedFeedTurnsTitlesStaleAndMarksTheGap()
    {
        TFeedProcess feed;
        QVERIFY(feed.Start({"--drop-after", "2", "--rate", "60", "--seed", "5", "--category", "QS=default",
                            "--category", "SY=symbol", "--category", "SL=simplelist", "--category",
                            "JF=jf-simplelist", "--category", "BB=set"}));
        const TIniFile ini = TIniFile::FromText(Windows);
        TTestWindowServices world;
        TMainConnection &connection = world.Connection;
        std::vector<std::unique_ptr<TAlertForm>> windows;
        for (int n = 0; n < WindowCount; ++n) {
            windows.push_back(std::make_unique<TAlertForm>(world.Services()));
            windows.back()->LoadConfiguration(ini, "Alert Window " + QByteArray::number(n));
            connection.AddCategory(windows.back()->Subscription());
        }
        const TAlertForm &quick = *windows.front();
        const TSubscription gapWatch = connection.SubscribeLinkGaps([this](const TLinkGap &gap) { gaps_ << gap; });
        const TSubscription staleWatch =
            connection.SubscribeStale([this, &quick] { titles_ << quick.windowTitle(); });
        connection.SetServerAddress(QStringLiteral("127.0.0.1:%1").arg(feed.Port()));
        connection.SetUsername("anna");
        connection.SetPassword("secret");

        QTRY_VERIFY_WITH_TIMEOUT(!gaps_.isEmpty(), WaitMs);
        // Stale from the loss until the first alert of the new session, then clear.
        QCOMPARE(titles_.mid(0, 2), QStringList({QStringLiteral("Quick (stale)"), QStringLiteral("Quick")}));
        const TLinkGap first = gaps_.first();
        QVERIFY(first.Lost > 0 && first.Lost <= first.Back);

        // One marker per gap in every newest-first window, none in the band set; in
        // the QuickStrike list it comes to lie between the alerts before and after.
        QTRY_VERIFY_WITH_TIMEOUT(MarkerPlacesOf[0](quick).value(0) > 0, WaitMs);
        for (int n = 0; n < WindowCount; ++n) {
            const QVector<int> places = MarkerPlacesOf[n](*windows[n]);
            QCOMPARE(places.size(), n == BandSetWindow ? 0 : int(gaps_.size()));
        }
        QVERIFY(MarkerPlacesOf[0](quick).constLast() < quick.Kind().RowCount() - 1);

        // Leaves the connection idle before the feed goes.
        connection.SetUsername(QByteArray());
        QVERIFY(!connection.Stale());
    }
};

QTEST_MAIN(TestLinkGapWindows)
#include "tst_LinkGapWindows.moc"
