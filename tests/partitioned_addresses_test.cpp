#include "run/partitioned_addresses.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <random>
#include <tuple>

namespace ornavex {
namespace {

// Against a plain reference: addresses known before, given or held back by
// a file, then occurrences in random letter case over several files, one of
// them voided, kept on disk or, with no folder to write to, in memory, with
// real hashes and with hashes that all put the addresses in one partition.
TEST(PartitionedAddresses, GiveFirstOccurrencesInOrderWithCountsAsAPlainMapDoes) {
    for (const auto& [colliding, onDisk] :
         {std::pair{false, true}, {true, true}, {false, false}, {true, false}}) {
        testing::TempDir dir;
        const std::uint64_t budget = onDisk ? 0 : UINT64_MAX;
        std::mt19937 random(11);
        constexpr std::uint64_t kSeed = 5;
        auto partitions = std::make_unique<PartitionedAddresses>(
            onDisk ? dir.path() : dir.path() / "missing", kSeed, true, budget);
        struct Want {
            std::string spelling;
            std::uint32_t count = 0;
            OccurrenceOrigin source;
        };
        std::map<std::string, Want> want;
        std::vector<std::string> order;
        constexpr std::uint32_t kVoided = 2;
        // Known: every third given, every third held back by the voided file
        // (so not known after all), the others held back by file 0.
        std::map<std::string, std::uint32_t> known; // key: index
        std::map<std::uint32_t, std::uint32_t> wantKnownCounts, knownCounts;
        for (std::uint32_t i = 0; i < 300; ++i) {
            const std::string key =
                "u" + std::to_string(i * 10) + "@d" + std::to_string(i % 7) + ".org";
            const std::uint32_t file = i % 3 == 0   ? PartitionedAddresses::kGiven
                                       : i % 3 == 1 ? kVoided
                                                    : 0;
            partitions->AddKnown(key, colliding ? 0 : AddressSet::Hash(key, kSeed), i, file);
            if (file != kVoided)
                known[key] = i;
        }
        for (std::uint32_t file = 0; file < 5; ++file)
            for (std::uint64_t line = 1; line <= 4000; ++line) {
                std::string key = "u" + std::to_string(random() % 3000) + "@d" +
                                  std::to_string(random() % 7) + ".org";
                std::string spelling = key;
                for (char& c : spelling)
                    if (random() % 2)
                        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                const OccurrenceOrigin source{file, file % 2, line};
                partitions->Add(spelling, colliding ? 0 : AddressSet::Hash(spelling, kSeed),
                                source);
                if (file == kVoided)
                    continue;
                if (const auto k = known.find(key); k != known.end()) {
                    ++wantKnownCounts[k->second];
                    continue;
                }
                auto [at, added] = want.try_emplace(key, Want{spelling, 0, source});
                ++at->second.count;
                if (added)
                    order.push_back(key);
            }
        partitions->VoidFile(kVoided);

        std::size_t given = 0;
        std::size_t lastDone = 0;
        const bool finished = partitions->Resolve(
            [&](std::string_view address, std::uint32_t count, const OccurrenceOrigin& source) {
                ASSERT_LT(given, order.size());
                const Want& w = want[order[given++]];
                EXPECT_EQ(address, w.spelling);
                EXPECT_EQ(count, w.count) << w.spelling;
                EXPECT_EQ(std::tie(source.fileIndex, source.member, source.line),
                          std::tie(w.source.fileIndex, w.source.member, w.source.line));
            },
            [&](std::uint32_t index, std::uint32_t count) {
                EXPECT_TRUE(knownCounts.emplace(index, count).second);
            },
            [&](std::size_t done, std::size_t total) {
                EXPECT_GT(done, lastDone);
                EXPECT_LE(done, total);
                lastDone = done;
                return true;
            });
        EXPECT_TRUE(finished);
        EXPECT_EQ(partitions->DiskBytes() > 0, onDisk);
        EXPECT_EQ(partitions->MemoryBytes() > 0, !onDisk);
        EXPECT_EQ(knownCounts, wantKnownCounts);
        EXPECT_EQ(given, order.size()) << "colliding: " << colliding << ", on disk: " << onDisk;
        partitions.reset(); // and its temporary data is gone
        EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    }
}

// With no folder to write to and no memory to spare, the reason is told.
TEST(PartitionedAddresses, SayWhyWhenNeitherDiskNorMemoryTakesThem) {
    testing::TempDir dir;
    PartitionedAddresses partitions(dir.path() / "missing", 0, false, 100'000);
    EXPECT_THROW(
        {
            try {
                for (int i = 0; i < 100'000; ++i) {
                    const std::string address = "someone" + std::to_string(i) + "@example.org";
                    partitions.Add(address, 0, {}); // all in one partition
                }
            } catch (const std::runtime_error& error) {
                EXPECT_EQ(std::string(error.what()), "Cannot keep temporary data in " +
                                                         (dir.path() / "missing").string() +
                                                         ": No such file or directory");
                throw;
            }
        },
        std::runtime_error);
}

} // namespace
} // namespace ornavex
