#pragma once

#include "run/bounded_queue.h"
#include "run/event_parcel.h"
#include "run/input.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace ornavex {

// The queues between one reading thread and the de-duplicating thread:
// parcels to handle, and handled parcels that come back to be filled again.
struct ReadChannel {
    explicit ReadChannel(std::size_t capacity) : full(capacity), spare(capacity) {}

    BoundedQueue<EventParcel> full;
    BoundedQueue<EventParcel> spare;
};

// Which inputs one reading thread reads: first, first + stride, ...
struct ReadShare {
    std::size_t first = 0;
    std::size_t stride = 1;
};

struct ReadSettings {
    std::size_t blockSize = 0;
    std::uint64_t hashSeed = 0;
    bool batchReads = true;
    bool readInside = true;      // documents, archives, compressed files, mail, web pages
    bool lines = false;          // count the line each address is on
    bool classicPattern = false; // no '+' in the local part
};

// Reads the inputs of its share in order with an InputReader, finds their valid addresses
// (repeats included) and hashes them with the seed, and pushes the events to
// the channel in parcels; ends with kEnd, or with kAborted when it cannot go
// on (out of memory). Stops early when stop is set. Runs on its own thread.
void ReadInputs(const std::vector<Input>& inputs, ReadShare share, const ReadSettings& settings,
                const std::atomic<bool>& stop, ReadChannel& channel);

} // namespace ornavex
