#include "run/record_log.h"
#include "run/record_sorter.h"
#include "run/sorted_keys.h"
#include "test_support.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace ornavex {
namespace {

using Records = std::vector<std::pair<std::string, std::string>>;

// Keys over a small alphabet with the bytes that sort first and last, so
// many are equal or begin one another; now and then a value far longer
// than a read window.
Records RandomRecords(std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    const std::string alphabet("\0ab\xff", 4);
    Records records;
    for (std::size_t i = 0; i < count; ++i) {
        std::string key(random() % 11, ' ');
        for (char& c : key)
            c = alphabet[random() % alphabet.size()];
        std::string value = std::to_string(i);
        if (i % 997 == 0)
            value.append(3 << 19, 'v');
        records.emplace_back(std::move(key), std::move(value));
    }
    return records;
}

// The external merge sort against a stable sort in memory (keys compared as
// unsigned bytes), with memory for all of it, for some of it, and for no
// record at all: every record a run of its own, merged in several passes.
TEST(RecordSorter, SortsAsAStableSortDoesWithAnyMemory) {
    const Records records = RandomRecords(6000, 3);
    Records want = records;
    std::stable_sort(want.begin(), want.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const std::size_t memory :
         {std::size_t{1} << 30, std::size_t{256} << 10, std::size_t{1}}) {
        testing::TempDir dir;
        RecordSorter sorter(dir.path(), memory);
        for (const auto& [key, value] : records)
            sorter.Add(key, value);
        Records got;
        for (std::string_view key, value; sorter.Next(key, value);)
            got.emplace_back(key, value);
        EXPECT_TRUE(got == want) << memory;
        EXPECT_EQ(sorter.DiskBytes() == 0, memory == std::size_t{1} << 30) << memory;
    }
}

// Records read back as written, from memory and from the file they went to.
TEST(RecordLog, ReadsBackWhatWasAppended) {
    const Records records = RandomRecords(10000, 5);
    for (const std::size_t memory : {std::size_t{1} << 30, std::size_t{1}}) {
        testing::TempDir dir;
        RecordLog log(dir.path(), memory);
        for (const auto& record : records)
            log.Append(record.second + record.first);
        EXPECT_EQ(log.size(), records.size());
        EXPECT_EQ(log.DiskBytes() == 0, memory != 1);
        RecordLog::Reader reader = log.Read();
        std::string_view got;
        for (const auto& record : records) {
            ASSERT_TRUE(reader.Next(got));
            ASSERT_EQ(got, record.second + record.first);
        }
        EXPECT_FALSE(reader.Next(got));
    }
}

// A sorted list on disk answers as a plain set does, and reads back in order.
TEST(SortedKeys, AnswersAsAPlainSetDoes) {
    testing::TempDir dir;
    std::set<std::string> plain;
    std::mt19937 random(9);
    for (int i = 0; i < 30000; ++i)
        plain.insert("k" + std::to_string(random() % 50000) + "@x.org");
    SortedKeys keys(dir.path());
    for (const std::string& key : plain) {
        keys.Add(key);
        keys.Add(key); // a repeat is skipped
    }
    keys.Finish();
    EXPECT_EQ(keys.size(), plain.size());
    for (int i = 0; i < 50000; i += 7) {
        const std::string key = "k" + std::to_string(i) + "@x.org";
        ASSERT_EQ(keys.Contains(key), plain.count(key) == 1) << key;
    }
    EXPECT_FALSE(keys.Contains(""));
    EXPECT_FALSE(keys.Contains("zz"));
    FramedReader reader = keys.Read();
    std::string_view got;
    for (const std::string& key : plain) {
        ASSERT_TRUE(reader.Next(got));
        ASSERT_EQ(got, key);
    }
    EXPECT_FALSE(reader.Next(got));
}

} // namespace
} // namespace ornavex
