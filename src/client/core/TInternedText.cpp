#include "client/core/TInternedText.h"

#include "shared/SeededHash.h"

#include <QHash>

#include <deque>

namespace {

class TTextPool
{
public:
    TTextPool() { texts_.emplace_back(); }

    quint32 HandleOf(QByteArrayView bytes)
    {
        if (bytes.isEmpty())
            return 0;
        // Looked up where the bytes stand: a text seen before costs no copy.
        const auto found = handles_.constFind({QByteArray::fromRawData(bytes.data(), bytes.size())});
        if (found != handles_.constEnd())
            return *found;
        const auto handle = quint32(texts_.size());
        // A copy of just the bytes: the alert's array may have room to spare.
        texts_.emplace_back(bytes.constData(), bytes.size());
        handles_.insert({texts_.back()}, handle);
        return handle;
    }

    const QByteArray &Bytes(quint32 handle) const { return texts_[handle]; }

private:
    // A deque, so the bytes handed out stay where they are while the pool grows.
    std::deque<QByteArray> texts_;
    QHash<TBytesKey, quint32> handles_;
};

TTextPool &Pool()
{
    static TTextPool pool;
    return pool;
}

} // namespace

TInternedText::TInternedText(QByteArrayView bytes) : handle_(Pool().HandleOf(bytes)) {}

const QByteArray &TInternedText::Bytes() const
{
    return Pool().Bytes(handle_);
}
