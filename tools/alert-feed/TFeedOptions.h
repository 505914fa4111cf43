#pragma once

#include "TFeedKind.h"

#include <QByteArray>
#include <QHostAddress>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

// Faults a session injects on purpose, each counted from the moment its connection
// was accepted, so that every reconnection meets the fault again.
struct TFaultPlan
{
    std::optional<double> DropAfterSeconds;
    std::optional<double> IgnorePingsAfterSeconds;
    std::optional<double> CorruptAfterSeconds;
    // Every login is answered "STOP" CR LF this text.
    std::optional<QByteArray> StopLoginText;
    // A run of compressed zeros: each MiB inflates to 131,072 empty frames for no
    // request, and the run compresses about a thousandfold.
    std::optional<double> BombAfterSeconds;
    qint64 BombMebibytes = 4096;
    // A frame header whose body length no frame may have; nothing follows it.
    std::optional<double> BadLengthAfterSeconds;
    // Bursts of 100,000 empty frames on the alert stream, as fast as the client takes
    // them, for FloodSeconds.
    std::optional<double> EmptyFloodAfterSeconds;
    double FloodSeconds = 60;
    // Alert frames of the longest length the protocol allows, BigFrames of them.
    std::optional<double> BigFloodAfterSeconds;
    qint64 BigFrames = 64;
};

// The HTTP tunnel's entrance, when the feed serves one.
struct TTunnelOptions
{
    QHostAddress Address = QHostAddress(QHostAddress::LocalHost);
    quint16 Port = 0;
    // Both set: the entrance speaks https.
    QString CertificateFile;
    QString KeyFile;
    // The first uploads of every tunnel are answered 500, so the client posts them again.
    int RefusedUploads = 0;
    // Every upload's answer comes this late.
    double AnswerDelaySeconds = 0;
};

// Everything the command line sets.
struct TFeedOptions
{
    static constexpr double DemoRate = 20.0;

    QHostAddress ListenAddress = QHostAddress(QHostAddress::LocalHost);
    quint16 ListenPort = 9339;
    // Alerts per second over all categories; unset means the demo rate, or the recorded
    // pace of a replay that has one.
    std::optional<double> Rate;
    std::optional<quint64> Seed;
    QString IniFile;
    QVector<QPair<QByteArray, TFeedKind>> Categories;
    QString UsersFile;
    QString ReplayFile;
    QString RecordFile;
    std::optional<double> MaxSeconds;
    // Synthetic alerts only: stop after this many.
    std::optional<qint64> MaxAlerts;
    // Synthetic alerts only: this many, all due at once, and no more.
    std::optional<qint64> BurstAlerts;
    TFaultPlan Faults;
    std::optional<TTunnelOptions> Tunnel;
    // Both set: the TCP listener speaks TLS.
    QString TlsCertificateFile;
    QString TlsKeyFile;
};

// Reads the arguments (program name first). Returns an error text, empty on success.
// "--help" sets helpText instead and succeeds.
QString ParseFeedOptions(const QStringList &arguments, TFeedOptions &options, QString &helpText);
