#pragma once

#include "shared/Exception.h"

#include <QByteArray>
#include <QVector>

#include <memory>
#include <utility>
#include <vector>

// A string-to-string hash table with separate chaining, and an iterator that
// notices when the table was changed behind its back and then refuses to go on.
// Keys and values are byte strings compared exactly: "Symbol" and "symbol" differ.

// Raised by an iterator that can no longer be trusted ("Iterator no longer valid")
// or that is asked to change an entry it does not stand on ("The entry is not valid").
class EHashTableError : public Exception
{
public:
    using Exception::Exception;
    const char *ClassName() const override { return "EHashTableError"; }
};

// One stored pair; nodes are allocated one by one and owned by their table.
class THashEntry
{
public:
    THashEntry(QByteArray key, QByteArray value) : Key(std::move(key)), Value(std::move(value)) {}

    QByteArray Key;
    QByteArray Value;
    THashEntry *Next = nullptr;
};

// One chain head per bucket; an empty bucket holds nullptr.
using THashEntryTable = QVector<THashEntry *>;

class tHashTableIterator;

// Iterator over a map. The walk is: while IsValid, read GetKey/GetValue, maybe
// SetValue or Delete, then Next.
class tMapIterator
{
public:
    virtual ~tMapIterator() = default;

    virtual void Next() = 0;
    virtual void Delete() = 0;
    virtual bool HasMore() = 0;
    virtual QByteArray GetKey() = 0;
    virtual QByteArray GetValue() = 0;
    virtual bool IsValid() = 0;
    virtual void SetValue(const QByteArray &value) = 0;
    virtual bool StillValid() = 0;
};

class tHashTable
{
public:
    explicit tHashTable(int initialSize = 0);
    virtual ~tHashTable();

    tHashTable(const tHashTable &) = delete;
    tHashTable &operator=(const tHashTable &) = delete;

    // Rehashes into newSize buckets, moving the nodes rather than copying them.
    virtual void Resize(int newSize);
    virtual void Grow();
    virtual void Put(const QByteArray &key, const QByteArray &value);
    // The same for texts the caller gives up, kept without touching their reference counts.
    void Put(QByteArray &&key, QByteArray &&value);
    virtual std::unique_ptr<tHashTableIterator> NewIterator();
    virtual bool ContainsKey(const QByteArray &key);
    virtual bool ContainsValue(const QByteArray &value);
    // An absent key reads as the empty string; ContainsKey tells it from a stored empty value.
    virtual QByteArray Get(const QByteArray &key);
    // True when the key was new, false when an existing value was replaced.
    virtual bool Store(const QByteArray &key, const QByteArray &value);
    // Returns the removed value, or the empty string when the key was absent.
    virtual QByteArray Remove(const QByteArray &key);
    virtual int Count();
    virtual void Clear();

    int BucketCount() const { return buckets_.size(); }
    // Moves on every change of the key set or the bucket layout; iterators compare against it.
    quint32 ChangeCounter() const { return changeCounter_; }

    // Reads the key four bytes at a time, counting its terminating zero byte, then
    // the at most three remaining bytes one by one. Wraps modulo 2^32.
    static quint32 Hash(const QByteArray &key);

private:
    friend class tHashTableIterator;

    int BucketOf(quint32 hash) const;
    THashEntry *Find(const QByteArray &key) const;
    THashEntry *FindInBucket(const QByteArray &key, int bucket) const;
    void FreeAllNodes();

    // Nodes live in blocks the table keeps until it goes, and a freed node's place is
    // taken by the next new one: a table filled with hundreds of fields for every alert
    // then costs a few allocations instead of one per field.
    union TNodeSlot
    {
        TNodeSlot *NextFree;
        alignas(THashEntry) unsigned char Storage[sizeof(THashEntry)];
    };
    bool StoreOwned(QByteArray key, QByteArray value);
    THashEntry *NewNode(QByteArray key, QByteArray value);
    void FreeNode(THashEntry *node);

    THashEntryTable buckets_;
    quint32 changeCounter_ = 0;
    int count_ = 0;
    std::vector<std::unique_ptr<TNodeSlot[]>> nodeBlocks_;
    int lastBlockSize_ = 0;
    int lastBlockUsed_ = 0;
    TNodeSlot *freeSlots_ = nullptr;
};

class tHashTableIterator : public tMapIterator
{
public:
    explicit tHashTableIterator(tHashTable &table);

    void Next() override;
    // Removes the current entry and stands on its successor; the following Next only
    // clears that mark, so a walk neither skips nor repeats an entry.
    void Delete() override;
    bool HasMore() override;
    QByteArray GetKey() override;
    QByteArray GetValue() override;
    bool IsValid() override;
    void SetValue(const QByteArray &value) override;
    // Whether the table is unchanged since this iterator last synchronised; never raises.
    bool StillValid() override;

private:
    void CheckStillValid();
    // Moves current to the next node in iteration order; false (and no current
    // node) when there is none.
    bool Advance();
    bool StandsOnEntry();

    int bucketIndex_ = 0;
    THashEntry *current_ = nullptr;
    quint32 recordedCounter_;
    bool deleted_ = false;
    int position_ = 0;
    tHashTable *table_;
};
