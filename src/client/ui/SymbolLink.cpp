#include "client/ui/SymbolLink.h"

namespace {

std::function<void(const QString &)> &Receiver()
{
    static std::function<void(const QString &)> receiver;
    return receiver;
}

} // namespace

void SendSymbol(const QString &symbol)
{
    if (Receiver())
        Receiver()(symbol);
}

void SetSymbolReceiver(std::function<void(const QString &)> receiver)
{
    Receiver() = std::move(receiver);
}
