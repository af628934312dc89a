#include "engine/address_pattern.h"
#include "engine/extract_emails.h"
#include "filelist/folder_scan.h"
#include "run/removal_run.h"
#include "test_support.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <random>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace ornavex {
namespace {

namespace fs = std::filesystem;
using testing::RecordingHooks;
using testing::TempDir;
using testing::WriteFile;
using Strings = std::vector<std::string>;

std::vector<InputSource> Files(const std::vector<fs::path>& paths) {
    std::vector<InputSource> inputs;
    for (const auto& path : paths)
        inputs.push_back(InputSource::File(path));
    return inputs;
}

struct Measured {
    int exitCode = -1;
    long peakKilobytes = 0;
    std::string out;
};

// Runs ornavex-cli with the arguments, output to a file, and reports its peak
// resident memory.
Measured RunCliMeasured(const std::vector<std::string>& arguments, const fs::path& outFile) {
    std::vector<std::string> all{ORNAVEX_CLI_PATH, "-q", "-o", outFile.string(), "--force"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : all)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    Measured result;
    if (posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return result;
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.peakKilobytes = usage.ru_maxrss;
    result.out = testing::ReadFile(outFile);
    return result;
}

TEST(HostileInputs, RandomBytesAndProgramsGiveOnlyValidDistinctAddresses) {
    TempDir dir;
    std::mt19937_64 random(99);
    std::string noise(5 << 20, '\0');
    for (char& c : noise)
        c = static_cast<char>(random() % 4 == 0 ? "a@.x -\r\n"[random() % 8] : random());
    WriteFile(dir / "noise.bin", noise);
    RecordingHooks hooks;
    RunRemoval(Files({dir / "noise.bin", "/proc/self/exe", "/bin/sh"}), hooks);
    EXPECT_TRUE(hooks.reports.empty());
    AddressSet seen;
    for (const std::string& address : hooks.addresses) {
        EXPECT_TRUE(IsEmailAddress(address)) << address;
        EXPECT_TRUE(seen.InsertLowerCased(address)) << "twice: " << address;
    }
    // The noise file comes first: the run over blocks found in it what the
    // engine finds in the whole text.
    AddressSet whole;
    const Strings expected = ExtractEmailToArray(noise, whole);
    ASSERT_GE(hooks.addresses.size(), expected.size());
    EXPECT_EQ(Strings(hooks.addresses.begin(),
                      hooks.addresses.begin() + static_cast<long>(expected.size())),
              expected);
}

TEST(HostileInputs, HundredMegabytesWithoutASeparatorKeepMemoryFlat) {
    TempDir dir;
    {
        std::FILE* file = std::fopen((dir / "wall.txt").c_str(), "wb");
        std::fputs("first@x.com a+", file); // '+' dooms the word that follows
        const std::string chunk(1 << 20, 'a');
        for (int i = 0; i < 100; ++i)
            std::fwrite(chunk.data(), 1, chunk.size(), file);
        std::fputs("@doomed.com last@y.org", file);
        std::fclose(file);
    }
    const Measured run = RunCliMeasured({(dir / "wall.txt").string()}, dir / "out.txt");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "first@x.com\nlast@y.org\n");
    EXPECT_LT(run.peakKilobytes, 64 * 1024);
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
    EXPECT_LT(run.peakKilobytes, 64 * 1024);
}

TEST(HostileInputs, NonRegularFilesFailClearlyAndTheRunGoesOn) {
    TempDir dir;
    WriteFile(dir / "ok.txt", "ok@x.com");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    RecordingHooks hooks;
    const RunSummary summary = RunRemoval(
        Files({dir.path(), dir / "fifo", "/dev/zero", dir / "ok.txt", dir / "missing"}), hooks);
    EXPECT_EQ(hooks.addresses, (Strings{"ok@x.com"}));
    ASSERT_EQ(hooks.reports.size(), 4u);
    EXPECT_EQ(hooks.reports[0].description, "Is a directory");
    EXPECT_EQ(hooks.reports[1].description, "Not a regular file");
    EXPECT_EQ(hooks.reports[2].description, "Not a regular file");
    EXPECT_EQ(hooks.reports[3].description, "No such file or directory");
    EXPECT_EQ(summary.filesFailed, 4u);
}

// Changes the file the first time the run yields, while the scanning thread
// is at most a queue's length into it.
class ChangingHooks : public RecordingHooks {
public:
    explicit ChangingHooks(std::function<void()> change) : change_(std::move(change)) {}
    bool Yield(const RunProgress& progress) override {
        if (change_) {
            change_();
            change_ = nullptr;
        }
        return RecordingHooks::Yield(progress);
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
    ChangingHooks hooks([&] { fs::resize_file(dir / "shrinking.txt", keep); });
    const RunSummary summary = RunRemoval(Files({dir / "shrinking.txt"}), hooks);
    AddressSet seen;
    EXPECT_EQ(hooks.addresses, ExtractEmailToArray(text.substr(0, keep), seen));
    EXPECT_EQ(summary.bytesRead, keep);
    EXPECT_TRUE(hooks.reports.empty());
}

TEST(HostileInputs, FileThatGrowsWhileReadIsReadToItsNewEnd) {
    TempDir dir;
    const std::string first = NumberedAddresses(0, 100000);
    const std::string more = NumberedAddresses(100000, 100100);
    WriteFile(dir / "growing.txt", first);
    ChangingHooks hooks([&] {
        std::FILE* file = std::fopen((dir / "growing.txt").c_str(), "ab");
        std::fwrite(more.data(), 1, more.size(), file);
        std::fclose(file);
    });
    RunRemoval(Files({dir / "growing.txt"}), hooks);
    EXPECT_EQ(hooks.addresses.size(), 100100u);
    EXPECT_EQ(hooks.addresses.back(), "user100099@example.com");
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
    RecordingHooks hooks;
    RunRemoval(Files(paths), hooks);
    EXPECT_EQ(hooks.addresses, expected);
    EXPECT_TRUE(hooks.reports.empty());

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

} // namespace
} // namespace ornavex
