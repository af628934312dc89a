#pragma once

#include "run/bounded_queue.h"
#include "run/input_source.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ornavex {

// What a reading thread tells the thread that de-duplicates, in order.
struct ReadEvent {
    enum class Kind {
        kFileStart,
        kAddresses,
        kMember,
        kPartFailed,
        kFileDone,
        kFileFailed,
        kEnd,
        kAborted
    };

    Kind kind = Kind::kEnd;
    std::size_t fileIndex = 0;
    std::uint64_t bytes = 0; // raw bytes read since the previous event of the file
    // kAddresses, kFileDone: the valid addresses found, as the entries
    // [firstEntry, firstEntry + entryCount) of the parcel, in text order.
    std::size_t firstEntry = 0;
    std::size_t entryCount = 0;
    std::uint64_t parts = 0; // kFileDone: the members and parts read inside the file
    std::string error;       // kFileFailed, kPartFailed, kAborted: the reason
    // kMember: the member of an archive or the attachment the addresses after
    // it are in ("" once they are in the file itself again); nested ones are
    // joined by ": ". Each starts a stretch of the file. kPartFailed: the
    // stretch since the last kMember failed, and this names the part ("":
    // the file's own text): what it gave is left out.
    std::string member;
};

// A valid address in its parcel's text, with its AddressSet::Hash.
struct FoundAddress {
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
    std::uint64_t hash = 0;
    std::uint64_t line = 0; // where it starts in its file or member, when lines are counted
};

// Events travel in parcels, so many small files cost few thread hand-overs;
// the addresses of all a parcel's events share one text and one entry list,
// so a parcel is a handful of allocations, and none once it is reused.
struct EventParcel {
    std::vector<ReadEvent> events;
    std::string text; // the addresses of all events, back to back
    std::vector<FoundAddress> entries;

    std::string_view Address(const FoundAddress& entry) const {
        return std::string_view(text).substr(entry.offset, entry.length);
    }
    // Empties the parcel for reuse, keeping its memory.
    void Clear() {
        events.clear();
        text.clear();
        entries.clear();
    }
};

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

// Reads the inputs of its share in order, finds their valid addresses
// (repeats included) and hashes them with the seed, and pushes the events to
// the channel in parcels; ends with kEnd, or with kAborted when it cannot go
// on (out of memory). Stops early when stop is set. Runs on its own thread.
void ReadInputs(const std::vector<InputSource>& inputs, ReadShare share,
                const ReadSettings& settings, const std::atomic<bool>& stop, ReadChannel& channel);

} // namespace ornavex
