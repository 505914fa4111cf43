#pragma once

#include <QVector>

#include <deque>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <utility>

// A newest-first list whose copies are cheap snapshots, so an alert window can hand
// its list to its grid after every alert without copying a single entry.
//
// All copies of a list share one store that keeps the entries oldest first; a copy
// only records the stretch of the store it sees. Adding at the front appends to the
// store and dropping the oldest moves the start of the stretch, so a snapshot taken
// earlier keeps showing exactly what it saw: stored entries never change. The costs
// do not depend on the length of the list.
//
// A copy that adds while another copy has added after it takes a store of its own
// first, and so does a list whose dropped entries outnumber its own: that copy is
// paid once per list length of alerts, so it costs about one entry per alert.
template <typename Entry>
class TNewestFirstList
{
    using TStore = std::deque<Entry>;

public:
    // Newest first; reading through a const list never copies.
    using const_iterator = std::reverse_iterator<typename TStore::const_iterator>;

    TNewestFirstList() = default;
    TNewestFirstList(std::initializer_list<Entry> newestFirst)
        : TNewestFirstList(QVector<Entry>(newestFirst))
    {
    }
    // A list of the entries in the order given, newestFirst[0] the newest.
    TNewestFirstList(const QVector<Entry> &newestFirst)
    {
        if (newestFirst.isEmpty())
            return;
        store_ = std::make_shared<TStore>(newestFirst.crbegin(), newestFirst.crend());
        end_ = qsizetype(store_->size());
    }
    // The entries as a plain array, newest first.
    operator QVector<Entry>() const { return QVector<Entry>(begin(), end()); }

    qsizetype size() const { return end_ - begin_; }
    bool isEmpty() const { return end_ == begin_; }
    // How many entries were added at the front of this list and of the lists it was
    // copied from: a snapshot taken later holds this many more new entries on top.
    qint64 AddedCount() const { return added_; }
    // Entry 0 is the newest.
    const Entry &operator[](qsizetype i) const { return (*store_)[std::size_t(end_ - 1 - i)]; }
    const Entry &at(qsizetype i) const { return (*this)[i]; }

    const_iterator begin() const { return store_ ? const_iterator(StoreAt(end_)) : const_iterator(); }
    const_iterator end() const { return store_ ? const_iterator(StoreAt(begin_)) : const_iterator(); }

    void prepend(Entry entry)
    {
        if (!store_ || end_ != qsizetype(store_->size()) || (begin_ > size() && begin_ >= MinDroppedToShed))
            TakeOwnStore();
        store_->push_back(std::move(entry));
        ++end_;
        ++added_;
    }
    // Drops the oldest entry; the list must not be empty.
    void removeLast() { ++begin_; }
    // Drops entry i (0 the newest). Unlike the other changes it copies the list, so
    // it is for the rare change in the middle.
    void removeAt(qsizetype i)
    {
        const qsizetype place = end_ - 1 - i;
        auto own = std::make_shared<TStore>(StoreAt(begin_), StoreAt(place));
        own->insert(own->end(), StoreAt(place + 1), StoreAt(end_));
        store_ = std::move(own);
        end_ = qsizetype(store_->size());
        begin_ = 0;
    }
    void clear() { *this = TNewestFirstList(); }

private:
    // Below this many dropped entries a short list keeps them rather than copy itself.
    static constexpr qsizetype MinDroppedToShed = 64;

    typename TStore::const_iterator StoreAt(qsizetype index) const
    {
        return store_->cbegin() + typename TStore::difference_type(index);
    }

    void TakeOwnStore()
    {
        auto own = store_ ? std::make_shared<TStore>(StoreAt(begin_), StoreAt(end_)) : std::make_shared<TStore>();
        store_ = std::move(own);
        end_ = size();
        begin_ = 0;
    }

    std::shared_ptr<TStore> store_;
    qsizetype begin_ = 0; // the oldest entry seen, as a place in the store
    qsizetype end_ = 0;   // one past the newest entry seen
    qint64 added_ = 0;
};
