#include "TCategoryKinds.h"

#include "shared/AlertWindowCount.h"
#include "shared/TIniFile.h"

#include <QStringList>

#include <algorithm>

void TCategoryKinds::Load(const TIniFile &ini)
{
    const int windowCount = ReadAlertWindowCount(ini);
    for (int n = 0; n < windowCount; ++n) {
        const QByteArray section = "Alert Window " + QByteArray::number(n);
        const QByteArray category = ini.ReadString(section, "subscription", QByteArray());
        // A window without a subscription shows nothing, so there is nothing to send it.
        if (!category.isEmpty())
            Set(category, FeedKindFromDisplay(ini.ReadString(section, "display", QByteArray())));
    }
}

void TCategoryKinds::Set(const QByteArray &category, TFeedKind kind)
{
    kinds_.insert({category}, kind);
}

TFeedKind TCategoryKinds::KindOf(const QByteArray &category) const
{
    return kinds_.value({category}, TFeedKind::NewestFirst);
}

QString TCategoryKinds::Describe() const
{
    QList<QByteArray> categories;
    for (const TBytesKey &category : kinds_.keys())
        categories.append(category.Value);
    std::sort(categories.begin(), categories.end());
    QStringList items;
    for (const QByteArray &category : std::as_const(categories))
        items.append(QString::fromUtf8(category + '=' + OptionNameOfFeedKind(KindOf(category))));
    return items.join(QStringLiteral(", "));
}
