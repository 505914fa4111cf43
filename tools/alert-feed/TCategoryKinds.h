#pragma once

#include "TFeedKind.h"

#include "shared/SeededHash.h"

#include <QByteArray>
#include <QHash>
#include <QString>

class TIniFile;

// Which kind of body each alert category gets: learned from the same ini file the
// client reads, or set one by one from the command line. A category nobody described
// gets newest-first alerts, which any window can show.
class TCategoryKinds
{
public:
    // Takes "subscription" and "display" of every configured "Alert Window N" section,
    // N from 0 to the "General" "window count" minus 1, as the client does.
    void Load(const TIniFile &ini);
    void Set(const QByteArray &category, TFeedKind kind);
    TFeedKind KindOf(const QByteArray &category) const;
    int Count() const { return kinds_.size(); }
    // "BB=set, QS=default", sorted by category, for the log.
    QString Describe() const;

private:
    QHash<TBytesKey, TFeedKind> kinds_;
};
