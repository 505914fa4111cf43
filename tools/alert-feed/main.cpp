#include "AzurevVersion.h"
#include "FeedLog.h"
#include "TFeedOptions.h"
#include "TFeedServer.h"

#include <QCoreApplication>
#include <QTimer>

#include <cmath>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("alert-feed"));
    if (QCoreApplication::arguments().contains(QLatin1String("--version"))) {
        std::puts("alert-feed " AZUREV_VERSION);
        return 0;
    }

    TFeedOptions options;
    QString help;
    const QString error = ParseFeedOptions(QCoreApplication::arguments(), options, help);
    if (!error.isEmpty()) {
        FeedLog(error + QStringLiteral(" (try --help)"));
        return 2;
    }
    if (!help.isEmpty()) {
        std::fputs(help.toUtf8().constData(), stdout);
        return 0;
    }

    TFeedServer server(options);
    const QString startError = server.Start();
    if (!startError.isEmpty()) {
        FeedLog(startError);
        return 1;
    }
    // Whoever started the feed learns its ports from standard output, also when port 0
    // let the system choose them; the listening line comes last.
    if (!server.TunnelUrl().isEmpty())
        std::printf("alert-feed tunnel at %s\n", server.TunnelUrl().toUtf8().constData());
    std::printf("alert-feed listening on %s:%u\n", server.Address().toString().toUtf8().constData(),
                unsigned(server.Port()));
    std::fflush(stdout);
    FeedLog(QStringLiteral("seed %1").arg(server.Seed()));

    if (options.MaxSeconds) {
        QTimer::singleShot(int(std::llround(*options.MaxSeconds * 1000.0)), &app, [] {
            FeedLog(QStringLiteral("stopping (--max-seconds)"));
            QCoreApplication::quit();
        });
    }
    return app.exec();
}
