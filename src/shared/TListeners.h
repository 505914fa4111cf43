#pragma once

#include <algorithm>
#include <exception>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace ListenersDetail {

// What a subscription needs of its list without knowing the listeners' arguments.
class TListBase
{
public:
    virtual ~TListBase() = default;
    virtual void Drop(const void *entry) = 0;
};

} // namespace ListenersDetail

// A handle on one listener: dropping it (or Cancel) unsubscribes. It may outlive the
// list it came from, and may be dropped by the listener while that is being called.
class [[nodiscard]] TSubscription
{
public:
    TSubscription() = default;
    TSubscription(std::weak_ptr<ListenersDetail::TListBase> list, const void *entry)
        : list_(std::move(list))
        , entry_(entry)
    {
    }
    TSubscription(TSubscription &&other) noexcept
        : list_(std::move(other.list_))
        , entry_(std::exchange(other.entry_, nullptr))
    {
    }
    TSubscription &operator=(TSubscription &&other) noexcept
    {
        if (this != &other) {
            Cancel();
            list_ = std::move(other.list_);
            entry_ = std::exchange(other.entry_, nullptr);
        }
        return *this;
    }
    TSubscription(const TSubscription &) = delete;
    TSubscription &operator=(const TSubscription &) = delete;
    ~TSubscription() { Cancel(); }

    void Cancel()
    {
        if (const auto list = list_.lock())
            list->Drop(std::exchange(entry_, nullptr));
        list_.reset();
        entry_ = nullptr;
    }

private:
    std::weak_ptr<ListenersDetail::TListBase> list_;
    const void *entry_ = nullptr;
};

// Any number of listeners to one kind of news, called in the order they subscribed.
// A listener subscribed while the news goes round hears the next news, one dropped
// meanwhile hears nothing more; one listener's failure must not keep the news from the
// others. Telling allocates nothing: it runs for every alert.
template <typename... Args>
class TListeners
{
public:
    using TListener = std::function<void(Args...)>;

    TListeners()
        : state_(std::make_shared<TState>())
    {
    }
    TListeners(const TListeners &) = delete;
    TListeners &operator=(const TListeners &) = delete;

    TSubscription Subscribe(TListener listener)
    {
        state_->Entries.push_back(std::make_unique<TEntry>(TEntry{std::move(listener), true}));
        return TSubscription(state_, state_->Entries.back().get());
    }

    void Notify(Args... args) const
    {
        // Kept alive here: a listener may destroy the list's owner.
        const std::shared_ptr<TState> state = state_;
        const TTelling telling(*state);
        // Entries are held by pointer, so one subscribed meanwhile moves none of them.
        const size_t count = state->Entries.size();
        for (size_t i = 0; i < count; ++i) {
            TEntry &entry = *state->Entries[i];
            if (!entry.Active)
                continue;
            try {
                entry.Call(args...);
            } catch (const std::exception &) {
            }
        }
    }

private:
    struct TEntry
    {
        TListener Call;
        bool Active;
    };

    struct TState : ListenersDetail::TListBase
    {
        std::vector<std::unique_ptr<TEntry>> Entries;
        // Nested tellings in progress; entries are only removed outside them, so a
        // listener is never destroyed while it runs.
        int Depth = 0;

        void Drop(const void *entry) override
        {
            for (const auto &present : Entries)
                if (present.get() == entry)
                    present->Active = false;
            if (Depth == 0)
                RemoveDropped();
        }

        void RemoveDropped()
        {
            Entries.erase(std::remove_if(Entries.begin(), Entries.end(),
                                         [](const auto &entry) { return !entry->Active; }),
                          Entries.end());
        }
    };

    // One telling in progress; the last to end removes the listeners dropped meanwhile,
    // also when a listener's exception of another kind ends it.
    class TTelling
    {
    public:
        explicit TTelling(TState &state)
            : state_(state)
        {
            ++state_.Depth;
        }
        ~TTelling()
        {
            if (--state_.Depth == 0)
                state_.RemoveDropped();
        }
        TTelling(const TTelling &) = delete;
        TTelling &operator=(const TTelling &) = delete;

    private:
        TState &state_;
    };

    std::shared_ptr<TState> state_;
};
