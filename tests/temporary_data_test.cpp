#include "run/partitioned_records.h"
#include "run/record_log.h"
#include "run/record_sorter.h"
#include "test_support.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
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
// record at all: every record a run of its own, merged in several passes;
// and with no folder to write to (memory 0 here), all in memory.
TEST(RecordSorter, SortsAsAStableSortDoesWithAnyMemory) {
    const Records records = RandomRecords(6000, 3);
    Records want = records;
    std::stable_sort(want.begin(), want.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const std::size_t memory :
         {std::size_t{1} << 30, std::size_t{256} << 10, std::size_t{1}, std::size_t{0}}) {
        testing::TempDir dir;
        RecordSorter sorter(memory == 0 ? dir / "missing" : dir.path(), memory);
        for (const auto& [key, value] : records)
            sorter.Add(key, value);
        Records got;
        for (std::string_view key, value; sorter.Next(key, value);)
            got.emplace_back(key, value);
        EXPECT_TRUE(got == want) << memory;
        EXPECT_EQ(sorter.DiskBytes() == 0, memory == std::size_t{1} << 30 || memory == 0) << memory;
    }
}

// Records read back as written, from memory and from the file they went to,
// or with no folder to write to (memory 0 here), from memory.
TEST(RecordLog, ReadsBackWhatWasAppended) {
    const Records records = RandomRecords(10000, 5);
    for (const std::size_t memory : {std::size_t{1} << 30, std::size_t{1}, std::size_t{0}}) {
        testing::TempDir dir;
        RecordLog log(memory == 0 ? dir / "missing" : dir.path(), memory);
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

// Each partition gives back its own records in the order they came, from
// memory and from the file its full buffers went to.
TEST(PartitionedRecords, GiveEachPartitionItsRecordsInOrder) {
    testing::TempDir dir;
    const Records records = RandomRecords(30000, 9);
    PartitionedRecords partitions(dir.path());
    std::vector<std::vector<std::string>> want(PartitionedRecords::kPartitions);
    for (std::size_t i = 0; i < records.size(); ++i) {
        // Most records in a few partitions, so some buffers fill many times.
        const std::size_t partition = i % 3 == 0 ? i % PartitionedRecords::kPartitions : i % 5;
        const std::string record = records[i].first + records[i].second;
        partitions.Add(partition, record);
        want[partition].push_back(record);
    }
    EXPECT_EQ(partitions.size(), records.size());
    EXPECT_GT(partitions.DiskBytes(), 0u);
    for (std::size_t partition = 0; partition < PartitionedRecords::kPartitions; ++partition) {
        std::vector<std::string> got;
        partitions.ForEach(partition, [&](std::string_view record) { got.emplace_back(record); });
        ASSERT_TRUE(got == want[partition]) << partition;
    }
}

} // namespace
} // namespace ornavex
