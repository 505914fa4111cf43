#include "TTapOptions.h"

#include "shared/AlertWindowCount.h"
#include "shared/TIniFile.h"

bool TTapOptions::Parse(const QStringList &arguments, TTapOptions &options, QString &error)
{
    options = TTapOptions();
    bool categoriesGiven = false;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        const bool takesValue = argument == QLatin1String("--server")
                                || argument == QLatin1String("--category")
                                || argument == QLatin1String("--user");
        if (takesValue && i + 1 >= arguments.size()) {
            error = argument + QStringLiteral(" needs a value");
            return false;
        }
        if (argument == QLatin1String("--server")) {
            options.ServerAddress = arguments[++i];
        } else if (argument == QLatin1String("--category")) {
            categoriesGiven = true;
            options.Categories.append(arguments[++i].toUtf8());
        } else if (argument == QLatin1String("--user")) {
            options.UserName = arguments[++i].toUtf8();
        } else if (argument == QLatin1String("--password-stdin")) {
            options.PasswordFromStdin = true;
        } else {
            error = QStringLiteral("unknown argument: ") + argument;
            return false;
        }
    }
    if (options.UserName.isEmpty()) {
        error = QStringLiteral("--user is required");
        return false;
    }
    // A password on the command line would be visible to every user of the machine.
    if (!options.PasswordFromStdin) {
        error = QStringLiteral("--password-stdin is required: the password is read from standard input");
        return false;
    }
    if (!categoriesGiven)
        options.Categories = CategoriesFromIni(QStringLiteral("KVX.ini"));
    return true;
}

QString TTapOptions::Usage()
{
    return QStringLiteral(
        "usage: azurev-tap --user NAME --password-stdin [--server HOST:PORT] [--category C]...\n"
        "       azurev-tap --help | --version\n"
        "Logs in to the alert server, subscribes the categories and prints every alert as one\n"
        "JSON object per line on standard output; status changes go to standard error.\n"
        "Without --server and --category, KVX.ini in the current folder supplies the server\n"
        "address and the alert windows' subscriptions.\n");
}

QVector<QByteArray> CategoriesFromIni(const QString &iniFileName)
{
    const TIniFile ini(iniFileName);
    const int windowCount = ReadAlertWindowCount(ini);
    QVector<QByteArray> categories;
    for (int n = 0; n < windowCount; ++n) {
        const QByteArray section = "Alert Window " + QByteArray::number(n);
        const QByteArray category = ini.ReadString(section, "subscription", QByteArray());
        if (!category.isEmpty())
            categories.append(category);
    }
    return categories;
}
