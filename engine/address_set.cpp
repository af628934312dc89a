#include "engine/address_set.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

namespace ornavex {
namespace {

constexpr std::size_t kInitialSlots = 1024;                     // power of two
constexpr std::size_t kChunkBytes = AddressSet::kMaxChunkBytes; // 4 MiB
constexpr std::size_t kMaxChunks = std::size_t{1} << (32 - AddressSet::kOffsetBits);
constexpr std::size_t kLengthBytes = sizeof(std::uint32_t);
constexpr std::size_t kCacheLine = 64;
constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::size_t kNowhere = static_cast<std::size_t>(-1);

// 0x80 in each of eight bytes that is an upper-case ASCII letter.
std::uint64_t UpperBytes(std::uint64_t v) {
    const std::uint64_t low7 = v & (kOnes * 0x7f);
    const std::uint64_t atLeastA = low7 + kOnes * (0x80 - 'A');
    const std::uint64_t aboveZ = low7 + kOnes * (0x80 - 'Z' - 1);
    return atLeastA & ~aboveZ & ~v & (kOnes * 0x80);
}

// Lower-cases the ASCII letters among eight bytes at once.
std::uint64_t FoldWord(std::uint64_t v) {
    return v | (UpperBytes(v) >> 2);
}

// Bit i for byte i of UpperBytes.
std::uint64_t UpperBits(std::uint64_t upperBytes) {
    return ((upperBytes >> 7) * 0x0102040810204080ULL) >> 56;
}

std::uint64_t Load8(const char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

void Store8(char* p, std::uint64_t v) {
    std::memcpy(p, &v, 8);
}

// Writes the lower-case form of text to stored and tells where its
// upper-case letters were, eight bytes at a time.
AddressSet::UpperCase StoreFolded(char* stored, std::string_view text) {
    AddressSet::UpperCase upper;
    const char* p = text.data();
    const std::size_t n = text.size();
    if (n < 8) {
        for (std::size_t i = 0; i < n; ++i) {
            const char c = p[i];
            const bool letter = c >= 'A' && c <= 'Z';
            stored[i] = letter ? static_cast<char>(c + ('a' - 'A')) : c;
            upper.first64 |= std::uint64_t{letter} << i;
        }
        return upper;
    }
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const std::uint64_t v = Load8(p + i);
        const std::uint64_t bytes = UpperBytes(v);
        Store8(stored + i, v | (bytes >> 2));
        if (i < 64)
            upper.first64 |= UpperBits(bytes) << i;
        else
            upper.later = upper.later || bytes != 0;
    }
    if (i < n) {
        // The last eight bytes, of which the first 8 - (n - i) are done.
        const std::size_t last = n - 8;
        const std::uint64_t v = Load8(p + last);
        const std::uint64_t bytes = UpperBytes(v);
        Store8(stored + last, v | (bytes >> 2));
        const std::uint64_t bits = UpperBits(bytes) >> (i - last);
        if (i < 64) // then i <= 56 and the bits end before 64
            upper.first64 |= bits << i;
        else
            upper.later = upper.later || bits != 0;
    }
    return upper;
}

// The last n (< 8) bytes before end, as the low bytes of a word. When the
// text has eight bytes or more they are read in one load that overlaps the
// bytes already taken.
std::uint64_t LoadTail(const char* end, std::size_t n, std::size_t total) {
    if (n == 0)
        return 0;
    if (total >= 8)
        return Load8(end - 8) >> (8 * (8 - n));
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < n; ++i)
        v |= std::uint64_t{static_cast<unsigned char>(
                 end[static_cast<std::ptrdiff_t>(i) - static_cast<std::ptrdiff_t>(n)])}
             << (8 * i);
    return v;
}

std::uint64_t Mix(std::uint64_t h) {
    h ^= h >> 32;
    h *= 0xd6e8feb86659fd93ULL;
    h ^= h >> 32;
    return h;
}

// Whether stored (lower-case) equals the lower-case form of text; same length.
bool EqualsFolded(const char* stored, std::string_view text) {
    const char* p = text.data();
    std::size_t n = text.size();
    // One branch at the end: a mismatch is rare once tag and length agree.
    std::uint64_t difference = 0;
    for (; n >= 8; n -= 8, p += 8, stored += 8)
        difference |= FoldWord(Load8(p)) ^ Load8(stored);
    difference |= FoldWord(LoadTail(p + n, n, text.size())) ^ LoadTail(stored + n, n, text.size());
    return difference == 0;
}

std::string LowerCased(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + ('a' - 'A'));
    return lower;
}

} // namespace

std::uint64_t AddressSet::Hash(std::string_view text, std::uint64_t seed) {
    // Setting bit 5 of every byte gives both letter cases of a letter the same
    // value, which is all the hash needs; among the bytes of an address it
    // merges nothing else. The seed is part of the starting state: every
    // step after it is a bijection, so each seed gives a different function.
    constexpr std::uint64_t kCaseBits = kOnes * 0x20;
    const char* p = text.data();
    std::size_t n = text.size();
    std::uint64_t h = seed ^ 0x9e3779b97f4a7c15ULL ^ n;
    for (; n >= 8; n -= 8, p += 8) {
        h = (h ^ (Load8(p) | kCaseBits)) * 0xbf58476d1ce4e5b9ULL;
        h ^= h >> 29;
    }
    h = (h ^ (LoadTail(p + n, n, text.size()) | kCaseBits)) * 0x94d049bb133111ebULL;
    return Mix(h);
}

AddressSet::AddressSet(std::uint64_t seed, std::size_t chunkBytes, Counting counting,
                       std::uint32_t widenAt)
    : seed_(seed), chunkSize_(std::clamp<std::size_t>(chunkBytes, kCacheLine, kChunkBytes)),
      headerBytes_(counting == Counting::kOn ? kCountedHeaderBytes : kLengthBytes),
      widenAt_(std::clamp<std::uint32_t>(widenAt, 1, kWidenCountsAt)),
      slotMemory_(kInitialSlots * sizeof(Slot)), slots_(static_cast<Slot*>(slotMemory_.data())),
      capacity_(kInitialSlots) {}

std::string_view AddressSet::Key(KeyReference reference) const {
    const char* record = KeyRecord(reference);
    std::uint32_t length;
    std::memcpy(&length, record, kLengthBytes);
    return {record + headerBytes_, length};
}

AddressSet::Tally AddressSet::TallyOf(std::uint32_t reference) const {
    Tally tally;
    std::memcpy(&tally, KeyRecord(reference) + kLengthBytes, sizeof tally);
    return tally;
}

void AddressSet::SetTally(std::uint32_t reference, const Tally& tally) {
    std::memcpy(const_cast<char*>(KeyRecord(reference)) + kLengthBytes, &tally, sizeof tally);
}

void AddressSet::Count(std::uint32_t reference) {
    Tally tally = TallyOf(reference);
    if (tally.count == kWide) {
        CountWide(reference);
        return;
    }
    EnterStretch(tally, reference);
    if (tally.count + 1 < widenAt_) {
        ++tally.count;
    } else {
        // Rare: the count goes on in 64 bits, away from the key.
        wide_[reference] =
            WideTally{std::uint64_t{tally.count} + 1, tally.stretch, tally.stretchBefore};
        tally.count = kWide;
    }
    SetTally(reference, tally);
}

void AddressSet::CountWide(std::uint32_t reference) {
    WideTally& tally = wide_[reference];
    EnterStretch(tally, reference);
    ++tally.count;
}

void AddressSet::VoidStretch(std::uint32_t stretch) {
    if (voided_.size() <= stretch)
        voided_.resize(stretch + 1);
    voided_[stretch] = true;
}

void AddressSet::VoidFile() {
    for (std::uint32_t stretch = fileStretch_; stretch <= stretch_; ++stretch)
        VoidStretch(stretch);
    // A key the file counted in one stretch goes back by that stretch; one it
    // counted in several, to its count before the file (kept wide if the
    // key's count went wide; narrow counts before were below widenAt).
    for (const auto& [reference, before] : fileBefore_) {
        if (TallyOf(reference).count == kWide) {
            wide_[reference] = WideTally{before, 0, before};
        } else {
            const auto narrow = static_cast<std::uint32_t>(before);
            SetTally(reference, Tally{narrow, 0, narrow});
        }
    }
    fileBefore_.clear();
}

std::uint64_t AddressSet::Occurrences(KeyReference reference) const {
    if (headerBytes_ != kCountedHeaderBytes)
        return 0; // not counted
    const Tally tally = TallyOf(reference);
    if (tally.count == kWide) {
        const WideTally& wide = wide_.at(reference);
        return Voided(wide.stretch) ? wide.stretchBefore : wide.count;
    }
    return Voided(tally.stretch) ? tally.stretchBefore : tally.count;
}

AddressSet::Probe AddressSet::Find(std::string_view address, std::uint32_t tag) const {
    Probe probe;
    probe.slot = kNowhere;
    const std::size_t mask = capacity_ - 1;
    std::size_t i = Home(tag);
    for (std::size_t step = 0; step < kMaxProbe; ++step, i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        // One compare tells an empty or erased slot (0 and all ones) from a
        // key's: most slots passed hold another key.
        static_assert(kEmptyKey == 0 && kErasedKey == UINT32_MAX);
        if (slot.key + 1 <= 1) {
            if (probe.slot == kNowhere)
                probe.slot = i;
            if (slot.key == kEmptyKey)
                return probe;
            continue;
        }
        if (slot.tag != tag)
            continue;
        const char* record = KeyRecord(slot.key);
        std::uint32_t length;
        std::memcpy(&length, record, kLengthBytes);
        if (length == address.size() && EqualsFolded(record + headerBytes_, address)) {
            probe.found = true;
            probe.slot = i;
            return probe;
        }
    }
    // The whole probe run is taken: the key may have gone to the overflow set.
    if (!overflow_.empty() && InOverflow(address)) {
        probe.found = true;
        probe.inOverflow = true;
    }
    return probe;
}

std::uint32_t AddressSet::FoundKey(const Probe& probe, std::string_view address) const {
    return probe.inOverflow ? overflow_.find(LowerCased(address))->second : slots_[probe.slot].key;
}

bool AddressSet::InOverflow(std::string_view address) const {
    return overflow_.count(LowerCased(address)) != 0;
}

bool AddressSet::InsertLowerCased(std::string_view address, std::uint64_t hash) {
    const std::uint32_t tag = Tag(hash);
    const Probe probe = Find(address, tag);
    const bool counting = headerBytes_ == kCountedHeaderBytes;
    if (probe.found) {
        if (counting)
            Count(FoundKey(probe, address));
        return false;
    }
    const std::uint32_t key = StoreLowerCased(address);
    if (counting)
        Count(key);
    lastKey_ = key;
    // Keep the slots in use, erased ones included, at or below 3/4.
    const std::size_t used = count_ - overflow_.size() + tombstones_;
    if ((used + 1) * 4 > capacity_ * 3) {
        Grow();
        Place(key, tag);
    } else if (probe.slot == kNowhere) {
        overflow_.emplace(Key(key), key);
    } else {
        if (slots_[probe.slot].key == kErasedKey)
            --tombstones_;
        slots_[probe.slot] = Slot{tag, key};
    }
    ++count_;
    return true;
}

std::size_t AddressSet::MemoryBytes() const {
    // A key in the overflow set costs a tree node beyond its record.
    constexpr std::size_t kOverflowNodeBytes = 64;
    constexpr std::size_t kWideNodeBytes = 48;
    return arenaBytes_ + capacity_ * sizeof(Slot) + overflow_.size() * kOverflowNodeBytes +
           wide_.size() * kWideNodeBytes;
}

void AddressSet::Erase(std::string_view address, std::uint64_t hash) {
    const Probe probe = Find(address, Tag(hash));
    if (!probe.found)
        return;
    if (probe.inOverflow) {
        overflow_.erase(LowerCased(address));
    } else {
        // Probe runs that pass this slot must still pass it.
        slots_[probe.slot].key = kErasedKey;
        ++tombstones_;
    }
    --count_;
}

void AddressSet::Place(std::uint32_t key, std::uint32_t tag) {
    const std::size_t mask = capacity_ - 1;
    std::size_t i = Home(tag);
    for (std::size_t step = 0; step < kMaxProbe; ++step, i = (i + 1) & mask) {
        if (slots_[i].key == kEmptyKey) {
            slots_[i] = Slot{tag, key};
            return;
        }
    }
    overflow_.emplace(Key(key), key);
}

std::uint32_t AddressSet::StoreLowerCased(std::string_view address) {
    if (address.size() > UINT32_MAX)
        throw std::length_error("address too long to hold");
    const std::size_t need =
        (headerBytes_ + address.size() + kRecordAlign - 1) / kRecordAlign * kRecordAlign;
    auto newChunk = [&](std::size_t bytes) {
        if (chunkStarts_.size() == kMaxChunks)
            throw std::length_error("too many distinct addresses to hold");
        chunkStarts_.reserve(chunkStarts_.size() + 1);
        if (bytes == kChunkBytes && !spareChunks_.empty()) {
            chunkStarts_.push_back(spareChunks_.back());
            spareChunks_.pop_back();
            return;
        }
        chunks_.reserve(chunks_.size() + 1);
        chunks_.emplace_back(bytes);
        arenaBytes_ += bytes;
        chunkStarts_.push_back(static_cast<char*>(chunks_.back().data()));
    };
    if (chunkStarts_.empty()) {
        newChunk(chunkSize_);
        chunkUsed_ = kRecordAlign; // reference 0 stays unused
    }
    std::size_t offset;
    if (need > chunkSize_ / 4) { // a big key gets a chunk of its own
        newChunk(need);
        offset = 0;
        // Later keys go to a fresh chunk of the usual size.
        chunkUsed_ = chunkSize_;
    } else {
        if (need > chunkSize_ - chunkUsed_) {
            newChunk(chunkSize_);
            chunkUsed_ = 0;
        }
        offset = chunkUsed_;
        chunkUsed_ += need;
    }
    char* record = chunkStarts_.back() + offset;
    const auto length = static_cast<std::uint32_t>(address.size());
    std::memcpy(record, &length, kLengthBytes);
    if (headerBytes_ == kCountedHeaderBytes) {
        const Tally fresh;
        std::memcpy(record + kLengthBytes, &fresh, sizeof fresh);
    }
    lastUpperCase_ = StoreFolded(record + headerBytes_, address);
    return static_cast<std::uint32_t>((chunkStarts_.size() - 1) << kOffsetBits |
                                      offset / kRecordAlign);
}

void AddressSet::Grow() {
    LargeBlock old = std::move(slotMemory_);
    const Slot* oldSlots = slots_;
    const std::size_t oldCapacity = capacity_;
    capacity_ *= 2;
    slotMemory_ = LargeBlock(capacity_ * sizeof(Slot));
    slots_ = static_cast<Slot*>(slotMemory_.data());
    for (std::size_t from = 0; from < oldCapacity; ++from) {
        const Slot& slot = oldSlots[from];
        if (slot.key != kEmptyKey && slot.key != kErasedKey)
            Place(slot.key, slot.tag);
    }
    tombstones_ = 0;
    // The larger table may have room where the old one had none.
    auto overflow = std::move(overflow_);
    overflow_.clear();
    for (const auto& [stored, key] : overflow)
        Place(key, Tag(Hash(stored)));
    // A large outgrown table becomes room for keys. Its pages are in memory
    // already, while every fresh page must be cleared (and on a virtual
    // machine often fetched from the host) when first touched, which for
    // the tens of megabytes of a million keys is a good part of a run.
    const std::size_t oldBytes = oldCapacity * sizeof(Slot);
    if (oldBytes >= kChunkBytes) {
        chunks_.reserve(chunks_.size() + 1);
        spareChunks_.reserve(spareChunks_.size() + oldBytes / kChunkBytes);
        char* start = static_cast<char*>(old.data());
        chunks_.push_back(std::move(old));
        arenaBytes_ += oldBytes;
        for (std::size_t piece = oldBytes / kChunkBytes; piece-- > 0;)
            spareChunks_.push_back(start + piece * kChunkBytes);
    }
}

} // namespace ornavex
