#pragma once

#include "run/bounded_queue.h"
#include "run/input_source.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ornavex {

// What a scanning thread tells the thread that de-duplicates, in order.
struct ScanEvent {
    enum class Kind { kFileStart, kAddresses, kFileDone, kFileFailed, kEnd };

    struct Entry {
        std::uint32_t offset = 0; // into text
        std::uint32_t length = 0;
        std::uint64_t hash = 0; // AddressSet::Hash of the address
    };

    Kind kind = Kind::kEnd;
    std::size_t fileIndex = 0;
    std::uint64_t bytes = 0;    // raw bytes read since the previous event of the file
    std::string text;           // kAddresses, kFileDone: the valid addresses, back to back
    std::vector<Entry> entries; // kAddresses, kFileDone: one per address, in text order
    std::string error;          // kFileFailed: the reason
};

// Events travel in batches, so many small files cost few thread hand-overs.
using ScanBatch = std::vector<ScanEvent>;

// Which inputs one scanning thread reads: first, first + stride, ...
struct ScanShare {
    std::size_t first = 0;
    std::size_t stride = 1;
};

// Reads the inputs of its share in order, finds their valid addresses
// (repeats included) and hashes them, and pushes the events to the queue in
// batches; ends with kEnd. Stops early when stop is set. Runs on its own
// thread.
void ScanInputs(const std::vector<InputSource>& inputs, ScanShare share, std::size_t blockSize,
                const std::atomic<bool>& stop, BoundedQueue<ScanBatch>& queue);

} // namespace ornavex
