#include "extract_emails.h"
#include "run/removal_run.h"
#include "test_support.h"

#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <new>
#include <random>
#include <set>
#include <tuple>

namespace ornavex {
namespace {

using testing::RecordingSink;
using testing::ReferenceExtract;
using testing::TempDir;
using testing::WriteFile;
using Strings = std::vector<std::string>;
namespace fs = std::filesystem;

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Options for a run in blocks of the given size.
RunOptions Blocks(std::size_t size) {
    RunOptions options;
    options.blockSize = size;
    return options;
}

std::vector<Input> Files(const std::vector<std::filesystem::path>& paths) {
    std::vector<Input> inputs;
    for (const auto& path : paths)
        inputs.push_back(Input::File(path));
    return inputs;
}

TEST(RemovalRun, EmptyListOnlySaysNoFilesAdded) {
    RecordingSink sink;
    const RunSummary summary = RunRemoval({}, sink);
    EXPECT_EQ(sink.messages, (Strings{"No files added."}));
    EXPECT_TRUE(sink.addresses.empty());
    EXPECT_TRUE(sink.reports.empty());
    EXPECT_EQ(summary.filesRead, 0u);
}

TEST(RemovalRun, MissingFileIsReportedOnceAndTheRunGoesOn) {
    TempDir dir;
    WriteFile(dir / "one.txt", "first@one.com shared@both.org");
    WriteFile(dir / "three.txt", "SHARED@both.org third@three.net");
    RecordingSink sink;
    const RunSummary summary =
        RunRemoval(Files({dir / "one.txt", dir / "two.txt", dir / "three.txt"}), sink);

    EXPECT_EQ(sink.addresses, (Strings{"first@one.com", "shared@both.org", "third@three.net"}));
    ASSERT_EQ(sink.reports.size(), 1u);
    const ErrorReport& report = sink.reports[0];
    EXPECT_EQ(report.step, RunStep::kReadFile);
    EXPECT_EQ(report.path, (dir / "two.txt").string());
    EXPECT_EQ(report.description, "No such file or directory");
    EXPECT_EQ(summary.filesRead, 2u);
    EXPECT_EQ(summary.filesFailed, 1u);
    EXPECT_EQ(summary.addressesFound, 4u);
    EXPECT_EQ(summary.uniqueAddresses, 3u);
    EXPECT_EQ(summary.DuplicatesRemoved(), 1u);
}

TEST(RemovalRun, FirstSpellingAcrossFilesWinsAndRepeatsAddNothing) {
    TempDir dir;
    WriteFile(dir / "a.txt", "Mixed@Case.COM\r\nother@x.org\r\n");
    WriteFile(dir / "b.txt", "mixed@case.com new@y.net other@X.ORG");
    WriteFile(dir / "empty.txt", "");
    RecordingSink sink;
    RunRemoval(Files({dir / "a.txt", dir / "empty.txt", dir / "b.txt", dir / "a.txt"}), sink);
    EXPECT_EQ(sink.addresses, (Strings{"Mixed@Case.COM", "other@x.org", "new@y.net"}));
    EXPECT_TRUE(sink.reports.empty());
}

TEST(RemovalRun, EachRunStartsWithAFreshAddressSet) {
    TempDir dir;
    WriteFile(dir / "a.txt", "again@x.com");
    for (int run = 0; run < 2; ++run) {
        RecordingSink sink;
        RunRemoval(Files({dir / "a.txt"}), sink);
        EXPECT_EQ(sink.addresses, (Strings{"again@x.com"}));
    }
}

TEST(RemovalRun, ReportsProgressBeforeEachFileAndAfterEachBlockAndCanStop) {
    TempDir dir;
    WriteFile(dir / "a.txt", "a@x.com " + std::string(100, ' ') + " b@x.com");
    WriteFile(dir / "b.txt", "c@x.com");
    RecordingSink sink;
    RunSummary summary = RunRemoval(Files({dir / "a.txt", dir / "b.txt"}), sink, Blocks(50));
    // a.txt: progress before it and after its three blocks; b.txt: before, after one.
    EXPECT_EQ(sink.progressCalls, 6);
    EXPECT_EQ(sink.lastProgress.bytesDone, 123u);
    EXPECT_FALSE(summary.stopped);

    // A file stopped part-way contributes nothing, as one that failed.
    RecordingSink stopping;
    stopping.stopAfterProgress = 2; // stop after the first block
    summary = RunRemoval(Files({dir / "a.txt", dir / "b.txt"}), stopping, Blocks(50));
    EXPECT_TRUE(summary.stopped);
    EXPECT_TRUE(stopping.addresses.empty());
}

TEST(RemovalRun, FailedAppendIsReportedAsTheAppendStep) {
    TempDir dir;
    WriteFile(dir / "a.txt", "one@x.com two@x.com");
    struct FailingSink : RecordingSink {
        void Address(std::string_view address) override {
            if (address == "one@x.com")
                throw std::runtime_error("Out of memory");
            RecordingSink::Address(address);
        }
    } sink;
    RunRemoval(Files({dir / "a.txt"}), sink);
    EXPECT_EQ(sink.addresses, (Strings{"two@x.com"}));
    ASSERT_EQ(sink.reports.size(), 1u);
    EXPECT_EQ(sink.reports[0].step, RunStep::kAppendResult);
    EXPECT_EQ(sink.reports[0].description, "Out of memory");
}

TEST(RemovalRun, BlockSizeNeverChangesTheResults) {
    TempDir dir;
    std::string text;
    for (int i = 0; i < 400; ++i)
        text += "Line " + std::to_string(i) + ": <user" + std::to_string(i % 150) +
                "@Example.org>, cc USER" + std::to_string(i % 97) + "@example.ORG.\r\n";
    WriteFile(dir / "a.txt", text);
    WriteFile(dir / "b.txt", "tail@x.com " + text.substr(0, 5000) + " last@x.com");
    const auto inputs = Files({dir / "a.txt", dir / "b.txt"});

    AddressSet seen;
    Strings expected = ExtractEmailToArray(text, seen);
    for (const auto& address : ExtractEmailToArray("tail@x.com last@x.com", seen))
        expected.push_back(address);
    ASSERT_EQ(expected.size(), 152u);

    for (std::size_t blockSize : {1, 2, 7, 64, 4096, 30000}) {
        RecordingSink sink;
        const RunSummary summary = RunRemoval(inputs, sink, Blocks(blockSize));
        ASSERT_EQ(sink.addresses, expected) << "blocks of " << blockSize;
        EXPECT_EQ(summary.bytesRead, text.size() + 5022);
    }
}

// Takes the sources of the addresses given past the memory limit with them.
class LateSourcesSink : public RecordingSink {
public:
    bool TakesLateSources() const override { return true; }
    void AddressWithOrigin(std::string_view address, const AddressOrigin& source) override {
        addresses.emplace_back(address);
        late.push_back(source);
    }
    std::vector<AddressOrigin> late;
};

// Counts, first file and first line, against what the text was made of: one
// address per line, in random letter case, across files and block cuts,
// given at the end or, past the memory limit, with the addresses.
TEST(RemovalRun, DetailsCountEveryOccurrenceAndFindTheFirstLine) {
    TempDir dir;
    std::mt19937 random(7);
    std::map<std::string, AddressOrigin> expected;
    std::vector<std::string> order;
    std::vector<std::filesystem::path> paths;
    for (std::size_t file = 0; file < 3; ++file) {
        std::string text = file == 1 ? "\n\n" : "";
        for (std::uint64_t line = file == 1 ? 3 : 1; line < 200; ++line) {
            std::string address = "user" + std::to_string(random() % 120) + "@example.org";
            const std::string key = address;
            for (char& c : address)
                c = random() % 3 == 0 ? static_cast<char>(std::toupper(c)) : c;
            text += "line " + std::to_string(line) + ": " + address + (line % 2 ? "\r\n" : "\n");
            auto [at, added] = expected.try_emplace(
                key, AddressOrigin{0, static_cast<std::uint32_t>(file), 0, line});
            ++at->second.count;
            if (added)
                order.push_back(key);
        }
        paths.push_back(dir / ("f" + std::to_string(file) + ".txt"));
        WriteFile(paths.back(), text);
    }
    // A memory limit of one byte puts all but the first block's new
    // addresses on disk.
    for (const auto& [blockSize, memoryLimit, lateSources] :
         {std::tuple<std::size_t, std::uint64_t, bool>{7, 0, false},
          {30000, 0, true},
          {7, 1, false},
          {30000, 1, false},
          {7, 1, true}}) {
        TempDir temporary;
        LateSourcesSink lateSink;
        RecordingSink usualSink;
        RecordingSink& sink = lateSources ? lateSink : usualSink;
        RunOptions options = Blocks(blockSize);
        options.details = options.lines = true;
        options.memoryLimit = memoryLimit;
        options.temporaryFolder = temporary.path();
        const RunSummary summary = RunRemoval(Files(paths), sink, options);
        const std::string run = "blocks of " + std::to_string(blockSize) + ", limit " +
                                std::to_string(memoryLimit) + (lateSources ? ", late" : "");
        // Late sources follow those the run kept.
        EXPECT_EQ(lateSink.late.empty(), !lateSources || memoryLimit == 0) << run;
        sink.details.sources.insert(sink.details.sources.end(), lateSink.late.begin(),
                                    lateSink.late.end());
        EXPECT_EQ(summary.diskBytes > 0, memoryLimit == 1) << run;
        EXPECT_TRUE(fs::is_empty(temporary.path())) << run;
        ASSERT_EQ(sink.addresses.size(), order.size()) << run;
        ASSERT_EQ(sink.details.sources.size(), order.size());
        for (std::size_t i = 0; i < order.size(); ++i) {
            const AddressOrigin& want = expected[order[i]];
            const AddressOrigin& got = sink.details.sources[i];
            EXPECT_EQ(std::tie(got.count, got.fileIndex, got.line, got.member),
                      std::tie(want.count, want.fileIndex, want.line, want.member))
                << order[i] << ", " << run;
            EXPECT_EQ(Lower(sink.addresses[i]), order[i]) << run;
        }
        ASSERT_EQ(sink.tallies.size(), 3u);
        for (std::size_t file = 0; file < 3; ++file)
            EXPECT_EQ(sink.tallies[file].fileIndex, file) << run;
        EXPECT_EQ(sink.tallies[2].found, 199u);
        EXPECT_EQ(sink.tallies[0].added + sink.tallies[1].added + sink.tallies[2].added,
                  order.size());
    }
}

// Files are read on more than one thread; what the sink see must not show it.
TEST(RemovalRun, ManyFilesOfMixedSizesKeepListOrderInAddressesAndReports) {
    TempDir dir;
    struct Log : RecordingSink {
        void Address(std::string_view address) override {
            events.push_back("address " + std::string(address));
        }
        void Error(const ErrorReport& report) override {
            events.push_back("report " + report.path);
        }
        Strings events;
    } sink;

    Strings expected;
    std::set<std::string> seen;
    std::vector<std::filesystem::path> paths;
    std::uint64_t bytes = 0;
    for (int i = 0; i < 300; ++i) {
        const std::filesystem::path path = dir / ("f" + std::to_string(i) + ".txt");
        paths.push_back(path);
        if (i % 37 == 5) { // never written: a report in its place
            expected.push_back("report " + path.string());
            continue;
        }
        std::string text;
        const int lines = i % 11 == 0 ? 0 : i % 7 == 0 ? 400 : i % 5;
        for (int line = 0; line < lines; ++line)
            text += "to: User" + std::to_string((i * 31 + line) % 250) + "@Host" +
                    std::to_string(line % 3) + ".example.ORG, note\n";
        WriteFile(path, text);
        bytes += text.size();
        for (const std::string& address : ReferenceExtract(text, seen))
            expected.push_back("address " + address);
    }

    // Any number of reading threads gives the same events in list order.
    for (const auto& [blockSize, threads] : {std::pair<std::size_t, std::size_t>{64, 0},
                                             {30000, 0},
                                             {30000, 1},
                                             {4096, 3},
                                             {4096, 7}}) {
        sink.events.clear();
        RunOptions options = Blocks(blockSize);
        options.readingThreads = threads;
        const RunSummary summary = RunRemoval(Files(paths), sink, options);
        EXPECT_EQ(sink.events, expected) << "blocks of " << blockSize << ", threads " << threads;
        EXPECT_EQ(summary.filesFailed, 8u);
        EXPECT_EQ(summary.filesRead, 292u);
        EXPECT_EQ(summary.bytesRead, bytes);
        EXPECT_EQ(sink.lastProgress.bytesDone, bytes);
    }
}

TEST(RemovalRun, AFailureInsideTheRunIsReportedAndEndsItWithWhatWasFound) {
    TempDir dir;
    WriteFile(dir / "a.txt", "one@x.com");
    WriteFile(dir / "b.txt", "two@x.com");
    // Stands for any failure of the run's own thread, such as running out of
    // memory while the address set grows.
    struct FailingSink : RecordingSink {
        bool Progress(const RunProgress& progress) override {
            if (progress.fileIndex == 1)
                throw std::bad_alloc();
            return RecordingSink::Progress(progress);
        }
    } sink;
    const RunSummary summary = RunRemoval(Files({dir / "a.txt", dir / "b.txt"}), sink);
    EXPECT_EQ(sink.addresses, (Strings{"one@x.com"}));
    ASSERT_EQ(sink.reports.size(), 1u);
    EXPECT_EQ(sink.reports[0].step, RunStep::kReadFile);
    EXPECT_EQ(sink.reports[0].path, (dir / "b.txt").string());
    EXPECT_EQ(sink.reports[0].description, "Out of memory");
    EXPECT_EQ(summary.filesRead, 1u);
    EXPECT_TRUE(summary.failed); // not a whole result
}

// New addresses are held back as keys of the set and their letter case: the
// spellings that come out are those written, at every length and wherever
// their upper-case letters are.
TEST(RemovalRun, HeldBackAddressesKeepTheirSpelling) {
    TempDir dir;
    std::mt19937 random(5);
    std::string text;
    for (int i = 0; i < 3000; ++i) {
        std::string local(1 + random() % 120, 'a');
        // Upper-case letters before a random place only: short masks of
        // long addresses too.
        const std::size_t upperBefore = random() % (local.size() + 1);
        for (std::size_t k = 0; k < local.size(); ++k)
            local[k] = (k < upperBefore ? "aAbBzZ09_-" : "aabbzz09_-")[random() % 10];
        local[0] = 'q';
        // Upper-case letters near the start only, or all along.
        const bool upperDomain = random() % 2 == 0;
        text += local + (upperDomain ? "@Host" : "@host") + std::to_string(random() % 50) +
                (upperDomain ? ".Example.ORG\n" : ".example.org\n");
    }
    WriteFile(dir / "mixed.txt", text);
    RecordingSink sink;
    RunRemoval(Files({dir / "mixed.txt"}), sink);
    std::set<std::string> seen;
    EXPECT_EQ(sink.addresses, ReferenceExtract(text, seen));
}

// A file that fails part-way gives nothing, not even what its first blocks
// held: here a long address changes in the file before it is read again.
TEST(RemovalRun, AFileThatFailsPartWayContributesNothing) {
    // Blocks of one byte: when the run has seen a few hundred, the scanning
    // thread, held back by its full queue, is still far from the word's end.
    struct ChangingSink : RecordingSink {
        bool Progress(const RunProgress& progress) override {
            if (progressCalls == 300)
                WriteFileAt(path, 30, "!");
            return RecordingSink::Progress(progress);
        }
        static void WriteFileAt(const std::filesystem::path& file, long offset, const char* text) {
            std::fstream stream(file, std::ios::in | std::ios::out | std::ios::binary);
            stream.seekp(offset);
            stream << text;
        }
        std::filesystem::path path;
    };
    // With a memory limit of a megabyte, the set takes no more after its
    // first address, which takes a larger piece of memory: in first.txt or,
    // when that has none, in the failing file.
    constexpr int kMegabyte = 1 << 20;
    const std::tuple<int, bool, const char*> cases[] = {
        {0, true, "first@x.com"},  {kMegabyte, true, "first@x.com"},  {kMegabyte, true, "none"},
        {0, false, "first@x.com"}, {kMegabyte, false, "first@x.com"}, {kMegabyte, false, "none"}};
    for (const auto& [memoryLimit, details, firstText] : cases) {
        TempDir dir;
        const std::string longAddress = std::string(100000, 'a') + "@x.com";
        const bool first = std::string_view(firstText) != "none";
        WriteFile(dir / "first.txt", firstText);
        WriteFile(dir / "changing.txt", "early@x.com first@x.com " + longAddress + " late@x.com");
        WriteFile(dir / "next.txt", "next@x.com EARLY@x.com");
        ChangingSink sink;
        sink.path = dir / "changing.txt";
        RunOptions options = Blocks(1);
        options.details = details;
        options.memoryLimit = static_cast<std::uint64_t>(memoryLimit);
        options.temporaryFolder = dir.path();
        const RunSummary summary = RunRemoval(
            Files({dir / "first.txt", dir / "changing.txt", dir / "next.txt"}), sink, options);
        // EARLY is new in next.txt: the failed file gave its early@x.com back,
        // and its first@x.com does not count.
        Strings want{"next@x.com", "EARLY@x.com"};
        if (first)
            want.insert(want.begin(), "first@x.com");
        const std::string context = std::to_string(memoryLimit) + " " + firstText;
        EXPECT_EQ(sink.addresses, want) << context;
        ASSERT_EQ(sink.reports.size(), 1u);
        EXPECT_EQ(sink.reports[0].description, "The file changed while it was read");
        EXPECT_EQ(summary.filesFailed, 1u);
        EXPECT_EQ(summary.uniqueAddresses, want.size());
        EXPECT_EQ(summary.diskBytes > 0, memoryLimit != 0);
        if (details) {
            ASSERT_EQ(sink.details.sources.size(), want.size());
            EXPECT_EQ(sink.details.sources[0].count, 1u) << context;
            EXPECT_EQ(sink.details.sources.back().fileIndex, 2u);
        }
        ASSERT_EQ(sink.tallies.size(), 3u);
        EXPECT_TRUE(sink.tallies[1].failed);
        EXPECT_EQ(sink.tallies[2].added, 2u);
    }
}

TEST(RemovalRun, StoppingALongRunEndsPromptly) {
    TempDir dir;
    WriteFile(dir / "big.txt", std::string(2'000'000, ' ') + "never@reached.com");
    RecordingSink sink;
    sink.stopAfterProgress = 3;
    // Blocks of one byte: the scanner would queue two million events if it
    // did not see the stop.
    const RunSummary summary =
        RunRemoval(Files({dir / "big.txt", dir / "big.txt"}), sink, Blocks(1));
    EXPECT_TRUE(summary.stopped);
    EXPECT_EQ(sink.progressCalls, 3);
    EXPECT_TRUE(sink.addresses.empty());
    EXPECT_EQ(summary.filesRead, 0u);
}

} // namespace
} // namespace ornavex
