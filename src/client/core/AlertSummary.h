#pragma once

#include <QByteArray>
#include <QString>

class TFieldReader;

// What a sound or a desktop notification says about one alert: its symbol and its
// main figures.
struct TAlertSummary
{
    QByteArray Symbol;
    // "Last 12.50  Change +0.50  10:31:05", the parts the alert carries, in the
    // default locale's number format.
    QString Figures;
    // An alert that brings no news worth calling out (a band-set row leaving).
    bool NoNews = false;
};

// The summary of one row of an alert: its keys carry rowSuffix ("symbol0", "last0" for
// the top row of a ranked list). An alert without "change" has it from "prev_close".
TAlertSummary SummarizeRow(const TFieldReader &fields, const QByteArray &rowSuffix = QByteArray());
