#include "run/block_reader.h"
#include "run/removal_run.h"
#include "run/whole_file_batch.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ornavex {
namespace {

using testing::RecordingSink;
using testing::TempDir;
using testing::WriteFile;

constexpr std::size_t kBlock = 100;

std::vector<const Input*> Pointers(const std::vector<Input>& inputs) {
    std::vector<const Input*> pointers;
    for (const Input& input : inputs)
        pointers.push_back(&input);
    return pointers;
}

TEST(WholeFileBatch, ReadsOnlySmallRegularFilesAndExactly) {
    TempDir dir;
    const std::string small = "a@b.com\r\nline two\n";
    const std::string binary("x\0y\xff@z", 6);
    WriteFile(dir / "small", small);
    WriteFile(dir / "empty", "");
    WriteFile(dir / "just-under", std::string(kBlock - 1, 'u'));
    WriteFile(dir / "block", std::string(kBlock, 'b'));
    WriteFile(dir / "over", std::string(kBlock + 1, 'o'));
    WriteFile(dir / "binary", binary);
    std::vector<Input> inputs = {
        Input::File(dir / "small"), Input::File(dir / "empty"), Input::File(dir / "just-under"),
        Input::File(dir / "block"), Input::File(dir / "over"),  Input::File(dir / "missing"),
        Input::File(dir.path()),    Input::StandardInput(),     Input::File(dir / "binary"),
    };
#ifndef _WIN32
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    inputs.push_back(Input::File(dir / "fifo"));
    inputs.push_back(Input::File("/dev/zero"));
#endif

    WholeFileBatch batch(kBlock);
    batch.Load(Pointers(inputs));

    // Whatever the system offers, these are left for the usual read, which
    // reports their errors or reads them block by block.
    // An empty file is read the usual way too: a size of 0 does not say
    // that a read gives nothing (files of /proc).
    for (std::size_t k : {1, 3, 4, 5, 6, 7})
        EXPECT_FALSE(batch.Contents(k).has_value()) << inputs[k].DisplayName();
    for (std::size_t k = 9; k < inputs.size(); ++k)
        EXPECT_FALSE(batch.Contents(k).has_value()) << inputs[k].DisplayName();
    EXPECT_FALSE(batch.Contents(inputs.size()).has_value());

    if (!batch.Contents(0)) // its first file is always one to take
        GTEST_SKIP() << "this system reads files one call at a time";
    EXPECT_EQ(batch.Contents(0), small);
    EXPECT_EQ(batch.Contents(2), std::string(kBlock - 1, 'u'));
    EXPECT_EQ(batch.Contents(8), binary);
}

TEST(WholeFileBatch, EachLoadReplacesTheLastAndTakesAtMostItsLimit) {
    TempDir dir;
    std::vector<Input> inputs;
    for (std::size_t i = 0; i < WholeFileBatch::kMaxFiles + 5; ++i) {
        const auto path = dir / ("f" + std::to_string(i));
        WriteFile(path, "file " + std::to_string(i));
        inputs.push_back(Input::File(path));
    }
    WholeFileBatch batch(kBlock);
    batch.Load(Pointers(inputs));
    EXPECT_FALSE(batch.Contents(WholeFileBatch::kMaxFiles).has_value());
    if (batch.Contents(0)) {
        for (std::size_t k = 0; k < WholeFileBatch::kMaxFiles; ++k)
            EXPECT_EQ(batch.Contents(k), "file " + std::to_string(k));
    }

    // A second batch: its own files in the same places, none of the first.
    const std::vector<Input> second = {Input::File(dir / "f33"), Input::File(dir / "missing")};
    batch.Load(Pointers(second));
    EXPECT_FALSE(batch.Contents(1).has_value());
    EXPECT_FALSE(batch.Contents(2).has_value());
    if (!batch.Contents(0)) // its first file is always one to take
        GTEST_SKIP() << "this system reads files one call at a time";
    EXPECT_EQ(batch.Contents(0), "file 33");
}

#ifndef _WIN32
// What is not a regular file is looked at before anything is opened: a FIFO
// among small files keeps what waits in it, and so does the standard input
// named as /dev/stdin.
TEST(WholeFileBatch, NothingIsReadFromAFifoInABatch) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    // Opened for both reading and writing: the FIFO has a writer and data.
    const int fifo = ::open((dir / "fifo").c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(fifo, 0);
    ASSERT_EQ(::write(fifo, "kept@fifo.com", 13), 13);
    // Each of the two reading threads reads every other file: the FIFO
    // shares a batch with two small files.
    std::vector<Input> inputs;
    std::vector<std::string> expected;
    for (int i = 0; i < 6; ++i) {
        if (i == 2) {
            inputs.push_back(Input::File(dir / "fifo"));
            continue;
        }
        const std::string address = "file" + std::to_string(i) + "@x.com";
        WriteFile(dir / std::to_string(i), address);
        inputs.push_back(Input::File(dir / std::to_string(i)));
        expected.push_back(address);
    }
    RecordingSink sink;
    RunRemoval(inputs, sink);
    EXPECT_EQ(sink.addresses, expected);
    ASSERT_EQ(sink.reports.size(), 1u);
    EXPECT_EQ(sink.reports[0].description, "Not a regular file");
    char left[32] = {};
    EXPECT_EQ(::read(fifo, left, sizeof left), 13);
    EXPECT_EQ(std::string(left), "kept@fifo.com");
    ::close(fifo);
}
#endif

TEST(WholeFileBatch, FilesOfSeveralFoldersInOneBatchAreEachTheirOwn) {
    TempDir dir;
    std::filesystem::create_directories(dir / "a");
    std::filesystem::create_directories(dir / "b");
    std::filesystem::create_directories(dir / "c/d");
    // The same name in different folders, and folders that come back.
    const std::vector<std::string> names = {"a/1", "b/1", "a/2", "c/d/1", "b/2", "a/1"};
    std::vector<Input> inputs;
    for (const std::string& name : names) {
        WriteFile(dir / name, "text of " + name);
        inputs.push_back(Input::File(dir / name));
    }
    WholeFileBatch batch(kBlock);
    for (int round = 0; round < 2; ++round) { // the folder left open from the first
        batch.Load(Pointers(inputs));
        if (!batch.Contents(0))
            GTEST_SKIP() << "this system reads files one call at a time";
        for (std::size_t k = 0; k < names.size(); ++k)
            EXPECT_EQ(batch.Contents(k), "text of " + names[k]) << names[k];
    }
}

#ifndef _WIN32
// One random tree read in batches and read block by block gives the same
// addresses and the same reports, in the same order.
TEST(WholeFileBatch, BatchedAndBlockReadsAgree) {
    TempDir dir;
    std::mt19937 random(3);
    std::vector<Input> inputs;
    for (int i = 0; i < 400; ++i) {
        const std::filesystem::path path = dir / ("f" + std::to_string(i));
        switch (random() % 8) {
        case 0:
            ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
            break;
        case 1:
            std::filesystem::create_directory(path);
            break;
        case 2:
            std::filesystem::create_symlink(dir / ("f" + std::to_string(random() % 400)), path);
            break;
        case 3:
            WriteFile(path, "");
            break;
        case 4: // larger than a block
            WriteFile(path, std::string(random() % 50000 + kReadBlockSize, ' ') + "big" +
                                std::to_string(i) + "@x.com");
            break;
        default:
            WriteFile(path, "to: User" + std::to_string(random() % 300) + "@Host.example, u" +
                                std::to_string(i) + "@x.org");
            if (random() % 4 == 0)
                ::chmod(path.c_str(), 0);
        }
        inputs.push_back(Input::File(path));
    }
    struct Log : RecordingSink {
        void Error(const ErrorReport& report) override {
            addresses.push_back(report.path + ": " + report.description);
        }
    };
    Log batched, blockByBlock;
    RunOptions options;
    RunRemoval(inputs, batched, options);
    options.batchReads = false;
    RunRemoval(inputs, blockByBlock, options);
    EXPECT_GT(batched.addresses.size(), 300u);
    EXPECT_EQ(batched.addresses, blockByBlock.addresses);
}

// Small files go through batches, the rest one by one: the reports and the
// addresses still come in list order, with the usual reasons.
TEST(WholeFileBatch, ARunMixingFilesFoldersAndFifosKeepsListOrder) {
    TempDir dir;
    WriteFile(dir / "a.txt", "first@a.com");
    WriteFile(dir / "c.txt", "second@c.com FIRST@A.COM");
    WriteFile(dir / "e.txt", "third@e.com " + std::string(40000, ' ') + "fourth@e.com");
    std::filesystem::create_directory(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    std::vector<Input> inputs;
    for (const char* name : {"a.txt", "folder", "c.txt", "fifo", "missing", "e.txt"})
        inputs.push_back(Input::File(dir / name));

    struct Log : RecordingSink {
        void Address(std::string_view address) override { events.push_back(std::string(address)); }
        void Error(const ErrorReport& report) override {
            events.push_back(report.description + ": " + report.path);
        }
        std::vector<std::string> events;
    } sink;
    const RunSummary summary = RunRemoval(inputs, sink);
    EXPECT_EQ(sink.events, (std::vector<std::string>{
                               "first@a.com",
                               "Is a directory: " + (dir / "folder").string(),
                               "second@c.com",
                               "Not a regular file: " + (dir / "fifo").string(),
                               "No such file or directory: " + (dir / "missing").string(),
                               "third@e.com",
                               "fourth@e.com",
                           }));
    EXPECT_EQ(summary.filesRead, 3u);
    EXPECT_EQ(summary.filesFailed, 3u);
}
#endif

} // namespace
} // namespace ornavex
