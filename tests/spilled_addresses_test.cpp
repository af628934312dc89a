#include "run/spilled_addresses.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <random>
#include <tuple>

namespace ornavex {
namespace {

// Against a plain reference: occurrences in random letter case over several
// files, one of them voided, de-duplicated on disk, with real hashes and with
// hashes that all put the addresses in one partition.
TEST(SpilledAddresses, GiveFirstOccurrencesInOrderWithCountsAsAPlainMapDoes) {
    for (const bool colliding : {false, true}) {
        testing::TempDir dir;
        std::mt19937 random(11);
        constexpr std::uint64_t kSeed = 5;
        auto spilled = std::make_unique<SpilledAddresses>(dir.path(), kSeed, true);
        struct Want {
            std::string spelling;
            std::uint32_t count = 0;
            OccurrenceSource source;
        };
        std::map<std::string, Want> want;
        std::vector<std::string> order;
        constexpr std::uint32_t kVoided = 2;
        for (std::uint32_t file = 0; file < 5; ++file)
            for (std::uint64_t line = 1; line <= 4000; ++line) {
                std::string key = "u" + std::to_string(random() % 3000) + "@d" +
                                  std::to_string(random() % 7) + ".org";
                std::string spelling = key;
                for (char& c : spelling)
                    if (random() % 2)
                        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                const OccurrenceSource source{file, file % 2, line};
                spilled->Add(spelling, colliding ? 0 : AddressSet::Hash(spelling, kSeed), source);
                if (file == kVoided)
                    continue;
                auto [at, added] = want.try_emplace(key, Want{spelling, 0, source});
                ++at->second.count;
                if (added)
                    order.push_back(key);
            }
        spilled->Void(kVoided);

        std::size_t given = 0;
        std::size_t lastDone = 0;
        const bool finished = spilled->Resolve(
            [&](std::string_view address, std::uint32_t count, const OccurrenceSource& source) {
                ASSERT_LT(given, order.size());
                const Want& w = want[order[given++]];
                EXPECT_EQ(address, w.spelling);
                EXPECT_EQ(count, w.count) << w.spelling;
                EXPECT_EQ(std::tie(source.fileIndex, source.member, source.line),
                          std::tie(w.source.fileIndex, w.source.member, w.source.line));
            },
            [&](std::size_t done, std::size_t total) {
                EXPECT_EQ(done, lastDone + 1);
                EXPECT_LE(done, total);
                lastDone = done;
                return true;
            });
        EXPECT_TRUE(finished);
        EXPECT_EQ(given, order.size()) << "colliding: " << colliding;
        spilled.reset(); // and its temporary data is gone
        EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    }
}

} // namespace
} // namespace ornavex
