#pragma once

#include <QByteArray>
#include <QString>

// What a sound or a desktop notification says about one alert: its symbol and its
// main figures. Kinds that carry a ranked list name the top row ("symbol0", "last0").
struct TAlertSummary
{
    QByteArray Symbol;
    // "Last 12.50  Change +0.50  10:31:05", the parts the alert carries, in the
    // default locale's number format.
    QString Figures;
    // A band-set alert with an action other than "add" (a row leaving, or nothing
    // at all) brings no news worth calling out.
    bool NoNews = false;
};

// Reads the summary from an alert body (category line, CR LF, field list).
TAlertSummary SummarizeAlert(const QByteArray &body);
