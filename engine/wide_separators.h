#pragma once

#include "engine/character_classes.h"
#include "engine/wide_separator_ranges.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace ornavex {

// Punctuation and spaces outside ASCII (typographic quotes, guillemets, CJK
// and full-width brackets, the ellipsis, the dashes, the no-break and
// ideographic spaces: wide_separator_ranges.h) end words just as ASCII
// punctuation does, where they stand as well-formed UTF-8. Bytes that are
// not well-formed UTF-8 stay inside their words, as any other byte outside
// ASCII does. A well-formed sequence is told by its own bytes, whatever comes
// before it, so a text is cut the same read forwards or backwards.

namespace wide_separator_detail {

// No wide separator lies at or above this code point; the table covers the
// code points below it in pages of 256, each a bitmap of 4 words.
inline constexpr char32_t kLimit = 0x20000;
inline constexpr std::size_t kPages = kLimit >> 8;

constexpr std::size_t UsedPages() {
    std::array<bool, kPages> used{};
    std::size_t count = 0;
    for (const CodePointRange range : kWideSeparatorRanges)
        for (char32_t cp = range.first; cp <= range.last; ++cp)
            if (!used[cp >> 8]) {
                used[cp >> 8] = true;
                ++count;
            }
    return count;
}

struct Table {
    std::array<std::uint8_t, kPages> page{}; // into bits; 0 is the empty page
    std::array<std::array<std::uint64_t, 4>, UsedPages() + 1> bits{};
};

inline constexpr Table kTable = [] {
    Table table;
    std::uint8_t next = 1;
    for (const CodePointRange range : kWideSeparatorRanges) {
        for (char32_t cp = range.first; cp <= range.last; ++cp) {
            std::uint8_t& page = table.page[cp >> 8];
            if (page == 0)
                page = next++;
            table.bits[page][cp >> 6 & 3] |= std::uint64_t{1} << (cp & 63);
        }
    }
    return table;
}();
static_assert(std::end(kWideSeparatorRanges)[-1].last < kLimit);
static_assert(UsedPages() < 255);

inline bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The length of the UTF-8 sequence a lead byte starts; 0 for a byte that
// starts none.
inline int SequenceLength(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

} // namespace wide_separator_detail

inline bool IsWideSeparator(char32_t cp) {
    using namespace wide_separator_detail;
    if (cp >= kLimit)
        return false;
    return kTable.bits[kTable.page[cp >> 8]][cp >> 6 & 3] >> (cp & 63) & 1;
}

// The length of the wide separator that starts at p, or 0.
inline std::size_t WideSeparatorAt(const char* p, const char* end) {
    using namespace wide_separator_detail;
    const auto lead = static_cast<unsigned char>(*p);
    const int length = SequenceLength(lead);
    if (length == 0 || end - p < length)
        return 0;
    char32_t cp = lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(p[i]);
        if (!IsContinuation(byte))
            return 0;
        cp = cp << 6 | (byte & 0x3F);
    }
    // A longer form than the code point needs is not well-formed.
    constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kShortest[length])
        return 0;
    return IsWideSeparator(cp) ? static_cast<std::size_t>(length) : 0;
}

// The length of the wide separator that ends just before q and starts at or
// after lowest, or 0.
inline std::size_t WideSeparatorBefore(const char* lowest, const char* q) {
    using namespace wide_separator_detail;
    const char* lead = q - 1;
    for (int back = 1; back < 4 && lead > lowest && IsContinuation(*lead); ++back)
        --lead;
    if (lead < lowest || IsContinuation(*lead))
        return 0;
    const std::size_t length = WideSeparatorAt(lead, q);
    return length == static_cast<std::size_t>(q - lead) ? length : 0;
}

// The length of the separator, ASCII or wide, that starts at p, or 0.
inline std::size_t SeparatorAt(const char* p, const char* end) {
    const std::uint8_t c = ClassOf(*p);
    if (c & kSeparator)
        return 1;
    return (c & kWide) ? WideSeparatorAt(p, end) : 0;
}

// The first separator at or after p, or end. A byte of ASCII costs one look
// at the class table, as it did before wide separators.
inline const char* FindSeparator(const char* p, const char* end) {
    for (; p < end; ++p) {
        const std::uint8_t c = ClassOf(*p);
        if ((c & (kSeparator | kWide)) && ((c & kSeparator) || WideSeparatorAt(p, end)))
            return p;
    }
    return end;
}

// Where the word that goes on at p started: just after the last separator
// before p, or lowest.
inline const char* WordStart(const char* lowest, const char* p) {
    for (; p > lowest; --p) {
        const std::uint8_t c = ClassOf(p[-1]);
        if ((c & (kSeparator | kWide)) && ((c & kSeparator) || WideSeparatorBefore(lowest, p)))
            return p;
    }
    return p;
}

// How many bytes at the end of text begin a wide separator that text ends
// too early to hold whole (a lead byte that starts one, and continuation
// bytes after it); 0 when none does. What follows tells whether they are one.
inline std::size_t OpenSeparatorLength(const char* begin, const char* end) {
    using namespace wide_separator_detail;
    const char* lead = end;
    while (lead > begin && end - lead < 3 && IsContinuation(lead[-1]))
        --lead;
    if (lead == begin)
        return 0;
    --lead;
    const auto byte = static_cast<unsigned char>(*lead);
    if (!(ClassOf(*lead) & kWide) || end - lead >= SequenceLength(byte))
        return 0;
    return static_cast<std::size_t>(end - lead);
}

} // namespace ornavex
