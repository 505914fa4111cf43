#include "client/ui/linking/LinkGroups.h"

namespace {

struct TLinkGroupLook
{
    const char *Name;
    QRgb Color;
};

const TLinkGroupLook Looks[LinkGroupCount] = {
    {"Red", qRgb(220, 40, 40)},
    {"Green", qRgb(40, 180, 60)},
    {"Blue", qRgb(50, 110, 230)},
    {"Yellow", qRgb(240, 200, 30)},
};

const TLinkGroupLook &LookOf(int group)
{
    return Looks[IsLinkGroup(group) ? group - FirstLinkGroup : 0];
}

} // namespace

QString LinkGroupName(int group)
{
    return QString::fromLatin1(LookOf(group).Name);
}

QColor LinkGroupColor(int group)
{
    return QColor::fromRgb(LookOf(group).Color);
}
