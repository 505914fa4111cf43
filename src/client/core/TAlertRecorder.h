#pragma once

#include "shared/LocalClock.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>

// Writes every alert body it is given, with the time it came, to a recording in the
// line format of AlertRecordFormat.h. A recording's name comes from the wall clock of
// its start and its folder is fixed: nothing the server sends chooses where it goes.
class TAlertRecorder
{
public:
    TAlertRecorder() = default;
    ~TAlertRecorder() { Close(); }
    TAlertRecorder(const TAlertRecorder &) = delete;
    TAlertRecorder &operator=(const TAlertRecorder &) = delete;

    // Where recordings go: "recordings" in the program's folder of user data
    // (~/.local/share/Kestrova/Corvane Alerts/recordings).
    static QString Folder();
    // One file per recording, named by the moment it began:
    // "alerts-2026-12-08-093005.txt".
    static QString FileNameFor(const QDateTime &started);

    // Starts a new recording in fileName, made if needed and readable by its owner
    // only; times count from now. An error text, empty when it is open.
    QString Open(const QString &fileName);
    void Close();
    bool IsOpen() const { return file_.isOpen(); }
    QString FileName() const { return file_.fileName(); }

    // Empty frames carry no alert and are not written.
    void Record(QByteArrayView body);
    qint64 Count() const { return count_; }

private:
    QFile file_;
    TSteadyMs started_ = 0;
    qint64 count_ = 0;
};
