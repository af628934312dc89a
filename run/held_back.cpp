#include "run/held_back.h"

#include <cstring>

namespace ornavex {
namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ULL;

// One bit for each of eight bytes that is an upper-case ASCII letter.
unsigned UpperBits(std::uint64_t v) {
    const std::uint64_t low7 = v & (kOnes * 0x7f);
    const std::uint64_t atLeastA = low7 + kOnes * (0x80 - 'A');
    const std::uint64_t aboveZ = low7 + kOnes * (0x80 - 'Z' - 1);
    const std::uint64_t upper = (atLeastA & ~aboveZ & ~v & (kOnes * 0x80)) >> 7;
    return static_cast<unsigned>((upper * 0x0102040810204080ULL) >> 56); // byte i -> bit i
}

// A bit for each upper-case letter among the first 64 bytes of text, and
// whether there is one anywhere.
std::uint64_t UpperCaseMask(std::string_view text, bool& any) {
    std::uint64_t mask = 0;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t v;
        std::memcpy(&v, text.data() + i, 8);
        const std::uint64_t bits = UpperBits(v);
        if (i < 64)
            mask |= bits << i;
        any = any || bits != 0;
    }
    for (; i < text.size(); ++i)
        if (text[i] >= 'A' && text[i] <= 'Z') {
            any = true;
            if (i < 64)
                mask |= std::uint64_t{1} << i;
        }
    return mask;
}

} // namespace

void HeldBack::Add(std::string_view address) {
    bool upper = false;
    const std::uint64_t mask = UpperCaseMask(address, upper);
    std::uint32_t spelling = kLowerCase;
    if (upper && address.size() <= 64) {
        spelling = static_cast<std::uint32_t>(masks_.size());
        masks_.push_back(mask);
    } else if (upper) {
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
    spelled_.assign(key);
    const std::uint64_t mask = masks_[entry.spelling];
    for (std::size_t i = 0; i < spelled_.size(); ++i)
        if (mask >> i & 1)
            spelled_[i] = static_cast<char>(spelled_[i] - ('a' - 'A'));
    return spelled_;
}

void HeldBack::GiveBack(std::size_t first) {
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
