#include "engine/address_set.h"

#include <gtest/gtest.h>
#include <string>

namespace ornavex {
namespace {

TEST(AddressSet, IgnoresAsciiLetterCaseOnly) {
    AddressSet set;
    EXPECT_TRUE(set.InsertLowerCased("Ann@Example.ORG"));
    EXPECT_FALSE(set.InsertLowerCased("ann@example.org"));
    EXPECT_FALSE(set.InsertLowerCased("ANN@EXAMPLE.ORG"));
    EXPECT_TRUE(set.Contains("ann@example.org"));
    EXPECT_TRUE(set.Contains("Ann@Example.ORG"));
    // Bytes outside A-Z are compared exactly.
    EXPECT_TRUE(set.InsertLowerCased("\xC3\x89@x.com"));
    EXPECT_TRUE(set.InsertLowerCased("\xC3\xA9@x.com"));
    EXPECT_EQ(set.size(), 3u);
}

TEST(AddressSet, KeepsEveryKeyThroughGrowth) {
    AddressSet set;
    constexpr int kCount = 200000;
    for (int i = 0; i < kCount; ++i)
        ASSERT_TRUE(set.InsertLowerCased("User" + std::to_string(i) + "@Example.com"));
    EXPECT_EQ(set.size(), static_cast<std::size_t>(kCount));
    for (int i = 0; i < kCount; ++i)
        ASSERT_TRUE(set.Contains("user" + std::to_string(i) + "@example.com")) << i;
    EXPECT_FALSE(set.Contains("user" + std::to_string(kCount) + "@example.com"));
    for (int i = 0; i < kCount; i += 997)
        ASSERT_FALSE(set.InsertLowerCased("USER" + std::to_string(i) + "@EXAMPLE.COM"));
}

TEST(AddressSet, KeysStoredWhereOutgrownTablesWereStayIntact) {
    // Past about 800,000 keys the set has outgrown tables of 4 and 8 MiB,
    // whose memory then holds the keys that follow; a table reused too soon,
    // or a piece handed out twice, would change keys stored earlier.
    AddressSet set;
    constexpr int kCount = 1'600'000;
    auto key = [](int i) { return "K" + std::to_string(i) + "@x.io"; };
    for (int i = 0; i < kCount; ++i)
        ASSERT_TRUE(set.InsertLowerCased(key(i))) << i;
    for (int i = 0; i < kCount; ++i)
        ASSERT_FALSE(set.InsertLowerCased(key(i))) << i;
    EXPECT_EQ(set.size(), static_cast<std::size_t>(kCount));
    EXPECT_FALSE(set.Contains(key(kCount)));
}

TEST(AddressSet, StoresEmptyAndVeryLongKeys) {
    AddressSet set;
    EXPECT_TRUE(set.InsertLowerCased(""));
    EXPECT_FALSE(set.InsertLowerCased(""));
    const std::string longKey(3 << 20, 'a'); // larger than an arena chunk
    EXPECT_TRUE(set.InsertLowerCased(longKey + "@x.com"));
    EXPECT_TRUE(set.InsertLowerCased("short@x.com"));
    EXPECT_FALSE(set.InsertLowerCased(longKey + "@X.COM"));
    EXPECT_TRUE(set.Contains("short@x.com"));
    EXPECT_TRUE(set.Contains(""));
    // Keys that differ only past the first eight bytes are told apart.
    EXPECT_TRUE(set.InsertLowerCased("abcdefgh1@x.com"));
    EXPECT_TRUE(set.InsertLowerCased("abcdefgh2@x.com"));
}

} // namespace
} // namespace ornavex
