#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

namespace ornavex {

// A first-in first-out queue between two threads that holds at most
// `capacity` items, so a fast producer waits for a slow consumer instead of
// filling memory. Close wakes both sides: Push then refuses new items and
// Pop returns what is left, then nothing.
template <class T> class BoundedQueue {
public:
    explicit BoundedQueue(std::size_t capacity) : capacity_(capacity) {}

    bool Push(T item) {
        std::unique_lock lock(mutex_);
        notFull_.wait(lock, [&] { return closed_ || items_.size() < capacity_; });
        return AddLocked(std::move(item));
    }

    std::optional<T> Pop() {
        std::unique_lock lock(mutex_);
        notEmpty_.wait(lock, [&] { return closed_ || !items_.empty(); });
        return TakeLocked();
    }

    // Adds the item if there is room, without waiting; false (and the item
    // dropped) when the queue is full or closed.
    bool TryPush(T item) {
        std::lock_guard lock(mutex_);
        return items_.size() < capacity_ && AddLocked(std::move(item));
    }

    // Takes the first item if there is one, without waiting.
    std::optional<T> TryPop() {
        std::lock_guard lock(mutex_);
        return TakeLocked();
    }

    void Close() {
        std::lock_guard lock(mutex_);
        closed_ = true;
        notFull_.notify_all();
        notEmpty_.notify_all();
    }

private:
    // Both with the mutex held.
    bool AddLocked(T&& item) {
        if (closed_)
            return false;
        items_.push_back(std::move(item));
        notEmpty_.notify_one();
        return true;
    }
    std::optional<T> TakeLocked() {
        if (items_.empty())
            return std::nullopt;
        T item = std::move(items_.front());
        items_.pop_front();
        notFull_.notify_one();
        return item;
    }

    std::mutex mutex_;
    std::condition_variable notFull_;
    std::condition_variable notEmpty_;
    std::deque<T> items_;
    std::size_t capacity_;
    bool closed_ = false;
};

} // namespace ornavex
