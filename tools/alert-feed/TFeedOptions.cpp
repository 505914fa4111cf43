#include "TFeedOptions.h"

#include <QCommandLineParser>

#include <cmath>

namespace {

QString Invalid(const QString &option, const QString &value, const QString &expected)
{
    return QStringLiteral("--%1 %2: %3").arg(option, value, expected);
}

QString ParseSeconds(const QCommandLineParser &parser, const QString &name,
                     std::optional<double> &seconds);

// "HOST:PORT", "[IPv6]:PORT", "PORT" or ":PORT" (loopback), or "*:PORT" (every
// interface). A test server opens other interfaces only when asked by name.
QString ParseListen(const QString &option, const QString &text, QHostAddress &listenAddress,
                    quint16 &listenPort)
{
    const int colon = text.lastIndexOf(u':');
    bool ok = false;
    const uint port = text.mid(colon + 1).toUInt(&ok);
    if (!ok || port > 65535)
        return Invalid(option, text, colon < 0 ? QStringLiteral("expected HOST:PORT") : QStringLiteral("bad port"));
    QString host = colon < 0 ? QString() : text.left(colon);
    if (host.startsWith(u'[') && host.endsWith(u']'))
        host = host.mid(1, host.size() - 2);
    QHostAddress address;
    if (host == u"*")
        address = QHostAddress(QHostAddress::Any);
    else if (host.isEmpty() || host.compare(u"localhost", Qt::CaseInsensitive) == 0)
        address = QHostAddress(QHostAddress::LocalHost);
    else if (!address.setAddress(host))
        return Invalid(option, text, QStringLiteral("host must be an IP address or localhost"));
    listenAddress = address;
    listenPort = quint16(port);
    return QString();
}

// "--tls CERT KEY" and "--https CERT KEY" take two values, which the option parser
// cannot; they are taken out of the arguments first.
QString TakeFilePair(QStringList &arguments, const QString &option, QString &first, QString &second)
{
    const int at = arguments.indexOf(option);
    if (at < 0)
        return QString();
    if (at + 2 >= arguments.size())
        return option + QStringLiteral(" needs a certificate file and a key file");
    first = arguments[at + 1];
    second = arguments[at + 2];
    arguments.remove(at, 3);
    if (arguments.contains(option))
        return option + QStringLiteral(" given twice");
    return QString();
}

QString ParseTunnel(const QCommandLineParser &parser, const QString &certificateFile,
                    const QString &keyFile, TFeedOptions &options)
{
    const bool wanted = parser.isSet(QStringLiteral("http")) || !certificateFile.isEmpty()
                        || parser.isSet(QStringLiteral("refuse-uploads"))
                        || parser.isSet(QStringLiteral("delay-answers"));
    if (!wanted)
        return QString();
    if (!parser.isSet(QStringLiteral("http")))
        return QStringLiteral("--https, --refuse-uploads and --delay-answers need --http");
    TTunnelOptions tunnel;
    tunnel.CertificateFile = certificateFile;
    tunnel.KeyFile = keyFile;
    QString error = ParseListen(QStringLiteral("http"), parser.value(QStringLiteral("http")),
                               tunnel.Address, tunnel.Port);
    if (error.isEmpty() && parser.isSet(QStringLiteral("refuse-uploads"))) {
        bool ok = false;
        tunnel.RefusedUploads = parser.value(QStringLiteral("refuse-uploads")).toInt(&ok);
        if (!ok || tunnel.RefusedUploads < 0)
            error = Invalid(QStringLiteral("refuse-uploads"), parser.value(QStringLiteral("refuse-uploads")),
                            QStringLiteral("expected a count, 0 or more"));
    }
    std::optional<double> delay;
    if (error.isEmpty())
        error = ParseSeconds(parser, QStringLiteral("delay-answers"), delay);
    tunnel.AnswerDelaySeconds = delay.value_or(0.0);
    options.Tunnel = tunnel;
    return error;
}

QString ParseSeconds(const QCommandLineParser &parser, const QString &name,
                     std::optional<double> &seconds)
{
    if (!parser.isSet(name))
        return QString();
    bool ok = false;
    const double value = parser.value(name).toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < 0)
        return Invalid(name, parser.value(name), QStringLiteral("expected seconds, 0 or more"));
    seconds = value;
    return QString();
}

QString ParseCount(const QCommandLineParser &parser, const QString &name, qint64 &count,
                   qint64 most = 1000000)
{
    if (!parser.isSet(name))
        return QString();
    bool ok = false;
    const qint64 value = parser.value(name).toLongLong(&ok);
    if (!ok || value < 1 || value > most)
        return Invalid(name, parser.value(name), QStringLiteral("expected a count from 1 to %1").arg(most));
    count = value;
    return QString();
}

QString ParseCategory(const QString &text, TFeedOptions &options)
{
    // Display names never hold "=", so the last one splits even a category that does.
    const int equals = text.lastIndexOf(u'=');
    if (equals <= 0)
        return Invalid(QStringLiteral("category"), text, QStringLiteral("expected NAME=DISPLAY"));
    const std::optional<TFeedKind> kind = FeedKindFromOption(text.mid(equals + 1).toUtf8());
    if (!kind)
        return Invalid(QStringLiteral("category"), text,
                       QStringLiteral("DISPLAY must be one of default, set, symbol, pointslist, "
                                      "simplelist, jf-simplelist, smb"));
    options.Categories.append({text.left(equals).toUtf8(), *kind});
    return QString();
}

} // namespace

QString ParseFeedOptions(const QStringList &givenArguments, TFeedOptions &options, QString &helpText)
{
    QStringList arguments = givenArguments;
    QString httpsCertificate;
    QString httpsKey;
    QString pairError = TakeFilePair(arguments, QStringLiteral("--tls"), options.TlsCertificateFile,
                                     options.TlsKeyFile);
    if (pairError.isEmpty())
        pairError = TakeFilePair(arguments, QStringLiteral("--https"), httpsCertificate, httpsKey);
    if (!pairError.isEmpty())
        return pairError;

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "The bundled alert server: logs clients in and streams synthetic or recorded alerts."));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    parser.addOption(help);
    // Answered by main before the options are read; listed here for --help.
    parser.addOption(QCommandLineOption(QStringLiteral("version"), QStringLiteral("Show the version.")));
    const auto value = [&parser](const char *name, const char *valueName, const char *text) {
        parser.addOption(QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(text),
                                            QString::fromLatin1(valueName)));
    };
    value("listen", "HOST:PORT",
          "Address to listen on (default 127.0.0.1:9339; PORT or :PORT is loopback, *:PORT every "
          "interface; port 0 picks a free one).");
    value("rate", "ALERTS_PER_SECOND", "Alerts per second over all categories (default 20).");
    value("seed", "N", "Seed of the market: the same seed gives the same alert bodies.");
    value("ini", "FILE",
          "Ini file whose \"Alert Window N\" sections give each category's display kind.");
    value("category", "NAME=DISPLAY",
          "Category and display kind (default, set, symbol, pointslist, simplelist, jf-simplelist, "
          "smb); repeatable.");
    value("users", "FILE", "Accept only the logins of these name:password lines.");
    value("replay", "FILE", "Send the recorded bodies of FILE instead of synthetic ones.");
    value("record", "FILE",
          "Write every request received to FILE, one JSON object per line, passwords masked; "
          "the file is readable by its owner only.");
    value("max-seconds", "N", "Exit after N seconds.");
    value("max-alerts", "N", "Send N synthetic alerts and then no more.");
    value("burst", "N", "Send N synthetic alerts as fast as the clients take them, and then no more.");
    value("drop-after", "SECONDS", "Close each connection SECONDS after it was accepted.");
    value("ignore-pings-after", "SECONDS",
          "Leave pings unanswered SECONDS after a connection was accepted.");
    value("corrupt-after", "SECONDS",
          "Corrupt each connection's compressed stream SECONDS after it was accepted.");
    value("stop-login", "TEXT", "Answer every login with STOP and TEXT.");
    value("bomb-after", "SECONDS",
          "Send a run of compressed zeros (see --bomb-mib) SECONDS after a connection was accepted.");
    value("bomb-mib", "N", "How many MiB the zeros of --bomb-after inflate to (default 4096).");
    value("bad-length-after", "SECONDS",
          "Send a frame header with an impossible body length SECONDS after a connection was accepted.");
    value("empty-flood-after", "SECONDS",
          "Flood the alert stream with empty frames SECONDS after a connection was accepted.");
    value("flood-seconds", "N", "How long the flood of --empty-flood-after lasts (default 60).");
    value("big-flood-after", "SECONDS",
          "Send alert frames of the longest allowed length SECONDS after a connection was accepted.");
    value("big-frames", "N", "How many frames --big-flood-after sends (default 64, 1 GiB).");
    value("http", "HOST:PORT",
          "Also serve the HTTP tunnel at http://HOST:PORT/tunnel (port 0 picks a free one).");
    value("refuse-uploads", "N", "Answer the first N uploads of every tunnel with status 500.");
    value("delay-answers", "SECONDS", "Answer every tunnel upload SECONDS late.");
    // The two-valued options, taken out before parsing, still deserve a line of help.
    parser.addOption(QCommandLineOption(QStringLiteral("tls"),
                                        QStringLiteral("Speak TLS on the TCP listener (--tls CERT KEY, PEM files).")));
    parser.addOption(QCommandLineOption(QStringLiteral("https"),
                                        QStringLiteral("Serve the tunnel over https (--https CERT KEY, PEM files).")));

    if (!parser.parse(arguments))
        return parser.errorText();
    if (parser.isSet(help)) {
        helpText = parser.helpText();
        return QString();
    }
    if (!parser.positionalArguments().isEmpty())
        return QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first());

    QString error;
    if (parser.isSet(QStringLiteral("listen")))
        error = ParseListen(QStringLiteral("listen"), parser.value(QStringLiteral("listen")),
                            options.ListenAddress, options.ListenPort);
    if (error.isEmpty())
        error = ParseTunnel(parser, httpsCertificate, httpsKey, options);
    if (error.isEmpty() && parser.isSet(QStringLiteral("rate"))) {
        bool ok = false;
        const double rate = parser.value(QStringLiteral("rate")).toDouble(&ok);
        if (!ok || !std::isfinite(rate) || rate <= 0 || rate > 1e6)
            error = Invalid(QStringLiteral("rate"), parser.value(QStringLiteral("rate")),
                            QStringLiteral("expected alerts per second, more than 0"));
        else
            options.Rate = rate;
    }
    if (error.isEmpty() && parser.isSet(QStringLiteral("seed"))) {
        bool ok = false;
        options.Seed = parser.value(QStringLiteral("seed")).toULongLong(&ok);
        if (!ok)
            error = Invalid(QStringLiteral("seed"), parser.value(QStringLiteral("seed")),
                            QStringLiteral("expected a whole number, 0 or more"));
    }
    for (const QString &category : parser.values(QStringLiteral("category")))
        if (error.isEmpty())
            error = ParseCategory(category, options);
    const QPair<const char *, std::optional<double> *> secondsOptions[] = {
        {"max-seconds", &options.MaxSeconds},
        {"drop-after", &options.Faults.DropAfterSeconds},
        {"ignore-pings-after", &options.Faults.IgnorePingsAfterSeconds},
        {"corrupt-after", &options.Faults.CorruptAfterSeconds},
        {"bomb-after", &options.Faults.BombAfterSeconds},
        {"bad-length-after", &options.Faults.BadLengthAfterSeconds},
        {"empty-flood-after", &options.Faults.EmptyFloodAfterSeconds},
        {"big-flood-after", &options.Faults.BigFloodAfterSeconds},
    };
    for (const auto &[name, seconds] : secondsOptions)
        if (error.isEmpty())
            error = ParseSeconds(parser, QString::fromLatin1(name), *seconds);
    if (error.isEmpty() && parser.isSet(QStringLiteral("flood-seconds"))) {
        std::optional<double> seconds;
        error = ParseSeconds(parser, QStringLiteral("flood-seconds"), seconds);
        options.Faults.FloodSeconds = seconds.value_or(options.Faults.FloodSeconds);
    }
    const QPair<const char *, qint64 *> countOptions[] = {
        {"bomb-mib", &options.Faults.BombMebibytes},
        {"big-frames", &options.Faults.BigFrames},
    };
    for (const auto &[name, count] : countOptions)
        if (error.isEmpty())
            error = ParseCount(parser, QString::fromLatin1(name), *count);
    // Load runs: a minute at a high rate is millions of alerts.
    constexpr qint64 MostAlerts = 1000000000;
    const QPair<const char *, std::optional<qint64> *> alertCounts[] = {
        {"max-alerts", &options.MaxAlerts},
        {"burst", &options.BurstAlerts},
    };
    for (const auto &[name, count] : alertCounts) {
        qint64 value = 0;
        if (error.isEmpty())
            error = ParseCount(parser, QString::fromLatin1(name), value, MostAlerts);
        if (error.isEmpty() && value > 0)
            *count = value;
    }
    if (error.isEmpty() && (options.MaxAlerts || options.BurstAlerts) && parser.isSet(QStringLiteral("replay")))
        error = QStringLiteral("--max-alerts and --burst are for synthetic alerts, not --replay");
    if (parser.isSet(QStringLiteral("stop-login")))
        options.Faults.StopLoginText = parser.value(QStringLiteral("stop-login")).toUtf8();
    options.IniFile = parser.value(QStringLiteral("ini"));
    options.UsersFile = parser.value(QStringLiteral("users"));
    options.ReplayFile = parser.value(QStringLiteral("replay"));
    options.RecordFile = parser.value(QStringLiteral("record"));
    return error;
}
