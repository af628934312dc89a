#pragma once

#include "os/large_block.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ornavex {

// The run-wide set of addresses already emitted, keyed by their ASCII
// lower-case form. An open-addressing table of slots that refer into an arena
// of key bytes: every key is stored once, with no allocation of its own. The
// arena holds up to 16 GiB of keys; past that an insert throws
// std::length_error.
//
// The hash is seeded, so nobody who does not know the seed can make keys
// collide; and whatever the keys, a lookup probes at most kMaxProbe slots:
// a key whose probe run is full goes to an ordered overflow set instead, so
// even keys that all share one hash cost O(log n) each.
//
// Lookups of a large set miss the cache twice (the slot, then its key).
// Callers that have many addresses at hand hide that latency by prefetching:
// PrefetchSlot for a run of addresses, then PrefetchKey for them, then the inserts.
class AddressSet {
public:
    static constexpr std::size_t kMaxProbe = 64;
    // How a key reference splits into chunk and offset (in record units).
    static constexpr unsigned kOffsetBits = 20;
    static constexpr std::size_t kRecordAlign = 4;

    // The arena grows in chunks of chunkBytes (at most, and by default,
    // kMaxChunkBytes). Many short-lived sets one after another take small
    // ones, which the C heap hands from one set to the next.
    static constexpr std::size_t kMaxChunkBytes = std::size_t{4} << kOffsetBits;
    // Whether the set counts each key's occurrences (Occurrences, stretches):
    // only details need them, and a key without its tally takes 12 bytes and
    // a lookup fewer.
    enum class Counting { kOff, kOn };
    // A key's count is kept in 32 bits beside it until it reaches widenAt
    // (below UINT32_MAX; tests take a small one), then in 64 bits of its own.
    static constexpr std::uint32_t kWidenCountsAt = UINT32_MAX - 1;
    explicit AddressSet(std::uint64_t seed = 0, std::size_t chunkBytes = kMaxChunkBytes,
                        Counting counting = Counting::kOff, std::uint32_t widenAt = kWidenCountsAt);
    AddressSet(const AddressSet&) = delete;
    AddressSet& operator=(const AddressSet&) = delete;

    // Hash of the ASCII lower-case form of text under a seed.
    static std::uint64_t Hash(std::string_view text, std::uint64_t seed);
    std::uint64_t Hash(std::string_view text) const { return Hash(text, seed_); }
    std::uint64_t seed() const { return seed_; }

    void PrefetchSlot(std::uint64_t hash) const { Prefetch(&slots_[Home(Tag(hash))]); }
    void PrefetchKey(std::uint64_t hash) const {
        // The key to load is that of the first slot with the same tag along
        // the probe sequence, which is not always the home slot.
        const std::uint32_t tag = Tag(hash);
        const std::size_t mask = capacity_ - 1;
        std::size_t i = Home(tag);
        for (std::size_t step = 0; step < kMaxProbe && slots_[i].key != kEmptyKey;
             ++step, i = (i + 1) & mask) {
            if (slots_[i].tag == tag && slots_[i].key != kErasedKey) {
                Prefetch(KeyRecord(slots_[i].key));
                return;
            }
        }
    }

    // Inserts the ASCII lower-case form of address. Returns true when it was
    // not in the set before. hash must be Hash(address).
    bool InsertLowerCased(std::string_view address, std::uint64_t hash);

    // Whether the lower-case form of address is held; counts nothing.
    // hash must be Hash(address).
    bool Contains(std::string_view address, std::uint64_t hash) const {
        return Find(address, Tag(hash)).found;
    }

    // Takes a key out again (a file that failed part-way gives back the
    // addresses it added). Its bytes stay in the arena.
    void Erase(std::string_view address, std::uint64_t hash);

    // Where the key of the last address inserted is stored, and the stored
    // (lower-case) bytes of a key: they never move while the set lives.
    using KeyReference = std::uint32_t;
    KeyReference LastKey() const { return lastKey_; }
    // Where the last address inserted had upper-case letters, found while
    // storing its lower-case form: bit i for byte i of its first 64 bytes,
    // and whether any came after them.
    struct UpperCase {
        std::uint64_t first64 = 0;
        bool later = false;
    };
    UpperCase LastUpperCase() const { return lastUpperCase_; }
    std::string_view Key(KeyReference reference) const;

    std::size_t size() const { return count_; }

    // Calls onKey(reference) for every key held, in no particular order.
    // References grow in the order keys were inserted.
    template <class OnKey> void ForEachKey(OnKey&& onKey) const {
        // The keys lie all over the arena: their lines load several at once.
        constexpr std::size_t kAhead = 16;
        KeyReference ahead[kAhead];
        std::size_t found = 0;
        for (std::size_t i = 0; i < capacity_; ++i) {
            const std::uint32_t key = slots_[i].key;
            if (key == kEmptyKey || key == kErasedKey)
                continue;
            Prefetch(KeyRecord(key));
            // The key found kAhead keys ago has had time to load.
            if (found >= kAhead)
                onKey(ahead[found % kAhead]);
            ahead[found++ % kAhead] = key;
        }
        for (std::size_t n = found > kAhead ? found - kAhead : 0; n < found; ++n)
            onKey(ahead[n % kAhead]);
        for (const auto& [bytes, key] : overflow_)
            onKey(key);
    }
    // The memory the set has taken: slot table, arena and overflow set.
    std::size_t MemoryBytes() const;

    // Occurrences, when counting. Every insert, new or not, counts one
    // occurrence of its key in the current stretch of the run's file being
    // read (the file's own text, or one member of it). Stretch numbers grow,
    // and a file's stretches follow each other from its first. A voided stretch's occurrences
    // stop counting (a member that failed gives nothing), and so do those of
    // a voided file (a file that failed part-way). Counts go as far as 64
    // bits do.
    void SetStretch(std::uint32_t stretch, std::uint32_t fileStretch) {
        stretch_ = stretch;
        if (fileStretch != fileStretch_)
            fileBefore_.clear();
        fileStretch_ = fileStretch;
    }
    void VoidStretch(std::uint32_t stretch);
    // Voids the file of the current stretch: its stretches up to the current one.
    void VoidFile();
    std::uint64_t Occurrences(KeyReference reference) const;
    void PrefetchOccurrences(KeyReference reference) const { Prefetch(KeyRecord(reference)); }

private:
    // Asks for a cache line ahead of its use. A loop whose only effect is
    // __builtin_prefetch is dropped by GCC once inlined; the asm is not.
    static void Prefetch(const void* address) {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
        asm volatile("prefetcht0 %0" : : "m"(*static_cast<const char*>(address)));
#elif defined(__GNUC__)
        __builtin_prefetch(address);
#else
        (void)address;
#endif
    }

    // Eight bytes, so a cache line holds eight slots. The key is reached
    // through its reference into the arena, where its length comes first.
    struct Slot {
        std::uint32_t tag = 0; // Tag(hash), which also skips most key compares
        std::uint32_t key = 0; // KeyReference of the lower-case bytes; 0: empty
    };
    // Where a lookup ended: the key's slot, or in the overflow set, or
    // nowhere; then where an insert would put it.
    struct Probe {
        bool found = false;
        bool inOverflow = false;
        std::size_t slot = 0; // found: the key's slot; else: where to insert, or npos
    };
    // A slot's tag is the hash's high half; its low bits pick the home slot,
    // so the table grows without reading a single key.
    static std::uint32_t Tag(std::uint64_t hash) {
        return static_cast<std::uint32_t>(hash >> 32);
    }
    std::size_t Home(std::uint32_t tag) const {
        return tag & (capacity_ - 1);
    }
    Probe Find(std::string_view address, std::uint32_t tag) const;
    bool InOverflow(std::string_view address) const;
    // The key a found probe points at.
    std::uint32_t FoundKey(const Probe& probe, std::string_view address) const;
    // A key reference holds the arena chunk in its high bits and the offset
    // in four-byte units in its low bits; reference 0 (chunk 0, offset 0) is
    // never given out, so it marks an empty slot. No record starts in the
    // last four bytes of a chunk, so no reference is all ones: that marks
    // the slot of an erased key.
    static constexpr std::uint32_t kEmptyKey = 0;
    static constexpr std::uint32_t kErasedKey = 0xFFFFFFFF;

    // A stored key: a 32-bit length, its Tally when counting, then the bytes.
    struct Tally {
        std::uint32_t count = 0;         // occurrences, those of a voided stretch taken off
        std::uint32_t stretch = 0;       // the stretch of the last occurrence
        std::uint32_t stretchBefore = 0; // count before that stretch's first occurrence
    };
    // The tally of a key counted past widenAt, whose own count then says kWide.
    struct WideTally {
        std::uint64_t count = 0;
        std::uint32_t stretch = 0;
        std::uint64_t stretchBefore = 0;
    };
    static constexpr std::uint32_t kWide = UINT32_MAX;
    void CountWide(std::uint32_t reference);
    // Before a key's first occurrence in the current stretch: a voided stretch's
    // occurrences come off, and a count from another stretch of this file is
    // kept apart, should the file fail.
    template <class AnyTally> void EnterStretch(AnyTally& tally, std::uint32_t reference) {
        if (tally.stretch == stretch_)
            return;
        if (Voided(tally.stretch))
            tally.count = tally.stretchBefore;
        if (tally.stretch >= fileStretch_ && fileStretch_ != 0)
            fileBefore_.emplace(reference, tally.stretchBefore);
        tally.stretch = stretch_;
        tally.stretchBefore = tally.count;
    }
    static constexpr std::size_t kCountedHeaderBytes = sizeof(std::uint32_t) + sizeof(Tally);
    void Count(std::uint32_t reference);
    Tally TallyOf(std::uint32_t reference) const;
    void SetTally(std::uint32_t reference, const Tally& tally);
    bool Voided(std::uint32_t stretch) const {
        return stretch < voided_.size() && voided_[stretch];
    }
    const char* KeyRecord(std::uint32_t reference) const {
        return chunkStarts_[reference >> kOffsetBits] +
               (reference & ((1u << kOffsetBits) - 1)) * kRecordAlign;
    }
    std::uint32_t StoreLowerCased(std::string_view address);
    // Places a stored key in the table, or in the overflow set when its
    // probe run is full.
    void Place(std::uint32_t key, std::uint32_t tag);
    void Grow();

    std::uint64_t seed_;
    std::size_t chunkSize_;   // of the arena's chunks
    std::size_t headerBytes_; // before a key's bytes: its length, and its Tally when counting
    std::uint32_t widenAt_;
    std::unordered_map<std::uint32_t, WideTally> wide_; // by key reference
    KeyReference lastKey_ = 0;
    UpperCase lastUpperCase_;
    std::uint32_t stretch_ = 0;
    std::uint32_t fileStretch_ = 0; // the first stretch of the current stretch's file
    std::vector<bool> voided_;
    // Keys the current file counted in more than one stretch: their counts
    // before the file, so that the whole file can be voided. Most files are
    // one stretch, and hold nothing here.
    std::unordered_map<std::uint32_t, std::uint64_t> fileBefore_;
    LargeBlock slotMemory_;
    Slot* slots_ = nullptr;
    std::size_t capacity_ = 0;   // a power of two
    std::size_t count_ = 0;      // keys held, in the table and the overflow set
    std::size_t tombstones_ = 0; // slots of erased keys, still part of probe runs
    // Keys whose probe run was full, by their lower-case bytes in the arena.
    std::map<std::string_view, std::uint32_t> overflow_;
    std::vector<LargeBlock> chunks_; // the arena's memory, and outgrown slot tables
    std::size_t arenaBytes_ = 0;     // their size
    std::vector<char*> chunkStarts_; // where each chunk of the arena starts
    std::size_t chunkUsed_ = 0;      // bytes used in the last chunk
    // Chunk-sized pieces of outgrown slot tables, not yet part of the arena.
    // Their pages are in memory already, which fresh ones are not.
    std::vector<char*> spareChunks_;
};

} // namespace ornavex
