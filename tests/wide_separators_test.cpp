#include "engine/wide_separators.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <string>

namespace ornavex {
namespace {

TEST(WideSeparators, TableHoldsExactlyTheRanges) {
    const CodePointRange* range = std::begin(kWideSeparatorRanges);
    char32_t count = 0;
    for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        while (range != std::end(kWideSeparatorRanges) && range->last < cp)
            ++range;
        const bool listed = range != std::end(kWideSeparatorRanges) && range->first <= cp;
        ASSERT_EQ(IsWideSeparator(cp), listed) << std::hex << static_cast<std::uint32_t>(cp);
        count += listed;
    }
    EXPECT_EQ(count, kWideSeparatorCount);
    // What the table is for, and what it must leave alone.
    for (char32_t cp :
         {0x00A0, 0x00AB, 0x00BB, 0x2018, 0x2019, 0x201C, 0x201D, 0x2039, 0x203A, 0x2026, 0x2014,
          0x2013, 0x3000, 0x3001, 0x3002, 0x300C, 0x300D, 0xFF08, 0xFF09, 0xFF0C, 0xFF20, 0x11047})
        EXPECT_TRUE(IsWideSeparator(cp)) << std::hex << static_cast<std::uint32_t>(cp);
    for (char32_t cp : {0x00, 0x20, 0x2C, 0x40, 0x2E, 0x2D, 0x5F, 0x2B, 0x00E9, 0x00AD, 0x200B,
                        0x2028, 0x2029, 0xFEFF, 0x4E2D, 0xFF3F, 0xD800})
        EXPECT_FALSE(IsWideSeparator(cp)) << std::hex << static_cast<std::uint32_t>(cp);
}

// The engine's decoding against the plain one, which checks each byte
// against the standard's table of well-formed sequences: every sequence of
// two and three bytes, and of four with a lead that can start one.
TEST(WideSeparators, DecodingAgreesWithTheStandardsTable) {
    int separators = 0;
    std::string bytes(4, '\0');
    const auto check = [&](std::size_t size) {
        const std::string_view text(bytes.data(), size);
        const std::size_t expected = testing::ReferenceWideSeparatorLength(text, 0);
        const char* begin = bytes.data();
        ASSERT_EQ(WideSeparatorAt(begin, begin + size), expected)
            << std::hex << int(static_cast<unsigned char>(bytes[0])) << " "
            << int(static_cast<unsigned char>(bytes[1])) << " "
            << int(static_cast<unsigned char>(bytes[2]));
        if (expected == size) {
            ++separators;
            ASSERT_EQ(WideSeparatorBefore(begin, begin + size), size);
            ASSERT_EQ(WideSeparatorBefore(begin + 1, begin + size), 0u); // lead out of reach
            for (std::size_t open = 1; open < size; ++open)
                ASSERT_EQ(OpenSeparatorLength(begin, begin + open), open);
            ASSERT_EQ(OpenSeparatorLength(begin, begin + size), 0u);
        }
    };
    for (int a = 0x80; a <= 0xFF; ++a) {
        bytes[0] = static_cast<char>(a);
        for (int b = 0; b <= 0xFF; ++b) {
            bytes[1] = static_cast<char>(b);
            check(2);
            if (a < 0xE0)
                continue;
            for (int c = 0; c <= 0xFF; ++c) {
                bytes[2] = static_cast<char>(c);
                check(3);
                if (a < 0xF0 || a > 0xF4 || b < 0x80 || b > 0xBF || c < 0x80 || c > 0xBF)
                    continue;
                for (int d = 0; d <= 0xFF; ++d) {
                    bytes[3] = static_cast<char>(d);
                    check(4);
                }
            }
        }
    }
    EXPECT_EQ(separators, static_cast<int>(kWideSeparatorCount));
}

} // namespace
} // namespace ornavex
