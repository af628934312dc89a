#pragma once

#include "run/event_parcel.h"
#include "run/input.h"
#include "run/input_reader.h"

#include <atomic>
#include <cstddef>
#include <deque>
#include <thread>
#include <vector>

namespace ornavex {

// The reading threads of a run: they take the files in turn (the first
// file, the next, ... each thread every n-th), find their valid addresses
// and queue them as events in parcels; NextEvent hands them to the one
// thread that de-duplicates, file after file in list order.
class ReaderPool {
public:
    // One thread, however many are asked for, when an input is the
    // standard input, which only one can read; never more than the files.
    ReaderPool(const std::vector<Input>& inputs, const ReadSettings& settings, std::size_t threads);
    ~ReaderPool(); // stops the threads and waits for them
    ReaderPool(const ReaderPool&) = delete;
    ReaderPool& operator=(const ReaderPool&) = delete;

    void Start();
    // The reading threads end early: they stop at their next look.
    void Stop() { stop_.store(true); }
    std::size_t threads() const { return channels_.size(); }

    // The next event of the file at fileIndex, which must be the file being
    // handed over, and the parcel holding its addresses; both stay valid
    // until the next call. A null event: the reading ended unfinished.
    struct Next {
        const ReadEvent* event = nullptr;
        const EventParcel* parcel = nullptr;
    };
    Next NextEvent(std::size_t fileIndex);

private:
    // A reading thread and the events it sent that were not handed over yet.
    static constexpr std::size_t kQueuedParcels = 8;
    struct Channel {
        ReadChannel queues{kQueuedParcels};
        std::thread reader;
        EventParcel parcel;
        std::size_t next = 0; // into parcel.events
    };

    const std::vector<Input>& inputs_;
    ReadSettings settings_;
    std::atomic<bool> stop_{false};
    std::deque<Channel> channels_; // never moved: the threads hold references
};

} // namespace ornavex
