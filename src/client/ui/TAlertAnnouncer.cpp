#include "client/ui/TAlertAnnouncer.h"

namespace {

class TSilentAnnouncer : public TAlertAnnouncer
{
public:
    void Beep() override {}
    void PlaySound(const QString &) override {}
    void ShowNotification(const QString &, const QString &) override {}
};

TAlertAnnouncer *announcerInPlace = nullptr;

} // namespace

TAlertAnnouncer &AlertAnnouncer()
{
    static TSilentAnnouncer silent;
    return announcerInPlace ? *announcerInPlace : silent;
}

void SetAlertAnnouncer(TAlertAnnouncer *announcer)
{
    announcerInPlace = announcer;
}
