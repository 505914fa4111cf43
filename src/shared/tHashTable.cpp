#include "shared/tHashTable.h"

#include <new>

namespace {

const char *const IteratorNoLongerValid = "Iterator no longer valid";
const char *const EntryNotValid = "The entry is not valid";
// Node blocks double from the first size up to the largest.
constexpr int FirstNodeBlock = 8;
constexpr int LargestNodeBlock = 512;

} // namespace

tHashTable::tHashTable(int initialSize)
    : buckets_(qMax(initialSize, 0), nullptr)
{
}

tHashTable::~tHashTable()
{
    FreeAllNodes();
}

quint32 tHashTable::Hash(const QByteArray &key)
{
    const auto n = quint32(key.size());
    const auto *bytes = reinterpret_cast<const uchar *>(key.constData());
    // The terminator is part of the hashed text, so the byte at position n reads as zero
    // whether or not the array stores one there.
    auto byteAt = [&](quint32 k) -> quint32 { return k < n ? bytes[k] : 0u; };

    const quint32 words = (n + 1) / 4;
    quint32 h = 0;
    for (quint32 i = 0; i < words; ++i) {
        const quint32 w = byteAt(4 * i) | byteAt(4 * i + 1) << 8 | byteAt(4 * i + 2) << 16
                          | byteAt(4 * i + 3) << 24;
        h = (9 * h + i) ^ w;
    }
    for (quint32 k = 4 * words; k < n; ++k)
        h = 33 * h + bytes[k];
    return h;
}

int tHashTable::BucketOf(quint32 hash) const
{
    return int(hash % quint32(buckets_.size()));
}

THashEntry *tHashTable::Find(const QByteArray &key) const
{
    return buckets_.isEmpty() ? nullptr : FindInBucket(key, BucketOf(Hash(key)));
}

THashEntry *tHashTable::FindInBucket(const QByteArray &key, int bucket) const
{
    for (THashEntry *node = buckets_[bucket]; node; node = node->Next)
        if (node->Key == key)
            return node;
    return nullptr;
}

void tHashTable::FreeAllNodes()
{
    for (THashEntry *&head : buckets_) {
        while (head) {
            THashEntry *next = head->Next;
            FreeNode(head);
            head = next;
        }
    }
}

void tHashTable::Resize(int newSize)
{
    // With no buckets there is nowhere to put a node, so pairs would be lost.
    AZ_ASSERT_MSG(newSize > 0 || (newSize == 0 && count_ == 0), "Invalid hash table size");
    THashEntryTable old(newSize, nullptr);
    old.swap(buckets_);
    ++changeCounter_;
    for (THashEntry *node : old) {
        while (node) {
            THashEntry *next = node->Next;
            THashEntry *&head = buckets_[BucketOf(Hash(node->Key))];
            node->Next = head;
            head = node;
            node = next;
        }
    }
}

void tHashTable::Grow()
{
    Resize(buckets_.size() * 3 / 2 + 3);
}

void tHashTable::Put(const QByteArray &key, const QByteArray &value)
{
    Store(key, value);
}

void tHashTable::Put(QByteArray &&key, QByteArray &&value)
{
    StoreOwned(std::move(key), std::move(value));
}

std::unique_ptr<tHashTableIterator> tHashTable::NewIterator()
{
    return std::make_unique<tHashTableIterator>(*this);
}

bool tHashTable::ContainsKey(const QByteArray &key)
{
    return Find(key) != nullptr;
}

bool tHashTable::ContainsValue(const QByteArray &value)
{
    for (THashEntry *head : buckets_)
        for (THashEntry *node = head; node; node = node->Next)
            if (node->Value == value)
                return true;
    return false;
}

QByteArray tHashTable::Get(const QByteArray &key)
{
    const THashEntry *node = Find(key);
    return node ? node->Value : QByteArray();
}

bool tHashTable::Store(const QByteArray &key, const QByteArray &value)
{
    return StoreOwned(key, value);
}

bool tHashTable::StoreOwned(QByteArray key, QByteArray value)
{
    const quint32 hash = Hash(key);
    // Replacing a value leaves the key set alone, so iterators stay valid.
    if (THashEntry *node = buckets_.isEmpty() ? nullptr : FindInBucket(key, BucketOf(hash))) {
        node->Value = std::move(value);
        return false;
    }
    ++changeCounter_;
    ++count_;
    // Keep the load at or below three quarters.
    if (3 * qint64(buckets_.size()) < 4 * qint64(count_))
        Grow();
    THashEntry *node = NewNode(std::move(key), std::move(value));
    THashEntry *&head = buckets_[BucketOf(hash)];
    node->Next = head;
    head = node;
    return true;
}

QByteArray tHashTable::Remove(const QByteArray &key)
{
    if (buckets_.isEmpty())
        return QByteArray();
    THashEntry **link = &buckets_[BucketOf(Hash(key))];
    while (*link && (*link)->Key != key)
        link = &(*link)->Next;
    THashEntry *node = *link;
    if (!node)
        return QByteArray();
    ++changeCounter_;
    const QByteArray value = node->Value;
    *link = node->Next;
    FreeNode(node);
    --count_;
    return value;
}

THashEntry *tHashTable::NewNode(QByteArray key, QByteArray value)
{
    TNodeSlot *slot = freeSlots_;
    if (slot) {
        freeSlots_ = slot->NextFree;
    } else {
        if (lastBlockUsed_ == lastBlockSize_) {
            lastBlockSize_ = lastBlockSize_ == 0 ? FirstNodeBlock : qMin(2 * lastBlockSize_, LargestNodeBlock);
            nodeBlocks_.push_back(std::make_unique<TNodeSlot[]>(size_t(lastBlockSize_)));
            lastBlockUsed_ = 0;
        }
        slot = &nodeBlocks_.back()[lastBlockUsed_++];
    }
    return new (slot->Storage) THashEntry(std::move(key), std::move(value));
}

void tHashTable::FreeNode(THashEntry *node)
{
    node->~THashEntry();
    auto *slot = reinterpret_cast<TNodeSlot *>(node);
    slot->NextFree = freeSlots_;
    freeSlots_ = slot;
}

int tHashTable::Count()
{
    return count_;
}

void tHashTable::Clear()
{
    FreeAllNodes();
    count_ = 0;
    ++changeCounter_;
}

tHashTableIterator::tHashTableIterator(tHashTable &table)
    : recordedCounter_(table.changeCounter_), table_(&table)
{
    if (table.Count() > 0) {
        const THashEntryTable &buckets = table.buckets_;
        while (!buckets[bucketIndex_])
            ++bucketIndex_;
        current_ = buckets[bucketIndex_];
    }
}

void tHashTableIterator::CheckStillValid()
{
    if (!StillValid())
        throw EHashTableError(QString::fromLatin1(IteratorNoLongerValid));
}

bool tHashTableIterator::StillValid()
{
    return table_->changeCounter_ == recordedCounter_;
}

bool tHashTableIterator::Advance()
{
    current_ = current_->Next;
    const THashEntryTable &buckets = table_->buckets_;
    while (!current_ && bucketIndex_ + 1 < buckets.size())
        current_ = buckets[++bucketIndex_];
    return current_ != nullptr;
}

void tHashTableIterator::Next()
{
    CheckStillValid();
    if (deleted_) {
        deleted_ = false;
        return;
    }
    if (current_ && position_ < table_->Count() && Advance())
        ++position_;
}

void tHashTableIterator::Delete()
{
    CheckStillValid();
    if (deleted_ || !current_)
        return;
    // The successor takes over the removed entry's ordinal, so position stays.
    const QByteArray key = current_->Key;
    Advance();
    table_->Remove(key);
    deleted_ = true;
    recordedCounter_ = table_->changeCounter_;
}

bool tHashTableIterator::HasMore()
{
    CheckStillValid();
    const int count = table_->Count();
    return position_ < count - 1 || (deleted_ && position_ < count);
}

QByteArray tHashTableIterator::GetKey()
{
    CheckStillValid();
    return deleted_ || !current_ ? QByteArray() : current_->Key;
}

QByteArray tHashTableIterator::GetValue()
{
    CheckStillValid();
    return deleted_ || !current_ ? QByteArray() : current_->Value;
}

bool tHashTableIterator::StandsOnEntry()
{
    return current_ && position_ < table_->Count() && !deleted_;
}

bool tHashTableIterator::IsValid()
{
    CheckStillValid();
    return StandsOnEntry();
}

void tHashTableIterator::SetValue(const QByteArray &value)
{
    CheckStillValid();
    if (!StandsOnEntry())
        throw EHashTableError(QString::fromLatin1(EntryNotValid));
    current_->Value = value;
}
