#include "output/output_writer.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <sys/mount.h>

namespace ornavex {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::RunCommand;
using testing::ShellQuote;
using testing::TempDir;
using testing::WriteFile;

// Writes count copies of address to path as the results window saves a
// list; the failure's reason, or "".
std::string WriteList(const fs::path& path, std::size_t count, std::string_view address,
                      ExportFormat format, bool replace) {
    OutputWriter writer(path, format,
                        replace ? SafeFileWriter::Replace::kExisting
                                : SafeFileWriter::Replace::kNever);
    if (writer.Open()) {
        for (std::size_t i = 0; i < count; ++i)
            writer.Append(address);
        writer.Close();
    }
    return writer.error();
}

// A 64 KiB file system of its own, so a full disk and a read-only folder can
// be had for real. Needs the right to mount; skipped without it.
class OutputFaults : public ::testing::Test {
protected:
    void SetUp() override {
        mountPoint_ = dir_ / "small";
        fs::create_directories(mountPoint_);
        if (::mount("tmpfs", mountPoint_.c_str(), "tmpfs", 0, "size=64k") != 0)
            GTEST_SKIP() << "cannot mount a small file system here";
        mounted_ = true;
        WriteFile(mountPoint_ / "keep.txt", "precious\r\n");
    }
    void TearDown() override {
        if (mounted_)
            ::umount2(mountPoint_.c_str(), MNT_DETACH);
    }
    void MakeReadOnly() {
        ASSERT_EQ(::mount(nullptr, mountPoint_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr),
                  0);
    }
    std::size_t Entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(mountPoint_), {}));
    }

    TempDir dir_;
    fs::path mountPoint_;
    bool mounted_ = false;
};

TEST_F(OutputFaults, FullDiskLeavesTheOldFileByteForByte) {
    const std::string error = WriteList(mountPoint_ / "keep.txt", 20000, "someone@example.com",
                                        ExportFormat::kLines, true);
    EXPECT_EQ(error, "No space left on device");
    EXPECT_EQ(ReadFile(mountPoint_ / "keep.txt"), "precious\r\n");
    EXPECT_EQ(Entries(), 1u); // no temporary file left behind
    EXPECT_EQ(WriteList(mountPoint_ / "new.txt", 20000, "someone@example.com",
                        ExportFormat::kCommas, false),
              "No space left on device");
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(OutputFaults, CommandLineReportsAFullDisk) {
    WriteFile(dir_ / "in.txt", "a@x.com b@x.com");
    const testing::ProcessResult result =
        RunCommand(ShellQuote(ORNAVEX_CLI_PATH) + " -o " + ShellQuote(mountPoint_ / "out.txt") +
                       " - " + ShellQuote(dir_ / "in.txt"),
                   std::string(200000, 'x') + " " + std::string(100000, 'y') + "@z.com");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("No space left on device"), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(mountPoint_ / "out.txt"));
    EXPECT_EQ(Entries(), 1u);
}

// Addresses past the memory limit go to temporary files; when those fill
// the disk, the run fails with the reason and writes nothing.
TEST_F(OutputFaults, FullDiskForTemporaryDataIsAClearErrorAndWritesNothing) {
    std::string many;
    for (int i = 0; i < 20000; ++i)
        many += "someone" + std::to_string(i) + "@example.org\n";
    WriteFile(dir_ / "many.txt", many);
    const testing::ProcessResult result =
        RunCommand("TMPDIR=" + ShellQuote(mountPoint_) + " " + ShellQuote(ORNAVEX_CLI_PATH) +
                   " --memory-limit 1 -o " + ShellQuote(dir_ / "out.txt") + " " +
                   ShellQuote(dir_ / "many.txt"));
    EXPECT_EQ(result.exitCode, 1);
    // The message names the folder and what ran out, not the file being read.
    EXPECT_EQ(result.err.rfind("ornavex-cli: Cannot keep temporary data in " +
                                   mountPoint_.string() + ": No space left on device\n",
                               0),
              0u)
        << result.err;
    EXPECT_FALSE(fs::exists(dir_ / "out.txt"));
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(OutputFaults, ReadOnlyFolderIsReportedAndNothingChanges) {
    MakeReadOnly();
    EXPECT_EQ(WriteList(mountPoint_ / "keep.txt", 1, "a@x.com", ExportFormat::kLines, true),
              "Read-only file system");
    EXPECT_EQ(ReadFile(mountPoint_ / "keep.txt"), "precious\r\n");
    EXPECT_EQ(Entries(), 1u);
}

} // namespace
} // namespace ornavex
