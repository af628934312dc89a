#pragma once

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

} // namespace ornavex
