#include "client/core/AlertRecordFormat.h"
#include "client/core/TMainConnection.h"
#include "client/ui/windows/TMainForm.h"
#include "client/ui/windows/TRecordReplay.h"
#include "client/ui/windows/TReplayBar.h"
#include "support/TMainFormRuns.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace {

const char TwoWindows[] = "[General]\nwindow count=2\n"
                          "[Alert Window 0]\nsubscription=QS\ntitle=Quick\n"
                          "[Alert Window 1]\nsubscription=BB\ndisplay=set\ntitle=Bands\n";

QStringList Titles(const TMainForm &form)
{
    QStringList titles;
    for (const TAlertForm *window : form.AlertWindows())
        titles << window->windowTitle();
    return titles;
}

} // namespace

// The Connection tab's Record check box and Replay… button on the real main window.
class TestRecordReplay : public QObject
{
    Q_OBJECT

    TMainFormRuns program;
    void Dispatch(const QByteArray &body) { program.World().Connection.DispatchAlert(true, body, TMessageToServer()); }

private Q_SLOTS:
    void init() { program.Begin(TwoWindows); }
    void cleanup() { program.End(); }

    void recordIsRememberedAndWritesTheLiveAlertsToADatedFile()
    {
        auto form = program.Start();
        TRecordReplay &controls = *form->RecordReplay();
        QVERIFY(!controls.RecordCheckBox()->isChecked());
        QVERIFY(controls.RecordCheckBox()->toolTip().contains(QDir::toNativeSeparators(TAlertRecorder::Folder())));
        QVERIFY(TAlertRecorder::Folder().startsWith(program.Folder().path()));
        controls.RecordCheckBox()->setChecked(true);
        QVERIFY(controls.Recorder().IsOpen());
        const QString file = controls.Recorder().FileName();
        QVERIFY(QFileInfo(file).fileName().startsWith(QLatin1String("alerts-")));
        QVERIFY(controls.RecordCheckBox()->toolTip().contains(QFileInfo(file).fileName()));
        Dispatch("QS\r\nsymbol=A&last=1");
        Dispatch("BB\r\nline\nbreak");
        // A replay is not recorded.
        QFile other(program.Folder().filePath(QStringLiteral("other.txt")));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write(RecordLine(0, "QS\r\nsymbol=R&last=1"));
        other.close();
        QVERIFY(controls.Replay(other.fileName()));
        QTRY_VERIFY(program.World().Connection.Replay().Finished());
        program.World().Connection.Replay().Stop();
        program.Stop(form);

        QFile recorded(file);
        QVERIFY(recorded.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = recorded.readAll().split('\n');
        QCOMPARE(lines.size(), 3);
        TRecordedAlert alert;
        QVERIFY(ParseRecordLine(lines[1], 0, alert));
        QCOMPARE(alert.Body, QByteArray("BB\r\nline\nbreak"));

        // The next run records again, until Record is turned off.
        form = program.Start();
        QVERIFY(form->RecordReplay()->RecordCheckBox()->isChecked());
        QVERIFY(form->RecordReplay()->Recorder().IsOpen());
        form->RecordReplay()->RecordCheckBox()->setChecked(false);
        program.Stop(form);
        form = program.Start();
        QVERIFY(!form->RecordReplay()->Recorder().IsOpen());
        program.Stop(form);
    }

    void theReplayBarStepsAndPausesAndALoginEndsTheReplay()
    {
        const QString file = program.Folder().filePath(QStringLiteral("day.txt"));
        QFile recording(file);
        QVERIFY(recording.open(QIODevice::WriteOnly));
        recording.write(RecordLine(0, "QS\r\nsymbol=A&last=1") + "x\tbroken\n"
                        + RecordLine(3600000, "QS\r\nsymbol=B&last=2") + "1\tbad \\escape\n"
                        + RecordLine(7200000, "QS\r\nsymbol=C&last=3"));
        recording.close();

        auto form = program.Start();
        QVERIFY(!form->RecordReplay()->Replay(program.Folder().filePath(QStringLiteral("missing.txt"))));
        QVERIFY(!program.World().Connection.Replay().Active());
        QVERIFY(form->RecordReplay()->Replay(file));
        TReplayBar *bar = form->RecordReplay()->Bar();
        QVERIFY(bar->isVisible());
        QCOMPARE(Titles(*form), (QStringList{"Quick (replay)", "Bands (replay)"}));
        const TAlertForm &quick = *form->AlertWindows()[0];
        QTRY_COMPARE(quick.Kind().RowCount(), 1);
        QCOMPARE(bar->Progress()->text(), QStringLiteral("1 of 3 alerts played\n2 unreadable lines skipped"));
        // Live alerts stay out of the windows while the replay shows.
        Dispatch("QS\r\nsymbol=LIVE&last=1");
        QCOMPARE(quick.Kind().RowCount(), 1);

        QTest::mouseClick(bar->StepButton(), Qt::LeftButton);
        QCOMPARE(quick.Kind().RowCount(), 2);
        QCOMPARE(bar->PauseButton()->text(), QStringLiteral("Play"));
        QTest::mouseClick(bar->PauseButton(), Qt::LeftButton);
        QCOMPARE(bar->PauseButton()->text(), QStringLiteral("Pause"));
        // The last speed: as fast as possible.
        QTest::keyClick(bar->SpeedBox(), Qt::Key_End);
        QTRY_COMPARE(quick.Kind().RowCount(), 3);
        QVERIFY(bar->Progress()->text().startsWith(QLatin1String("3 of 3 alerts played, the end")));
        QVERIFY(!bar->StepButton()->isEnabled());

        // Logging in brings the live alerts back; the link was never touched.
        program.World().Connection.SetServerAddress(QStringLiteral("127.0.0.1:1"));
        form->findChild<QLineEdit *>(QStringLiteral("UsernameEdit"))->setText(QStringLiteral("ann"));
        form->findChild<QLineEdit *>(QStringLiteral("PasswordEdit"))->setText(QStringLiteral("pw"));
        form->LoginButtonClick();
        QCOMPARE(Titles(*form), (QStringList{"Quick", "Bands"}));
        QVERIFY(!bar->isVisible());
        Dispatch("QS\r\nsymbol=LIVE&last=1");
        QCOMPARE(quick.Kind().RowCount(), 4);
        program.World().Connection.SetUsername(QByteArray());
        program.Stop(form);
    }
};

QTEST_MAIN(TestRecordReplay)
#include "tst_RecordReplay.moc"
