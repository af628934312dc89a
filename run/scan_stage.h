#pragma once

#include "run/bounded_queue.h"
#include "run/input_source.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ornavex {

// What the scanning thread tells the thread that de-duplicates, in order.
struct ScanEvent {
    enum class Kind { kFileStart, kAddresses, kFileDone, kFileFailed, kEnd };

    // Both threads keep an address set, each for its share of the hashes:
    // the scanning thread settles a quarter before sending (it also scans),
    // the de-duplicating thread the rest.
    enum class Verdict : std::uint8_t { kForConsumer, kNew, kSeen };
    static bool ScannerSettles(std::uint64_t hash) { return (hash & 3) == 0; }

    struct Entry {
        std::uint32_t offset = 0; // into text
        std::uint32_t length = 0;
        std::uint64_t hash = 0; // AddressSet::Hash of the address
        Verdict verdict = Verdict::kForConsumer;
    };

    Kind kind = Kind::kEnd;
    std::size_t fileIndex = 0;
    std::uint64_t bytesDone = 0; // raw bytes read in the run so far
    std::uint64_t fileBytes = 0; // kFileDone, kFileFailed: bytes read from the file
    std::string text;            // kAddresses, kFileDone: the valid addresses, back to back
    std::vector<Entry> entries;  // kAddresses, kFileDone: one per address, in text order
    std::string error;           // kFileFailed: the reason
};

// Events travel in batches, so many small files cost few thread hand-overs.
using ScanBatch = std::vector<ScanEvent>;

// Reads every input in order, finds its valid addresses (repeats included)
// and hashes them, and pushes the events to the queue in batches; ends with
// kEnd. Stops early when stop is set. Runs on its own thread.
void ScanInputs(const std::vector<InputSource>& inputs, std::size_t blockSize,
                const std::atomic<bool>& stop, BoundedQueue<ScanBatch>& queue);

} // namespace ornavex
