// Both de-duplicators against a plain reference: random files of stretches
// (a file's own text, members), some stretches and some files failing, in
// memory alone and with the hand-over to the partitions after every add.
#include "engine/address_set.h"
#include "run/in_memory_deduplicator.h"
#include "run/partitioned_deduplicator.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <random>
#include <tuple>

namespace ornavex {
namespace {

using testing::RecordingSink;
using testing::TempDir;

constexpr std::uint64_t kSeed = 3;

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// One call of the event loop to the de-duplicator.
struct Step {
    enum Kind { kStretch, kAdd, kVoidStretch, kFileDone, kFileFailed } kind;
    std::size_t file = 0;
    std::uint32_t member = 0;           // kStretch
    std::vector<std::string> addresses; // kAdd
    std::vector<std::uint64_t> lines;   // kAdd
};

// What the run must give, worked out plainly from the steps.
struct Reference {
    std::vector<std::string> addresses;
    std::vector<AddressOrigin> sources;
    std::vector<FileTally> tallies;
    std::uint64_t found = 0;
};

// Random steps: files of up to four stretches, the first the file's own
// text (member 0), with a few adds each of addresses from a small pool in
// random letter case; one stretch in six and one file in five fail.
std::vector<Step> MakeSteps(std::mt19937& random, std::size_t files) {
    std::vector<Step> steps;
    std::uint32_t members = 0;
    for (std::size_t file = 0; file < files; ++file) {
        const std::size_t stretches = 1 + random() % 4;
        std::uint64_t line = 1;
        for (std::size_t s = 0; s < stretches; ++s) {
            steps.push_back({Step::kStretch, file, s == 0 ? 0 : ++members, {}, {}});
            for (std::size_t add = random() % 4; add > 0; --add) {
                Step step{Step::kAdd, file, 0, {}, {}};
                for (std::size_t n = random() % 6; n > 0; --n) {
                    std::string address =
                        "u" + std::to_string(random() % 30) + "@h" + std::to_string(random() % 2);
                    for (char& c : address)
                        c = random() % 4 == 0 ? static_cast<char>(std::toupper(c)) : c;
                    step.addresses.push_back(address);
                    step.lines.push_back(line += random() % 3);
                }
                steps.push_back(step);
            }
            if (random() % 6 == 0)
                steps.push_back({Step::kVoidStretch, file, 0, {}, {}});
        }
        steps.push_back({random() % 5 == 0 ? Step::kFileFailed : Step::kFileDone, file, 0, {}, {}});
    }
    return steps;
}

Reference Expect(const std::vector<Step>& steps) {
    Reference reference;
    std::map<std::string, std::size_t> index; // lower case: into sources
    // The occurrences of the file and of the stretch being read.
    std::vector<std::tuple<std::string, std::uint32_t, std::uint64_t>> file, stretch;
    std::uint32_t member = 0;
    for (const Step& step : steps) {
        switch (step.kind) {
        case Step::kStretch:
            file.insert(file.end(), stretch.begin(), stretch.end());
            stretch.clear();
            member = step.member;
            break;
        case Step::kAdd:
            for (std::size_t i = 0; i < step.addresses.size(); ++i)
                stretch.emplace_back(step.addresses[i], member, step.lines[i]);
            break;
        case Step::kVoidStretch:
            stretch.clear();
            break;
        case Step::kFileFailed:
            reference.tallies.push_back({step.file, 0, 0, true, {}});
            file.clear();
            stretch.clear();
            break;
        case Step::kFileDone: {
            file.insert(file.end(), stretch.begin(), stretch.end());
            FileTally tally{step.file, file.size(), 0, false, {}};
            for (const auto& [address, where, line] : file) {
                const auto [at, fresh] = index.emplace(Lower(address), reference.sources.size());
                if (fresh) {
                    reference.addresses.push_back(address);
                    reference.sources.push_back(
                        {0, static_cast<std::uint32_t>(step.file), where, line});
                    ++tally.added;
                }
                ++reference.sources[at->second].count;
            }
            reference.found += file.size();
            reference.tallies.push_back(tally);
            file.clear();
            stretch.clear();
            break;
        }
        }
    }
    return reference;
}

// Runs the steps as the event loop would, handing over to the partitions
// after the handOverAt-th add (none when there are fewer). The partitions
// stay in memory (the folder is missing): the disk is PartitionedAddresses' own
// test's.
void RunSteps(const std::vector<Step>& steps, std::size_t handOverAt, bool details,
              RunOutput& output, std::vector<AddressOrigin>& sources,
              const std::filesystem::path& folder) {
    auto inMemory = std::make_unique<InMemoryDeduplicator>(output, kSeed, details);
    std::unique_ptr<Deduplicator> partitioned;
    Deduplicator* dedup = inMemory.get();
    std::size_t adds = 0;
    for (const Step& step : steps) {
        switch (step.kind) {
        case Step::kStretch:
            dedup->StartStretch(step.member == 0, step.member);
            break;
        case Step::kAdd: {
            EventParcel parcel;
            for (std::size_t i = 0; i < step.addresses.size(); ++i) {
                const std::string& address = step.addresses[i];
                parcel.entries.push_back({static_cast<std::uint32_t>(parcel.text.size()),
                                          static_cast<std::uint32_t>(address.size()),
                                          AddressSet::Hash(address, kSeed), step.lines[i]});
                parcel.text += address;
            }
            ReadEvent event;
            event.kind = ReadEvent::Kind::kAddresses;
            event.fileIndex = step.file;
            event.entryCount = parcel.entries.size();
            dedup->Add(event, parcel);
            if (++adds == handOverAt) {
                partitioned = std::make_unique<PartitionedDeduplicator>(
                    std::move(inMemory), output, static_cast<std::uint32_t>(step.file), folder,
                    std::uint64_t{1} << 40, details);
                dedup = partitioned.get();
            }
            break;
        }
        case Step::kVoidStretch:
            dedup->VoidStretch();
            break;
        case Step::kFileDone:
            dedup->FileDone(FileTally{step.file, 0, 0, false, {}});
            break;
        case Step::kFileFailed:
            dedup->FileFailed(FileTally{step.file, 0, 0, true, {}});
            break;
        }
    }
    ASSERT_TRUE(dedup->Finish(sources));
}

TEST(Deduplicator, BothGiveWhatAPlainMapGivesWithTheHandOverAnywhere) {
    TempDir folder;
    for (unsigned seed = 1; seed <= 4; ++seed) {
        std::mt19937 random(seed);
        const std::vector<Step> steps = MakeSteps(random, 6);
        const Reference want = Expect(steps);
        std::vector<Input> inputs;
        for (std::size_t file = 0; file < 6; ++file)
            inputs.push_back(Input::File("f" + std::to_string(file)));
        std::size_t adds = 0;
        for (const Step& step : steps)
            adds += step.kind == Step::kAdd;
        // Details on every other seed.
        for (const bool details : {seed % 2 == 0}) {
            // 0: in memory to the end.
            for (std::size_t handOverAt = 0; handOverAt <= adds; ++handOverAt) {
                const std::string context = "seed " + std::to_string(seed) + " hand-over " +
                                            std::to_string(handOverAt) +
                                            (details ? " details" : "");
                RecordingSink sink;
                RunOutput output(inputs, sink);
                std::vector<AddressOrigin> sources;
                RunSteps(steps, handOverAt, details, output, sources, folder.path() / "missing");
                ASSERT_EQ(sink.addresses, want.addresses) << context;
                ASSERT_EQ(sink.tallies.size(), want.tallies.size()) << context;
                for (std::size_t i = 0; i < want.tallies.size(); ++i) {
                    const FileTally& got = sink.tallies[i];
                    const FileTally& tally = want.tallies[i];
                    EXPECT_EQ(std::tie(got.fileIndex, got.found, got.added, got.failed),
                              std::tie(tally.fileIndex, tally.found, tally.added, tally.failed))
                        << context << " file " << i;
                }
                EXPECT_EQ(output.summary().uniqueAddresses, want.addresses.size()) << context;
                EXPECT_EQ(output.summary().addressesFound, want.found) << context;
                if (!details) {
                    EXPECT_TRUE(sources.empty());
                    continue;
                }
                ASSERT_EQ(sources.size(), want.sources.size()) << context;
                for (std::size_t i = 0; i < sources.size(); ++i)
                    EXPECT_EQ(std::tie(sources[i].count, sources[i].fileIndex, sources[i].member,
                                       sources[i].line),
                              std::tie(want.sources[i].count, want.sources[i].fileIndex,
                                       want.sources[i].member, want.sources[i].line))
                        << context << " " << want.addresses[i];
            }
        }
    }
}

} // namespace
} // namespace ornavex
