#include "engine/address_set.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <map>
#include <random>
#include <set>
#include <string>

namespace ornavex {
namespace {

using testing::InsertLowerCased;

// Whether the set holds address, without keeping it: a key inserted to
// look is taken out again.
bool Holds(AddressSet& set, std::string_view address) {
    if (!InsertLowerCased(set, address))
        return true;
    set.Erase(address, set.Hash(address));
    return false;
}

TEST(AddressSet, IgnoresAsciiLetterCaseOnly) {
    AddressSet set;
    EXPECT_TRUE(InsertLowerCased(set, "Ann@Example.ORG"));
    EXPECT_FALSE(InsertLowerCased(set, "ann@example.org"));
    EXPECT_FALSE(InsertLowerCased(set, "ANN@EXAMPLE.ORG"));
    EXPECT_TRUE(Holds(set, "ann@example.org"));
    EXPECT_TRUE(Holds(set, "Ann@Example.ORG"));
    // Bytes outside A-Z are compared exactly.
    EXPECT_TRUE(InsertLowerCased(set, "\xC3\x89@x.com"));
    EXPECT_TRUE(InsertLowerCased(set, "\xC3\xA9@x.com"));
    EXPECT_EQ(set.size(), 3u);
}

TEST(AddressSet, KeepsEveryKeyThroughGrowth) {
    AddressSet set;
    constexpr int kCount = 200000;
    for (int i = 0; i < kCount; ++i)
        ASSERT_TRUE(InsertLowerCased(set, "User" + std::to_string(i) + "@Example.com"));
    EXPECT_EQ(set.size(), static_cast<std::size_t>(kCount));
    for (int i = 0; i < kCount; ++i)
        ASSERT_TRUE(Holds(set, "user" + std::to_string(i) + "@example.com")) << i;
    EXPECT_FALSE(Holds(set, "user" + std::to_string(kCount) + "@example.com"));
    for (int i = 0; i < kCount; i += 997)
        ASSERT_FALSE(InsertLowerCased(set, "USER" + std::to_string(i) + "@EXAMPLE.COM"));
}

TEST(AddressSet, KeysStoredWhereOutgrownTablesWereStayIntact) {
    // Past about 800,000 keys the set has outgrown tables of 4 and 8 MiB,
    // whose memory then holds the keys that follow; a table reused too soon,
    // or a piece handed out twice, would change keys stored earlier.
    AddressSet set;
    constexpr int kCount = 1'600'000;
    auto key = [](int i) { return "K" + std::to_string(i) + "@x.io"; };
    for (int i = 0; i < kCount; ++i)
        ASSERT_TRUE(InsertLowerCased(set, key(i))) << i;
    for (int i = 0; i < kCount; ++i)
        ASSERT_FALSE(InsertLowerCased(set, key(i))) << i;
    EXPECT_EQ(set.size(), static_cast<std::size_t>(kCount));
    EXPECT_FALSE(Holds(set, key(kCount)));
}

TEST(AddressSet, StoresEmptyAndVeryLongKeys) {
    AddressSet set;
    EXPECT_TRUE(InsertLowerCased(set, ""));
    EXPECT_FALSE(InsertLowerCased(set, ""));
    const std::string longKey(3 << 20, 'a'); // larger than an arena chunk
    EXPECT_TRUE(InsertLowerCased(set, longKey + "@x.com"));
    EXPECT_TRUE(InsertLowerCased(set, "short@x.com"));
    EXPECT_FALSE(InsertLowerCased(set, longKey + "@X.COM"));
    EXPECT_TRUE(Holds(set, "short@x.com"));
    EXPECT_TRUE(Holds(set, ""));
    // Keys that differ only past the first eight bytes are told apart.
    EXPECT_TRUE(InsertLowerCased(set, "abcdefgh1@x.com"));
    EXPECT_TRUE(InsertLowerCased(set, "abcdefgh2@x.com"));
}

// Keys that all share one hash cost a bounded probe each: the run of slots
// never grows past its limit, the rest goes to the ordered overflow.
TEST(AddressSet, KeysThatAllCollideKeepLookupsBounded) {
    static_assert(AddressSet::kMaxProbe <= 128, "a probe run is a few cache lines at most");
    AddressSet set;
    constexpr std::uint64_t kSameHash = 0x12345678'9abcdef0ULL;
    constexpr int kCount = 20000;
    auto key = [](int i) { return "flood" + std::to_string(i) + "@x.com"; };
    for (int i = 0; i < kCount; ++i)
        ASSERT_TRUE(set.InsertLowerCased(key(i), kSameHash)) << i;
    for (int i = 0; i < kCount; i += 7)
        ASSERT_FALSE(set.InsertLowerCased("FLOOD" + std::to_string(i) + "@X.COM", kSameHash)) << i;
    EXPECT_EQ(set.size(), static_cast<std::size_t>(kCount));
}

// Inserts and erases, with hashes squeezed into a few values so that probe
// runs fill, overflow and get holes, agree with a plain set throughout, and
// so does the walk over the keys; key references grow with each insert.
TEST(AddressSet, AgreesWithAPlainSetThroughInsertsAndErases) {
    AddressSet set;
    AddressSet::KeyReference lastKey = 0;
    std::set<std::string> reference;
    std::mt19937 random(7);
    auto hashOf = [](const std::string& key) {
        return AddressSet::Hash(key, 0) % 5 * 0x9e3779b9ULL;
    };
    for (int step = 0; step < 60000; ++step) {
        const std::string key = "k" + std::to_string(random() % 3000) + "@x.io";
        if (random() % 3 == 0) {
            set.Erase(key, hashOf(key));
            reference.erase(key);
        } else {
            const bool added = set.InsertLowerCased(key, hashOf(key));
            ASSERT_EQ(added, reference.insert(key).second) << step;
            if (added) {
                ASSERT_GT(set.LastKey(), lastKey);
                lastKey = set.LastKey();
            }
        }
        ASSERT_EQ(set.size(), reference.size()) << step;
    }
    std::multiset<std::string> walked;
    set.ForEachKey([&](AddressSet::KeyReference key) { walked.emplace(set.Key(key)); });
    EXPECT_EQ(walked, std::multiset<std::string>(reference.begin(), reference.end()));
    for (int i = 0; i < 3000; ++i) {
        const std::string key = "k" + std::to_string(i) + "@x.io";
        EXPECT_EQ(!set.InsertLowerCased(key, hashOf(key)), reference.count(key) == 1) << key;
    }
}

// Where the upper-case letters of a new key were, at every length and
// across the eight-byte steps, against a byte-by-byte reading.
TEST(AddressSet, TellsWhereTheUpperCaseLettersOfTheLastKeyWere) {
    AddressSet set;
    std::mt19937 random(11);
    for (int step = 0; step < 4000; ++step) {
        std::string key(random() % 100, 'a');
        for (char& c : key)
            c = "aZ@.M_\x80\xc3"[random() % 8];
        key += std::to_string(step); // new every time
        AddressSet::UpperCase expected;
        for (std::size_t i = 0; i < key.size(); ++i)
            if (key[i] >= 'A' && key[i] <= 'Z') {
                if (i < 64)
                    expected.first64 |= std::uint64_t{1} << i;
                else
                    expected.later = true;
            }
        ASSERT_TRUE(InsertLowerCased(set, key));
        EXPECT_EQ(set.LastUpperCase().first64, expected.first64) << key;
        EXPECT_EQ(set.LastUpperCase().later, expected.later) << key;
        std::string lower = key;
        for (char& c : lower)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c + ('a' - 'A'));
        EXPECT_EQ(set.Key(set.LastKey()), lower);
    }
}

// Occurrences counted in stretches (a file's text or a member of it), some voided alone and
// some with their whole file, against a plain 64-bit log of who counted
// what; and so again with the count where a tally widens to 64 bits lowered
// to a few, so that keys widen before, inside and across voided files.
TEST(AddressSet, CountsLeaveOutVoidedStretchesAndFilesAsAPlainLogDoes) {
    for (const std::uint32_t widenAt : {AddressSet::kWidenCountsAt, 1u, 3u, 20u}) {
        std::mt19937 random(11);
        AddressSet set(5, AddressSet::kMaxChunkBytes, AddressSet::Counting::kOn, widenAt);
        std::map<std::string, AddressSet::KeyReference> keys;
        // Every occurrence with its stretch, and the stretches and files voided.
        std::vector<std::pair<std::string, std::uint32_t>> log;
        std::set<std::uint32_t> voided;
        std::uint32_t stretchId = 0;
        for (int file = 0; file < 300; ++file) {
            const std::uint32_t fileStretch = ++stretchId;
            const int stretches = 1 + static_cast<int>(random() % 4);
            for (int k = 0; k < stretches; ++k) {
                if (k > 0)
                    ++stretchId;
                set.SetStretch(stretchId, fileStretch);
                for (int n = static_cast<int>(random() % 8); n > 0; --n) {
                    const std::string address = "k" + std::to_string(random() % 40) + "@x.org";
                    if (InsertLowerCased(set, address))
                        keys[address] = set.LastKey();
                    log.emplace_back(address, stretchId);
                }
                if (random() % 4 == 0) {
                    set.VoidStretch(stretchId);
                    voided.insert(stretchId);
                }
            }
            if (random() % 5 == 0) {
                set.VoidFile();
                for (std::uint32_t g = fileStretch; g <= stretchId; ++g)
                    voided.insert(g);
            }
        }
        std::map<std::string, std::uint64_t> counts;
        for (const auto& [address, counted] : log)
            if (!voided.count(counted))
                ++counts[address];
        for (const auto& [address, key] : keys)
            EXPECT_EQ(set.Occurrences(key), counts[address]) << address << " " << widenAt;
    }
}

TEST(AddressSet, EachSeedGivesOtherHashes) {
    const std::string key = "someone@example.org";
    EXPECT_EQ(AddressSet::Hash(key, 1), AddressSet::Hash("SomeOne@Example.ORG", 1));
    EXPECT_NE(AddressSet::Hash(key, 1), AddressSet::Hash(key, 2));
    EXPECT_EQ(AddressSet(5).Hash(key), AddressSet::Hash(key, 5));
}

} // namespace
} // namespace ornavex
