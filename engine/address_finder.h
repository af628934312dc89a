#pragma once

#include "engine/address_pattern.h"
#include "engine/character_classes.h"
#include "engine/wide_separators.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#define ORNAVEX_FINDER_SSE2 1
#include <emmintrin.h>
#endif

namespace ornavex {

namespace address_finder_detail {

// The word around one '@': where it ends (its separator, or the end of the
// text) and, when it holds an address, where that address lies.
struct WordAtSign {
    const char* wordEnd = nullptr;
    const char* addressStart = nullptr; // null when the word is no address
    const char* addressEnd = nullptr;
};

// The word around at, one byte at a time: the word cut at its separators,
// one trailing period dropped, checked against the pattern. done is where
// the previous word ended (a separator) or the start of the text.
inline WordAtSign ExamineWordScalar(const char* done, const char* at, const char* end,
                                    AddressPattern pattern) {
    const char* start = WordStart(done, at);
    const char* stop = FindSeparator(at + 1, end);
    WordAtSign word;
    word.wordEnd = stop;
    const char* last = stop[-1] == '.' ? stop - 1 : stop;
    if (IsEmailAddress(std::string_view(start, static_cast<std::size_t>(last - start)), pattern)) {
        word.addressStart = start;
        word.addressEnd = last;
    }
    return word;
}

#ifdef ORNAVEX_FINDER_SSE2

// Masks over 32 bytes, bit i for byte i.
struct ByteMasks {
    std::uint32_t local = 0;  // may stand in a local part
    std::uint32_t label = 0;  // letters, digits, '-'
    std::uint32_t dot = 0;    // '.'
    std::uint32_t letter = 0; // ASCII letters
};

template <AddressPattern kPattern> inline ByteMasks ClassifyHalf(__m128i x) {
    // Signed compares: bytes from 0x80 up are negative and fall outside every
    // ASCII range. Setting bit 5 maps 'A'..'Z' onto 'a'..'z' and nothing else
    // onto them.
    auto inRange = [](__m128i v, char lo, char hi) {
        return _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(static_cast<char>(lo - 1))),
                             _mm_cmplt_epi8(v, _mm_set1_epi8(static_cast<char>(hi + 1))));
    };
    const __m128i letter = inRange(_mm_or_si128(x, _mm_set1_epi8(0x20)), 'a', 'z');
    const __m128i label = _mm_or_si128(_mm_or_si128(letter, inRange(x, '0', '9')),
                                       _mm_cmpeq_epi8(x, _mm_set1_epi8('-')));
    const __m128i dot = _mm_cmpeq_epi8(x, _mm_set1_epi8('.'));
    __m128i local = _mm_or_si128(_mm_or_si128(label, dot), _mm_cmpeq_epi8(x, _mm_set1_epi8('_')));
    if constexpr (kPattern == AddressPattern::kSubAddresses)
        local = _mm_or_si128(local, _mm_cmpeq_epi8(x, _mm_set1_epi8('+')));
    ByteMasks masks;
    masks.local = static_cast<std::uint32_t>(_mm_movemask_epi8(local));
    masks.label = static_cast<std::uint32_t>(_mm_movemask_epi8(label));
    masks.dot = static_cast<std::uint32_t>(_mm_movemask_epi8(dot));
    masks.letter = static_cast<std::uint32_t>(_mm_movemask_epi8(letter));
    return masks;
}

template <AddressPattern kPattern> inline ByteMasks Classify32(const char* p) {
    const ByteMasks low =
        ClassifyHalf<kPattern>(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    const ByteMasks high =
        ClassifyHalf<kPattern>(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)));
    ByteMasks masks;
    masks.local = low.local | high.local << 16;
    masks.label = low.label | high.label << 16;
    masks.dot = low.dot | high.dot << 16;
    masks.letter = low.letter | high.letter << 16;
    return masks;
}

inline std::uint32_t LowBits(int n) {
    return n >= 32 ? ~std::uint32_t{0} : (std::uint32_t{1} << n) - 1;
}

// The word around at from two 32-byte windows, one each side of the '@';
// false when the text is too short there or the word outgrows a window.
template <AddressPattern kPattern>
inline bool ExamineWordVector(const char* begin, const char* at, const char* end,
                              WordAtSign& word) {
    constexpr int kWindow = 32;
    if (at - begin < kWindow || end - (at + 1) < kWindow)
        return false;

    // The local part: back to the last byte before the '@' that cannot stand
    // in one. The previous word's separator, if that near, is such a byte
    // (the last byte of a wide one); the word is an address only when it is.
    const std::uint32_t notLocal = ~Classify32<kPattern>(at - kWindow).local;
    if (notLocal == 0)
        return false;
    const char* before = at - kWindow + (31 - std::countl_zero(notLocal));
    const std::uint8_t beforeClass = ClassOf(*before);
    const bool localOk = before + 1 < at && (ClassOf(before[1]) & kLocalFirst) &&
                         ((beforeClass & kSeparator) ||
                          ((beforeClass & kWide) && WideSeparatorBefore(begin, before + 1)));

    // The domain: labels and periods up to the first other byte.
    const ByteMasks after = Classify32<kPattern>(at + 1);
    const std::uint32_t notDomain = ~(after.label | after.dot);
    if (notDomain == 0)
        return false;
    const int length = std::countr_zero(notDomain);
    const char* stop = at + 1 + length;
    if (stop < end && SeparatorAt(stop, end) == 0) { // a byte no address holds
        word.wordEnd = FindSeparator(stop, end);
        return true;
    }
    word.wordEnd = stop;
    if (!localOk)
        return true;

    // One trailing period is dropped; then the domain needs a period, no
    // empty label, and a top-level label of two letters or more.
    const int trailing = length > 0 && (after.dot >> (length - 1) & 1) ? 1 : 0;
    const int domainLength = length - trailing;
    const std::uint32_t dots = after.dot & LowBits(domainLength);
    if (dots == 0 || (dots & 1) || (dots & dots >> 1) || (dots >> (domainLength - 1) & 1))
        return true;
    const int topStart = 32 - std::countl_zero(dots);
    const std::uint32_t top = LowBits(domainLength) & ~LowBits(topStart);
    if (domainLength - topStart < 2 || (after.letter & top) != top)
        return true;
    word.addressStart = before + 1;
    word.addressEnd = at + 1 + domainLength;
    return true;
}

#endif

// The next '@' at or after p, or null.
inline const char* FindAtSign(const char* p, const char* end) {
#ifdef ORNAVEX_FINDER_SSE2
    // In address lists the next '@' is near: look at a few 16-byte blocks
    // before paying for a library call.
    const __m128i atSign = _mm_set1_epi8('@');
    for (int i = 0; i < 4 && end - p >= 16; ++i, p += 16) {
        const int hits = _mm_movemask_epi8(
            _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), atSign));
        if (hits != 0)
            return p + std::countr_zero(static_cast<unsigned>(hits));
    }
#endif
    return static_cast<const char*>(std::memchr(p, '@', static_cast<std::size_t>(end - p)));
}

} // namespace address_finder_detail

// Which word check FindAddresses uses: the fastest the machine offers, or
// the plain one, byte by byte (to compare the two).
enum class WordCheck { kFastest, kScalar };

namespace address_finder_detail {

template <AddressPattern kPattern, class OnAddress>
void FindAddressesWith(std::string_view text, OnAddress& onAddress, WordCheck check) {
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* done = begin; // everything before this has been examined
    while (done < end) {
        const char* at = FindAtSign(done, end);
        if (at == nullptr)
            return;
        WordAtSign word;
#ifdef ORNAVEX_FINDER_SSE2
        if (check == WordCheck::kScalar || !ExamineWordVector<kPattern>(begin, at, end, word))
            word = ExamineWordScalar(done, at, end, kPattern);
#else
        (void)check;
        word = ExamineWordScalar(done, at, end, kPattern);
#endif
        done = word.wordEnd;
        if (word.addressStart != nullptr)
            onAddress(std::string_view(
                word.addressStart, static_cast<std::size_t>(word.addressEnd - word.addressStart)));
    }
}

} // namespace address_finder_detail

// Calls onAddress for every address of text, repeats included, in text
// order: each word that, after one trailing period is dropped, matches the
// address pattern. Words are found from their '@' signs and checked in the
// same pass that finds their ends; the text must hold whole words, and a
// wide separator (wide_separators.h) whole. Gives the same addresses as
// cutting candidate words and testing IsEmailAddress on each (words never
// hold '[' or ']', so the bracket forms cannot occur).
template <class OnAddress>
void FindAddresses(std::string_view text, OnAddress&& onAddress,
                   WordCheck check = WordCheck::kFastest,
                   AddressPattern pattern = AddressPattern::kSubAddresses) {
    using namespace address_finder_detail;
    if (pattern == AddressPattern::kClassic)
        FindAddressesWith<AddressPattern::kClassic>(text, onAddress, check);
    else
        FindAddressesWith<AddressPattern::kSubAddresses>(text, onAddress, check);
}

} // namespace ornavex
