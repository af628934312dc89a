#include "engine/address_pattern.h"
#include "extract_emails.h"
#include "run/removal_run.h"
#include "scan/folder_scan.h"
#include "test_support.h"

#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <random>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ornavex {
namespace {

using testing::InsertLowerCased;

namespace fs = std::filesystem;
using testing::RecordingSink;
using testing::TempDir;
using testing::WriteFile;
using Strings = std::vector<std::string>;

std::vector<Input> Files(const std::vector<fs::path>& paths) {
    std::vector<Input> inputs;
    for (const auto& path : paths)
        inputs.push_back(Input::File(path));
    return inputs;
}

struct Measured {
    int exitCode = -1;
    double peakMegabytes = 0;
    std::string out;
};

// Runs ornavex-cli with the arguments, output to a file, and reports the peak
// memory it gave in its own statistics: its own, not that of the process
// that started it.
Measured RunCliMeasured(const std::vector<std::string>& arguments, const fs::path& outFile) {
    std::string command = testing::ShellQuote(ORNAVEX_CLI_PATH) + " -q --stats --force -o " +
                          testing::ShellQuote(outFile);
    for (const std::string& argument : arguments)
        command += " " + testing::ShellQuote(argument);
    const testing::ProcessResult run = testing::RunCommand(command);
    Measured result;
    result.exitCode = run.exitCode;
    const std::size_t at = run.err.find("peak memory MB: ");
    if (at != std::string::npos)
        result.peakMegabytes = std::stod(run.err.substr(at + 16));
    result.out = testing::ReadFile(outFile);
    return result;
}

// Writes count copies of piece to path, with head before and tail after.
void WriteRepeated(const fs::path& path, std::string_view head, std::string_view piece,
                   std::size_t count, std::string_view tail) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(head.data(), 1, head.size(), file);
    std::string chunk;
    while (chunk.size() < (1 << 20))
        chunk += piece;
    for (std::size_t written = 0; written < count * piece.size(); written += chunk.size())
        std::fwrite(chunk.data(), 1, std::min(chunk.size(), count * piece.size() - written), file);
    std::fwrite(tail.data(), 1, tail.size(), file);
    std::fclose(file);
}

TEST(HostileInputs, RandomBytesAndProgramsGiveOnlyValidDistinctAddresses) {
    TempDir dir;
    std::mt19937_64 random(99);
    std::string noise(5 << 20, '\0');
    for (char& c : noise)
        c = static_cast<char>(random() % 4 == 0 ? "a@.x -\r\n"[random() % 8] : random());
    WriteFile(dir / "noise.bin", noise);
    RecordingSink sink;
    RunRemoval(Files({dir / "noise.bin", "/proc/self/exe", "/bin/sh"}), sink);
    EXPECT_TRUE(sink.reports.empty());
    AddressSet seen;
    for (const std::string& address : sink.addresses) {
        EXPECT_TRUE(IsEmailAddress(address)) << address;
        EXPECT_TRUE(InsertLowerCased(seen, address)) << "twice: " << address;
    }
    // The noise file comes first: the run over blocks found in it what the
    // engine finds in the whole text.
    AddressSet whole;
    const Strings expected = ExtractEmailToArray(noise, whole);
    ASSERT_GE(sink.addresses.size(), expected.size());
    EXPECT_EQ(Strings(sink.addresses.begin(),
                      sink.addresses.begin() + static_cast<long>(expected.size())),
              expected);
}

// Words hundreds of megabytes long keep no text in memory: one that can no
// longer be an address keeps nothing, one that still can keeps its start.
TEST(HostileInputs, LongWordsKeepMemoryFlat) {
    TempDir dir;
    struct Case {
        const char* name;
        const char* piece; // repeated to 200 MB
        const char* tail;
    };
    for (const Case& word :
         {Case{"genome", "ACGT", " last@y.org"}, Case{"two-at", "a@a.a", " last@y.org"},
          Case{"doomed", "a+", " last@y.org"}}) {
        const fs::path path = dir / word.name;
        WriteRepeated(path, "first@x.com ", word.piece, (200 << 20) / std::strlen(word.piece),
                      word.tail);
        const Measured run = RunCliMeasured({path.string()}, dir / "out.txt");
        EXPECT_EQ(run.exitCode, 0) << word.name;
        EXPECT_EQ(run.out, "first@x.com\nlast@y.org\n") << word.name;
        EXPECT_GT(run.peakMegabytes, 0) << word.name;
        EXPECT_LT(run.peakMegabytes, 64) << word.name;
        fs::remove(path);
    }
}

// A word too long to keep that is an address after all is read again from
// the file, exactly.
TEST(HostileInputs, AnAddressTooLongToKeepIsReadAgain) {
    TempDir dir;
    const std::string local(3 << 20, 'a');
    const std::string address = "X" + local + "@Long.Example.org";
    WriteFile(dir / "long.txt", "before@x.com " + address + ". " + "after@x.com");
    testing::RecordingSink sink;
    RunRemoval(Files({dir / "long.txt"}), sink);
    EXPECT_TRUE(sink.reports.empty());
    ASSERT_EQ(sink.addresses.size(), 3u);
    EXPECT_EQ(sink.addresses[1], address);
    // The same through the standard input, which keeps the text instead.
    const testing::ProcessResult piped =
        testing::RunCommand("cat " + testing::ShellQuote(dir / "long.txt") + " | " +
                            testing::ShellQuote(ORNAVEX_CLI_PATH) + " -q -");
    EXPECT_EQ(piped.out, "before@x.com\n" + address + "\nafter@x.com\n");
}

// Files whose size says 0 but that hold text (those of /proc) are read to
// their end, however short each read is: /proc/PID/maps gives a page a read.
// New mappings go below older ones, so the many mapped after the file list
// before it, and its name stands well past the first page.
TEST(HostileInputs, FilesOfProcAreReadWhole) {
    TempDir dir;
    fs::create_directory(dir / "found@maps.example");
    const fs::path mapped = dir / "found@maps.example/page";
    WriteFile(mapped, std::string(4096, 'p'));
    const int fd = ::open(mapped.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    std::vector<void*> maps{::mmap(nullptr, 4096, PROT_READ, MAP_PRIVATE, fd, 0)};
    for (int i = 0; i < 400; ++i) // alternate rights: one line each
        maps.push_back(::mmap(nullptr, 4096, i % 2 ? PROT_READ : PROT_NONE,
                              MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    const std::string maps_file = "/proc/" + std::to_string(::getpid()) + "/maps";
    const std::string text = testing::ReadFile(maps_file);
    ASSERT_GT(text.find("found@maps.example"), 8192u) << "the mapped file is named too early";
    const testing::ProcessResult run =
        testing::RunCommand(testing::ShellQuote(ORNAVEX_CLI_PATH) + " -q " + maps_file);
    for (void* map : maps)
        ::munmap(map, 4096);
    ::close(fd);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("found@maps.example\n"), std::string::npos) << run.out;
}

TEST(HostileInputs, ThreeGigabyteSparseFileStreamsWithFlatMemory) {
    TempDir dir;
    const fs::path path = dir / "huge.txt";
    constexpr off_t kSize = 3'000'000'000LL;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, kSize), 0); // holes read as NUL: no disk used
    const std::string start = "start@x.com ", middle = " middle@x.com ", end = " end@x.com";
    ASSERT_EQ(::pwrite(fd, start.data(), start.size(), 0), static_cast<ssize_t>(start.size()));
    ASSERT_EQ(::pwrite(fd, middle.data(), middle.size(), 2'500'000'000LL),
              static_cast<ssize_t>(middle.size()));
    ASSERT_EQ(::pwrite(fd, end.data(), end.size(), kSize - static_cast<off_t>(end.size())),
              static_cast<ssize_t>(end.size()));
    ::close(fd);
    const Measured run = RunCliMeasured({path.string()}, dir / "out.txt");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "start@x.com\nmiddle@x.com\nend@x.com\n");
    EXPECT_GT(run.peakMegabytes, 0);
    EXPECT_LT(run.peakMegabytes, 64);
}

TEST(HostileInputs, NonRegularFilesFailClearlyAndTheRunGoesOn) {
    TempDir dir;
    WriteFile(dir / "ok.txt", "ok@x.com");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    RecordingSink sink;
    const RunSummary summary = RunRemoval(
        Files({dir.path(), dir / "fifo", "/dev/zero", dir / "ok.txt", dir / "missing"}), sink);
    EXPECT_EQ(sink.addresses, (Strings{"ok@x.com"}));
    ASSERT_EQ(sink.reports.size(), 4u);
    EXPECT_EQ(sink.reports[0].description, "Is a directory");
    EXPECT_EQ(sink.reports[1].description, "Not a regular file");
    EXPECT_EQ(sink.reports[2].description, "Not a regular file");
    EXPECT_EQ(sink.reports[3].description, "No such file or directory");
    EXPECT_EQ(summary.filesFailed, 4u);
}

// Changes the file the first time the run reports progress, while the reading thread
// is at most a queue's length into it.
class ChangingSink : public RecordingSink {
public:
    explicit ChangingSink(std::function<void()> change) : change_(std::move(change)) {}
    bool Progress(const RunProgress& progress) override {
        if (change_) {
            change_();
            change_ = nullptr;
        }
        return RecordingSink::Progress(progress);
    }

private:
    std::function<void()> change_;
};

std::string NumberedAddresses(int from, int to) {
    std::string text;
    for (int i = from; i < to; ++i)
        text += "user" + std::to_string(i) + "@example.com\n";
    return text;
}

TEST(HostileInputs, FileThatShrinksWhileReadEndsWhereItNowEnds) {
    TempDir dir;
    const std::string text = NumberedAddresses(0, 400000); // about 9 MB
    WriteFile(dir / "shrinking.txt", text);
    const std::size_t keep = text.find('\n', 2'000'000) + 1;
    ChangingSink sink([&] { fs::resize_file(dir / "shrinking.txt", keep); });
    const RunSummary summary = RunRemoval(Files({dir / "shrinking.txt"}), sink);
    AddressSet seen;
    EXPECT_EQ(sink.addresses, ExtractEmailToArray(text.substr(0, keep), seen));
    EXPECT_EQ(summary.bytesRead, keep);
    EXPECT_TRUE(sink.reports.empty());
}

TEST(HostileInputs, FileThatGrowsWhileReadIsReadToItsNewEnd) {
    TempDir dir;
    const std::string first = NumberedAddresses(0, 100000);
    const std::string more = NumberedAddresses(100000, 100100);
    WriteFile(dir / "growing.txt", first);
    ChangingSink sink([&] {
        std::FILE* file = std::fopen((dir / "growing.txt").c_str(), "ab");
        std::fwrite(more.data(), 1, more.size(), file);
        std::fclose(file);
    });
    RunRemoval(Files({dir / "growing.txt"}), sink);
    EXPECT_EQ(sink.addresses.size(), 100100u);
    EXPECT_EQ(sink.addresses.back(), "user100099@example.com");
}

TEST(HostileInputs, AwkwardFileNamesAreReadExactly) {
    TempDir dir;
    const std::vector<std::string> names = {
        "with space.txt",   "quote's \"double\".txt", "na\xC3\xAFve-\xCE\xA9mega.txt",
        "bad-\xFF\xFE.txt", "$(touch pwned);`x`.txt", "-dash.txt"};
    std::vector<fs::path> paths;
    Strings expected;
    for (std::size_t i = 0; i < names.size(); ++i) {
        paths.push_back(dir / names[i]);
        expected.push_back("file" + std::to_string(i) + "@x.com");
        WriteFile(paths.back(), expected.back());
    }
    RecordingSink sink;
    RunRemoval(Files(paths), sink);
    EXPECT_EQ(sink.addresses, expected);
    EXPECT_TRUE(sink.reports.empty());

    std::vector<std::string> arguments;
    for (const auto& path : paths)
        arguments.push_back(path.string());
    const Measured run = RunCliMeasured(arguments, dir / "out.txt");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "file0@x.com\nfile1@x.com\nfile2@x.com\nfile3@x.com\nfile4@x.com\n"
                       "file5@x.com\n");
    EXPECT_FALSE(fs::exists("pwned"));
}

TEST(HostileInputs, FolderOfAHundredThousandFilesIsScannedInOrder) {
    TempDir dir;
    fs::create_directories(dir / "many");
    for (int i = 0; i < 100000; ++i) {
        const int fd = ::open((dir / "many" / ("f" + std::to_string(i) + ".txt")).c_str(),
                              O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    const auto files = ScanFolder(dir / "many", FileNameFilter::ForExtensions("txt")).files;
    ASSERT_EQ(files.size(), 100000u);
    EXPECT_EQ(files.front().filename(), "f0.txt");
    EXPECT_EQ(files[1].filename(), "f1.txt");
    EXPECT_EQ(files[2].filename(), "f10.txt"); // names sort as text
    EXPECT_EQ(files.back().filename(), "f99999.txt");
}

// A long list cleaned by a long do-not-mail list, sorted, counted or
// written as CSV past its memory limit takes little more memory than the
// plain run: the list, its counts and sources, the sort and the do-not-mail
// list go through temporary data, not memory.
TEST(HostileInputs, CleaningSortingAndCountingALongListKeepToItsMemoryLimit) {
    if (testing::UnderSanitizer())
        GTEST_SKIP() << "the sanitizers' own memory is measured too";
    TempDir dir;
    std::mt19937_64 random(5);
    std::string list, doNotMail;
    constexpr int kUnique = 400000;
    for (int i = 0; i < kUnique; ++i) {
        const std::string address = "person." + std::to_string(random() >> 24) + "@host" +
                                    std::to_string(i % 5000) + ".example-domain.org\n";
        list += address;
        if (i % 4 == 0)
            doNotMail += address;
    }
    WriteFile(dir / "list.txt", list);
    WriteFile(dir / "dnm.txt", doNotMail);
    const std::vector<std::string> limit = {"--memory-limit", "16M", (dir / "list.txt").string()};
    const Measured plain = RunCliMeasured(limit, dir / "out.txt");
    ASSERT_EQ(plain.exitCode, 0);
    EXPECT_EQ(plain.out, list);
    for (std::vector<std::string> options :
         {std::vector<std::string>{"--csv", "--sort", "domain"},
          {"--counts", "--sort", "count", "--drop-roles"},
          {"--exclude", (dir / "dnm.txt").string(), "--sort", "address"}}) {
        options.insert(options.end(), limit.begin(), limit.end());
        const Measured run = RunCliMeasured(options, dir / "out.txt");
        EXPECT_EQ(run.exitCode, 0) << options[0];
        EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'),
                  options[0] == "--exclude" ? kUnique - kUnique / 4
                                            : kUnique + (options[0] == "--csv"))
            << options[0];
        EXPECT_LT(run.peakMegabytes, plain.peakMegabytes + 16) << options[0];
    }
}

} // namespace
} // namespace ornavex
