#include "client/ui/windows/TRecordReplay.h"

#include "client/core/TMainConnection.h"
#include "client/core/TSettingsStore.h"
#include "client/ui/windows/TReplayBar.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QTextDocument>

namespace {

const QString MainSection = QStringLiteral("Main");
const QString RecordName = QStringLiteral("Record");

// A tool tip that shows a path as it is: one holding "<b>" would otherwise be taken
// for markup.
QString PlainToolTip(const QString &text)
{
    return Qt::convertFromPlainText(text, Qt::WhiteSpaceNoWrap);
}

} // namespace

TRecordReplay::TRecordReplay(TMainConnection &connection, TSettingsStore &store, QWidget *owner)
    : QObject(owner)
    , connection_(connection)
    , store_(store)
    , owner_(owner)
{
}

QLayout *TRecordReplay::MakeControls(QWidget *tab)
{
    recordCheckBox_ = new QCheckBox(QStringLiteral("Record"), tab);
    recordCheckBox_->setObjectName(QStringLiteral("RecordCheckBox"));
    recordCheckBox_->setToolTip(PlainToolTip(QStringLiteral("Writes every alert to a new file in %1")
                                                 .arg(QDir::toNativeSeparators(TAlertRecorder::Folder()))));
    replayButton_ = new QPushButton(QStringLiteral("Replay…"), tab);
    replayButton_->setObjectName(QStringLiteral("ReplayButton"));
    connect(recordCheckBox_, &QCheckBox::toggled, this, &TRecordReplay::SetRecording);
    connect(replayButton_, &QPushButton::clicked, this, &TRecordReplay::ReplayButtonClick);
    auto *row = new QHBoxLayout;
    row->addWidget(recordCheckBox_);
    row->addWidget(replayButton_);
    row->addStretch();
    return row;
}

void TRecordReplay::Restore()
{
    recordCheckBox_->setChecked(store_.ReadBool(MainSection, RecordName, false));
}

void TRecordReplay::Save()
{
    // Never turned on, the option leaves no trace in the store.
    if (recordCheckBox_->isChecked() || store_.Contains(MainSection, RecordName))
        store_.WriteBool(MainSection, RecordName, recordCheckBox_->isChecked());
    recorder_.Close();
}

void TRecordReplay::SetRecording(bool on)
{
    recording_.Cancel();
    recorder_.Close();
    if (!on)
        return;
    const QString fileName =
        TAlertRecorder::Folder() + u'/' + TAlertRecorder::FileNameFor(QDateTime::currentDateTime());
    const QString error = recorder_.Open(fileName);
    if (!error.isEmpty()) {
        recordCheckBox_->setChecked(false);
        ShowError(error);
        return;
    }
    recordCheckBox_->setToolTip(PlainToolTip(QStringLiteral("Recording to %1").arg(QDir::toNativeSeparators(fileName))));
    recording_ = connection_.SubscribeAlerts([this](QByteArrayView body) { recorder_.Record(body); });
}

void TRecordReplay::ReplayButtonClick()
{
    const QString fileName = QFileDialog::getOpenFileName(owner_, QStringLiteral("Replay a Recording"),
                                                          TAlertRecorder::Folder(),
                                                          QStringLiteral("Recordings (*.txt);;All files (*)"));
    if (!fileName.isEmpty())
        Replay(fileName);
}

bool TRecordReplay::Replay(const QString &fileName)
{
    const QString error = connection_.Replay().Open(fileName);
    if (!error.isEmpty()) {
        ShowError(error);
        return false;
    }
    if (!bar_)
        bar_ = new TReplayBar(connection_.Replay(), owner_);
    bar_->SetFileName(fileName);
    bar_->show();
    bar_->raise();
    return true;
}

void TRecordReplay::ShowError(const QString &text)
{
    // Not modal: the alerts go on while it is open.
    auto *box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Vadevor Azurev"), text, QMessageBox::Ok, owner_);
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
