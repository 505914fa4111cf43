#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// What the tap was asked to do. Whatever the command line leaves open comes from
// KVX.ini in the current folder, read as the client reads it.
struct TTapOptions
{
    // Empty: the main connection's own address (KVX.ini or the default server).
    QString ServerAddress;
    QVector<QByteArray> Categories;
    QByteArray UserName;
    bool PasswordFromStdin = false;

    // Fills the options from the arguments (program name first). False with a reason
    // in error when they cannot be used.
    static bool Parse(const QStringList &arguments, TTapOptions &options, QString &error);
    static QString Usage();
};

// The categories of the alert windows that KVX.ini configures, in window order.
QVector<QByteArray> CategoriesFromIni(const QString &iniFileName);
