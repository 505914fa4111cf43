#pragma once

#include <QVector>

#include <cstring>
#include <deque>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <utility>

// A list of entries edited in any place whose copies are cheap snapshots, so an alert
// window can hand its band set to its grid after every alert without copying the
// entries themselves.
//
// The entries live in a store shared by all copies, where an entry never changes or
// moves once stored; a list is the sequence of the addresses of its entries in that
// store. Copying a list copies those addresses at most (no entries), and editing one
// copy never changes what another shows. Entries no copy needs any more stay in the
// store until a list holds fewer than half of them; that list then takes a store of
// its own.
//
// A list edited after every copy, as a window's is after every hand-off to its grid,
// copies its addresses into the room of those it shared before the last copy once no
// other copy holds them any more, so its edits take no new room.
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

    // A copy shares the store and the places, never the room kept for the next edit.
    TSnapshotList(const TSnapshotList &other) : store_(other.store_), places_(other.places_) {}
    TSnapshotList &operator=(const TSnapshotList &other)
    {
        store_ = other.store_;
        places_ = other.places_;
        return *this;
    }
    TSnapshotList(TSnapshotList &&) = default;
    TSnapshotList &operator=(TSnapshotList &&) = default;

    qsizetype size() const { return places_.size(); }
    bool isEmpty() const { return places_.isEmpty(); }
    const Entry &operator[](qsizetype i) const { return *places_[i]; }
    const Entry &at(qsizetype i) const { return (*this)[i]; }
    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, size()); }

    void append(Entry entry)
    {
        OwnPlaces();
        places_.append(Store(std::move(entry)));
    }
    void replace(qsizetype i, Entry entry)
    {
        OwnPlaces();
        places_[i] = Store(std::move(entry));
    }
    // Takes the entry at from out and puts it back at to; those between close up.
    void move(qsizetype from, qsizetype to)
    {
        OwnPlaces();
        places_.move(from, to);
    }
    void remove(qsizetype i)
    {
        OwnPlaces();
        places_.remove(i);
    }
    void clear() { *this = TSnapshotList(); }

private:
    // Below this many unused entries a short list keeps them rather than copy itself.
    static constexpr qsizetype MinUnusedToShed = 64;

    using TPlaces = QVector<const Entry *>;

    const Entry *Store(Entry entry)
    {
        if (!store_) {
            store_ = std::make_shared<TStore>();
        } else {
            const qsizetype unused = qsizetype(store_->size()) - size();
            if (unused >= MinUnusedToShed && unused > size())
                TakeOwnStore();
        }
        // A deque grown at its end keeps its entries where they are.
        return &store_->emplace_back(std::move(entry));
    }

    // Before an edit: places shared with a copy are copied into the spare room, which
    // then keeps the shared ones for the edit after the next copy.
    void OwnPlaces()
    {
        if (places_.isDetached())
            return;
        if (!spare_.isDetached())
            spare_ = TPlaces();
        spare_.resize(places_.size());
        if (!places_.isEmpty())
            std::memcpy(spare_.data(), places_.constData(), std::size_t(places_.size()) * sizeof(const Entry *));
        std::swap(places_, spare_);
    }

    void TakeOwnStore()
    {
        auto own = std::make_shared<TStore>();
        for (const Entry *&place : places_)
            place = &own->emplace_back(*place);
        store_ = std::move(own);
    }

    std::shared_ptr<TStore> store_;
    TPlaces places_; // the address in the store of each entry, in list order
    TPlaces spare_;  // the places a copy shared before the last edit
};
