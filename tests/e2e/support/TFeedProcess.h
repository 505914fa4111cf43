#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// The real alert-feed program, started for one test on a free loopback port and
// stopped when the object goes.
class TFeedProcess
{
public:
    TFeedProcess();
    ~TFeedProcess();
    TFeedProcess(const TFeedProcess &) = delete;
    TFeedProcess &operator=(const TFeedProcess &) = delete;

    // Starts alert-feed listening on 127.0.0.1 at a port the system picks, with the
    // extra arguments, and waits until it says where it listens. False when it exits
    // or stays silent instead.
    bool Start(const QStringList &arguments);
    quint16 Port() const { return port_; }
    // The HTTP tunnel's address, when started with --http.
    const QString &TunnelUrl() const { return tunnelUrl_; }

    // Runs alert-feed to its end, for arguments that make it exit by itself.
    bool RunToExit(const QStringList &arguments, int timeoutMs);
    bool WaitForExit(int timeoutMs);
    QProcess::ExitStatus ExitStatus() const { return process_.exitStatus(); }
    int ExitCode() const { return process_.exitCode(); }

    // Everything it wrote to standard error so far.
    QByteArray ErrorOutput() const;

    // A file in the process's own temporary folder, for its input and output files.
    QString TempPath(const QString &name) const { return dir_.filePath(name); }
    // KVX.ini in that folder for a client of this feed: a [Connection] section with the
    // feed's address and the further key lines. Its path; empty when it was not written.
    QString WriteClientIni(const QByteArray &moreKeys = {}) const;

private:
    QTemporaryDir dir_;
    QProcess process_;
    quint16 port_ = 0;
    QString tunnelUrl_;
};
