// The whole option matrix, in memory and past two memory limits, on random
// inputs with files and parts of files that fail: the list, the report, the messages and the
// exit status are the same byte for byte, and the counts are a plain
// tally's.
#include "clean/real_domains.h"
#include "cli_support.h"
#include "fixtures.h"

#include <gtest/gtest.h>
#include <map>
#include <random>

namespace ornavex {
namespace {

using testing::Cli;
using testing::ProcessResult;
using testing::WriteFile;

constexpr std::uint32_t kUnique = 100000;

// Distinct addresses of every kind the rules tell apart: domains and their
// subdomains, a reserved one, role accounts, local parts that start with
// "-" or "_".
std::string AddressOf(std::uint32_t i) {
    static const char* const kDomains[] = {"example.com",    "mail.example.com", "x.org",
                                           "badexample.com", "a.co.uk",          "b.invalid"};
    static const char* const kRoles[] = {"noreply", "postmaster", "info", "abuse"};
    if (i % 97 == 0)
        return std::string(kRoles[i % 4]) + "@r" + std::to_string(i) + "." + kDomains[i % 6];
    const std::string local = (i % 31 == 0   ? "-"
                               : i % 37 == 0 ? "_"
                                             : "") +
                              std::string("User.") + std::to_string(i);
    return local + "@" + kDomains[i % 6];
}

std::string InRandomCase(std::string text, std::mt19937& random) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z' && random() % 4 == 0)
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

TEST(OptionMatrix, RunsPastTheMemoryLimitGiveWhatRunsInMemoryGive) {
    testing::TempDir dir;
    std::mt19937 random(2024);
    // The reference: each address's first spelling and its count, in order.
    std::map<std::string, std::size_t> position;
    std::vector<std::pair<std::string, std::uint64_t>> reference;
    std::vector<std::string> files;
    for (int f = 0; f < 12; ++f) {
        std::string text;
        for (int word = 0; word < 10000; ++word) {
            const std::string address = InRandomCase(AddressOf(random() % kUnique), random);
            text += address + (word % 9 == 0 ? ",\n" : " ");
            if (word % 50 == 0)
                text += "not-an-address@x hello a@b.c ";
            const auto [at, added] = position.emplace(Lower(address), reference.size());
            if (added)
                reference.emplace_back(address, 0);
            ++reference[at->second].second;
        }
        files.push_back((dir / ("in" + std::to_string(f) + ".txt")).string());
        WriteFile(files.back(), text);
        if (f == 4) // a file that cannot be read
            files.push_back((dir / "missing.txt").string());
    }
#ifdef ORNAVEX_DOCUMENTS
    // One that fails part-way: a compressed file cut short.
    std::string cut = testing::Compress("late@fails.example.com ", testing::Compression::kGzip);
    cut.resize(cut.size() - 6);
    files.push_back((dir / "cut.txt.gz").string());
    WriteFile(files.back(), cut);
    // An archive with a member that fails alone (a gzip cut short, long
    // enough that some of its addresses reach the run first) between two
    // that count; the failing one's occurrences count nowhere.
    const auto words = [&](int count, bool counted) {
        std::string text;
        for (int word = 0; word < count; ++word) {
            const std::string address = InRandomCase(AddressOf(random() % kUnique), random);
            text += address + "\n";
            if (!counted)
                continue;
            const auto [at, added] = position.emplace(Lower(address), reference.size());
            if (added)
                reference.emplace_back(address, 0);
            ++reference[at->second].second;
        }
        return text;
    };
    const std::string before = words(3000, true);
    std::string failing = testing::Compress(words(40000, false), testing::Compression::kGzip);
    failing.resize(failing.size() * 3 / 4);
    const std::string after = words(3000, true);
    files.push_back((dir / "parts.zip").string());
    WriteFile(files.back(),
              testing::MakeArchive(
                  testing::ArchiveFormat::kZip,
                  {{"before.txt", before}, {"failing.txt.gz", failing}, {"after.txt", after}}));
#endif
    std::string doNotMail = "Please never write to:\n";
    for (int i = 0; i < 3000; ++i)
        doNotMail += InRandomCase(AddressOf(random() % kUnique), random) + "; ";
    WriteFile(dir / "dnm.txt", doNotMail);
    const std::string dnm = (dir / "dnm.txt").string();

    // Each format, order and rule, and --report, at least once.
    std::vector<std::vector<std::string>> matrix = {
        {},
        {"--counts", "--report"},
        {"--csv", "--exclude", dnm},
        {"--sort", "address", "--drop-roles"},
        {"--sort", "domain", "--only-domain", "example.com"},
        {"--sort", "count", "--counts", "--drop-domain", "x.org", "--drop-domain", "a.co.uk"},
        {"--csv", "--sort", "domain", "--exclude", dnm, "--drop-roles", "--report"},
        {"--commas", "--sort", "count", "--exclude", dnm, "--report"},
    };
    if (RealDomains::Available())
        matrix.push_back({"--check-domains", "--sort", "domain", "--counts", "--exclude", dnm});
    for (const std::vector<std::string>& options : matrix) {
        std::string name;
        for (const std::string& option : options)
            name += option + " ";
        std::vector<std::string> arguments = options;
        arguments.insert(arguments.end(), files.begin(), files.end());
        const ProcessResult inMemory = Cli(arguments);
        EXPECT_EQ(inMemory.exitCode, 1) << name;
        EXPECT_FALSE(inMemory.out.empty()) << name;
        if (options == matrix[1]) {
            std::string want;
            for (const auto& [address, count] : reference)
                want += std::to_string(count) + "\t" + address + "\n";
            EXPECT_TRUE(inMemory.out == want) << "counts differ from a plain tally's";
        }
        // Every address past the limit from the first, and those after
        // the first few thousand.
        for (const char* limit : {"1", "4200K"}) {
            std::vector<std::string> limited = {"--memory-limit", limit};
            limited.insert(limited.end(), arguments.begin(), arguments.end());
            const ProcessResult partitioned = Cli(limited);
            EXPECT_EQ(partitioned.exitCode, inMemory.exitCode) << name << limit;
            EXPECT_TRUE(partitioned.out == inMemory.out) << name << limit;
            EXPECT_EQ(partitioned.err, inMemory.err) << name << limit;
        }
    }
}

} // namespace
} // namespace ornavex
