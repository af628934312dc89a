// A member that fails gives nothing and leaves its siblings whole: random
// archives with failing members against a plain reference built from the
// members that do not fail, in memory and past a memory limit alike.
#include "fixtures.h"
#include "run/removal_run.h"
#include "test_support.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <random>

namespace ornavex {
namespace {

using testing::ArchiveFormat;
using testing::Compress;
using testing::Compression;
using testing::MakeArchive;
using testing::Member;
using testing::TempDir;
using testing::WriteFile;

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// What the run must give: each address once, as first spelled, with every
// occurrence outside the failing members counted, and where it came from.
struct Reference {
    struct Entry {
        std::string spelling;
        std::uint32_t count = 0;
        std::size_t file = 0;
        std::string member;
    };
    std::vector<Entry> entries;
    std::map<std::string, std::size_t> index; // by lower case

    void Add(const std::vector<std::string>& addresses, std::size_t file,
             const std::string& member) {
        for (const std::string& address : addresses) {
            const auto [at, fresh] = index.emplace(Lower(address), entries.size());
            if (fresh)
                entries.push_back({address, 0, file, member});
            ++entries[at->second].count;
        }
    }
};

// Member texts made of addresses from a small pool (so they repeat, in
// other letter cases too) and of words that are none.
class Texts {
public:
    explicit Texts(unsigned seed) : random_(seed) {}

    // The text and, in order, the addresses in it.
    std::string Make(std::size_t words, std::vector<std::string>& addresses) {
        std::string text;
        for (std::size_t i = 0; i < words; ++i) {
            if (random_() % 3 == 0) {
                text += "word" + std::to_string(random_() % 1000);
            } else {
                std::string address = "user" + std::to_string(random_() % 400) + "@host" +
                                      std::to_string(i % 3) + ".example";
                if (random_() % 5 == 0)
                    address[0] = 'U';
                addresses.push_back(address);
                text += address;
            }
            text += random_() % 8 == 0 ? '\n' : ' ';
        }
        return text;
    }
    // A gzip member cut short: it gives the addresses of its first part,
    // then fails. Long enough that some of them reach the run first.
    std::string Failing() {
        std::vector<std::string> ignored;
        std::string text = Make(40000, ignored);
        const std::string packed = Compress(text, Compression::kGzip);
        return packed.substr(0, packed.size() * 3 / 4);
    }
    unsigned Next() { return random_(); }

private:
    std::mt19937 random_;
};

TEST(PartFailure, AFailingMemberGivesNothingAndItsSiblingsEverything) {
    TempDir dir;
    for (unsigned seed = 1; seed <= 3; ++seed) {
        Texts texts(seed);
        Reference reference;
        std::vector<Input> inputs;
        std::size_t failing = 0;
        for (std::size_t file = 0; file < 3; ++file) {
            // A zip or tar of good members and failing ones, one a zip of its own.
            std::vector<Member> members;
            std::vector<Member> inner;
            for (int m = 0; m < 6; ++m) {
                const std::string name = "m" + std::to_string(m) + ".txt";
                if (texts.Next() % 3 == 0) {
                    (m == 3 ? inner : members).push_back({name + ".gz", texts.Failing()});
                    ++failing;
                    continue;
                }
                std::vector<std::string> addresses;
                const std::string text = texts.Make(2000, addresses);
                (m == 3 ? inner : members).push_back({name, text});
                reference.Add(addresses, file, m == 3 ? "in.zip: " + name : name);
            }
            members.insert(members.begin() + 3,
                           {"in.zip", MakeArchive(ArchiveFormat::kZip, inner)});
            const bool zip = file % 2 == 0;
            const auto path = dir / ("f" + std::to_string(seed) + std::to_string(file));
            WriteFile(path, MakeArchive(zip ? ArchiveFormat::kZip : ArchiveFormat::kTar, members));
            inputs.push_back(Input::File(path));
        }
        for (const std::uint64_t limit : {std::uint64_t{0}, std::uint64_t{1}}) {
            testing::RecordingSink sink;
            RunOptions options;
            options.details = true;
            options.memoryLimit = limit; // 1: past the limit from the start
            options.temporaryFolder = dir.path();
            const RunSummary summary = RunRemoval(inputs, sink, options);
            const std::string context =
                "seed " + std::to_string(seed) + " limit " + std::to_string(limit);
            ASSERT_EQ(sink.addresses.size(), reference.entries.size()) << context;
            ASSERT_EQ(sink.details.sources.size(), reference.entries.size()) << context;
            for (std::size_t i = 0; i < reference.entries.size(); ++i) {
                const Reference::Entry& want = reference.entries[i];
                const AddressOrigin& got = sink.details.sources[i];
                EXPECT_EQ(sink.addresses[i], want.spelling) << context;
                EXPECT_EQ(got.count, want.count) << context << " " << want.spelling;
                EXPECT_EQ(got.fileIndex, want.file) << context << " " << want.spelling;
                EXPECT_EQ(sink.details.members[got.member], want.member) << context;
            }
            EXPECT_EQ(summary.partsFailed, failing) << context;
            EXPECT_EQ(summary.filesFailed, 0u) << context;
            EXPECT_EQ(sink.reports.size(), failing) << context;
            std::size_t listed = 0;
            for (const FileTally& tally : sink.tallies)
                listed += tally.failedParts.size();
            EXPECT_EQ(listed, failing) << context;
        }
    }
}

} // namespace
} // namespace ornavex
