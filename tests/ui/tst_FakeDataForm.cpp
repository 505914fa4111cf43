#include "client/core/TMainConnection.h"
#include "client/ui/windows/TFakeDataForm.h"
#include "shared/TIniFile.h"

#include "../shared/support/WriteWholeFile.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

bool WriteIni(const QString &text)
{
    return WriteWholeFile(QStringLiteral("KVX.ini"), text.toUtf8());
}

} // namespace

class TestFakeDataForm : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> folder;
    std::unique_ptr<TMainConnection> connection;
    QVector<QByteArray> dispatched;
    TSubscription dispatchWatch;

private Q_SLOTS:
    void init()
    {
        // KVX.ini is read from the current folder.
        folder = std::make_unique<QTemporaryDir>();
        QVERIFY(folder->isValid());
        QVERIFY(QDir::setCurrent(folder->path()));
        connection = std::make_unique<TMainConnection>(TIniFile(QStringLiteral("KVX.ini")),
                                                       TMainConnection::TTickSource::Caller);
        dispatched.clear();
        dispatchWatch = connection->SubscribeAlerts([this](QByteArrayView body) { dispatched.append(body.toByteArray()); });
    }

    void cleanup()
    {
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (qobject_cast<TFakeDataForm *>(widget))
                delete widget;
        connection.reset();
        QVERIFY(QDir::setCurrent(QDir::tempPath()));
        folder.reset();
    }

    void showsOnlyWhenDebugIsOne_data()
    {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<bool>("visible");

        QTest::newRow("no KVX.ini") << QString() << false;
        QTest::newRow("debug missing") << QStringLiteral("[General]\ntitle=x\n") << false;
        QTest::newRow("debug 0") << QStringLiteral("[General]\ndebug=0\n") << false;
        QTest::newRow("debug 1") << QStringLiteral("[General]\ndebug=1\n") << true;
        QTest::newRow("debug 01") << QStringLiteral("[General]\ndebug=01\n") << false;
        QTest::newRow("debug true") << QStringLiteral("[General]\ndebug=true\n") << false;
    }

    void showsOnlyWhenDebugIsOne()
    {
        QFETCH(QString, ini);
        QFETCH(bool, visible);
        if (!ini.isNull())
            QVERIFY(WriteIni(ini));
        TFakeDataForm form(*connection);
        QCOMPARE(form.isVisible(), visible);
        QCOMPARE(form.windowTitle(), QStringLiteral("Fake Data"));
    }

    void sendDispatchesTheTextsExactlyAsTyped_data()
    {
        QTest::addColumn<QString>("subscription");
        QTest::addColumn<QString>("data");
        QTest::addColumn<QByteArray>("body");

        QTest::newRow("alert") << QStringLiteral("QuickStrike")
                               << QStringLiteral("symbol=IBM&last=12.5&time=10%3A31%3A05")
                               << QByteArray("QuickStrike\r\nsymbol=IBM&last=12.5&time=10%3A31%3A05");
        // Nothing is trimmed, escaped or checked on the way.
        QTest::newRow("blanks and odd text") << QStringLiteral(" JF ") << QStringLiteral("a b&&=%zz ")
                                             << QByteArray(" JF \r\na b&&=%zz ");
        QTest::newRow("both empty") << QString() << QString() << QByteArray("\r\n");
        QTest::newRow("only a subscription") << QStringLiteral("TopList") << QString() << QByteArray("TopList\r\n");
    }

    void sendDispatchesTheTextsExactlyAsTyped()
    {
        QFETCH(QString, subscription);
        QFETCH(QString, data);
        QFETCH(QByteArray, body);
        TFakeDataForm form(*connection);
        form.SubscriptionEdit()->setText(subscription);
        form.DataEdit()->setText(data);
        QTest::mouseClick(form.SendButton(), Qt::LeftButton);
        QCOMPARE(dispatched, QVector<QByteArray>({body}));
    }

    void aDuplicateIsAlwaysShownAndOutlivesTheOriginal()
    {
        QVERIFY(WriteIni(QStringLiteral("[General]\ndebug=0\n")));
        QPointer<TFakeDataForm> original = new TFakeDataForm(*connection);
        QVERIFY(!original->isVisible());
        original->SubscriptionEdit()->setText(QStringLiteral("SimpleList"));
        original->DataEdit()->setText(QStringLiteral("symbol=Z&last=3"));

        QPointer<TFakeDataForm> duplicate = original->DuplicateButtonClick();
        QVERIFY(duplicate);
        QVERIFY(duplicate != original);
        QVERIFY(duplicate->isVisible());
        QCOMPARE(duplicate->SubscriptionEdit()->text(), QStringLiteral("SimpleList"));
        QCOMPARE(duplicate->DataEdit()->text(), QStringLiteral("symbol=Z&last=3"));

        // Closing a window destroys it and leaves the others open.
        original->show();
        QVERIFY(original->close());
        QTRY_VERIFY(original.isNull());
        QVERIFY(duplicate);
        QVERIFY(duplicate->isVisible());

        // The duplicate sends into the same program.
        QTest::mouseClick(duplicate->SendButton(), Qt::LeftButton);
        QCOMPARE(dispatched, QVector<QByteArray>({"SimpleList\r\nsymbol=Z&last=3"}));
    }
};

QTEST_MAIN(TestFakeDataForm)
#include "tst_FakeDataForm.moc"
