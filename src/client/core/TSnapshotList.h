#pragma once

#include <QVector>

#include <deque>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <utility>

// A list of entries edited in any place whose copies are cheap snapshots, so an alert
// window can hand its band set to its grid after every alert without copying the
// entries themselves.
//
// The entries live in a store shared by all copies, where an entry never changes once
// stored; a list is the sequence of the places of its entries in that store. Copying
// a list copies those places at most (plain numbers, no entries), and editing one copy
// never changes what another shows. Entries no copy needs any more stay in the store
// until a list holds fewer than half of them; that list then takes a store of its own.
template <typename Entry>
class TSnapshotList
{
    using TStore = std::deque<Entry>;

public:
    class const_iterator
    {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Entry;
        using difference_type = qsizetype;
        using pointer = const Entry *;
        using reference = const Entry &;

        const_iterator(const TSnapshotList *list, qsizetype row) : list_(list), row_(row) {}
        reference operator*() const { return (*list_)[row_]; }
        pointer operator->() const { return &(*list_)[row_]; }
        const_iterator &operator++()
        {
            ++row_;
            return *this;
        }
        const_iterator operator++(int) { return const_iterator(list_, row_++); }
        bool operator==(const const_iterator &other) const { return row_ == other.row_; }
        bool operator!=(const const_iterator &other) const { return row_ != other.row_; }

    private:
        const TSnapshotList *list_;
        qsizetype row_;
    };

    TSnapshotList() = default;
    TSnapshotList(std::initializer_list<Entry> entries) : TSnapshotList(QVector<Entry>(entries)) {}
    TSnapshotList(const QVector<Entry> &entries)
    {
        for (const Entry &entry : entries)
            append(entry);
    }
    // The entries as a plain array.
    operator QVector<Entry>() const { return QVector<Entry>(begin(), end()); }

    qsizetype size() const { return places_.size(); }
    bool isEmpty() const { return places_.isEmpty(); }
    const Entry &operator[](qsizetype i) const { return (*store_)[std::size_t(places_[i])]; }
    const Entry &at(qsizetype i) const { return (*this)[i]; }
    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, size()); }

    void append(Entry entry) { places_.append(Store(std::move(entry))); }
    void replace(qsizetype i, Entry entry) { places_[i] = Store(std::move(entry)); }
    // Takes the entry at from out and puts it back at to; those between close up.
    void move(qsizetype from, qsizetype to) { places_.move(from, to); }
    void remove(qsizetype i) { places_.remove(i); }
    void clear() { *this = TSnapshotList(); }

private:
    // Below this many unused entries a short list keeps them rather than copy itself.
    static constexpr qsizetype MinUnusedToShed = 64;

    qsizetype Store(Entry entry)
    {
        if (!store_) {
            store_ = std::make_shared<TStore>();
        } else {
            const qsizetype unused = qsizetype(store_->size()) - size();
            if (unused >= MinUnusedToShed && unused > size())
                TakeOwnStore();
        }
        store_->push_back(std::move(entry));
        return qsizetype(store_->size()) - 1;
    }

    void TakeOwnStore()
    {
        auto own = std::make_shared<TStore>();
        for (qsizetype &place : places_) {
            own->push_back((*store_)[std::size_t(place)]);
            place = qsizetype(own->size()) - 1;
        }
        store_ = std::move(own);
    }

    std::shared_ptr<TStore> store_;
    QVector<qsizetype> places_; // the place in the store of each entry, in list order
};
