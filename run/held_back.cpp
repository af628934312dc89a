#include "run/held_back.h"

#include <array>
#include <cstring>

namespace ornavex {
namespace {

// For each byte of a mask, the word that turns the letters it marks among
// eight lower-case bytes to upper case.
constexpr std::array<std::uint64_t, 256> kRaise = [] {
    std::array<std::uint64_t, 256> raise{};
    for (unsigned bits = 0; bits < 256; ++bits)
        for (unsigned i = 0; i < 8; ++i)
            if (bits & (1u << i))
                raise[bits] |= std::uint64_t{'a' - 'A'} << (8 * i);
    return raise;
}();

} // namespace

void HeldBack::Add(std::string_view address) {
    // The set found the letters while storing the key.
    const AddressSet::UpperCase upper = set_.LastUpperCase();
    const bool mixed = upper.first64 != 0 || upper.later;
    std::uint32_t spelling = kLowerCase;
    const bool spelled = address.size() <= kSpelledBytes; // by a mask
    if (mixed && spelled && upper.first64 < kInlineMask) {
        spelling = kInlineMask | static_cast<std::uint32_t>(upper.first64);
    } else if (mixed && spelled) {
        spelling = static_cast<std::uint32_t>(masks_.size());
        masks_.push_back(upper.first64);
    } else if (mixed) {
        spelling = kKeptWhole | static_cast<std::uint32_t>(whole_.size());
        whole_.append(address);
    }
    entries_.push_back({set_.LastKey(), spelling});
}

std::string_view HeldBack::Spelling(const Entry& entry) {
    const std::string_view key = set_.Key(entry.key);
    if (entry.spelling == kLowerCase)
        return key;
    if (entry.spelling & kKeptWhole)
        return std::string_view(whole_).substr(entry.spelling & ~kKeptWhole, key.size());
    // Eight bytes at a time; bytes past the key are carried along unchanged.
    std::memcpy(spelled_, key.data(), key.size());
    std::uint64_t mask =
        entry.spelling & kInlineMask ? entry.spelling & ~kInlineMask : masks_[entry.spelling];
    for (std::size_t i = 0; i < key.size(); i += 8, mask >>= 8) {
        std::uint64_t word;
        std::memcpy(&word, spelled_ + i, 8);
        word ^= kRaise[mask & 0xFF];
        std::memcpy(spelled_ + i, &word, 8);
    }
    return {spelled_, key.size()};
}

void HeldBack::Void(std::size_t first) {
    for (std::size_t i = first; i < entries_.size(); ++i) {
        const std::string_view key = set_.Key(entries_[i].key);
        set_.Erase(key, set_.Hash(key));
    }
    if (first == 0)
        Clear();
    else
        entries_.resize(first); // the spellings they kept go with the file
}

void HeldBack::Clear() {
    entries_.clear();
    masks_.clear();
    whole_.clear();
}

} // namespace ornavex
