#include "output/safe_file_writer.h"
#include "test_support.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace ornavex {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;
using Replace = SafeFileWriter::Replace;

// Writes bytes to path in one go; the failure's reason, or "" on success.
std::string WriteFileSafely(const fs::path& path, std::string_view bytes, Replace replace) {
    SafeFileWriter writer(path, replace);
    if (writer.Open() && writer.Write(bytes) && writer.Commit())
        return {};
    return writer.error();
}

std::size_t EntryCount(const fs::path& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}));
}

TEST(SafeFileWriter, WritesNewFilesAndLeavesNoTemporaryFile) {
    TempDir dir;
    EXPECT_EQ(WriteFileSafely(dir / "out.txt", "a\r\nb\r\n", Replace::kNever), "");
    EXPECT_EQ(ReadFile(dir / "out.txt"), "a\r\nb\r\n");
    EXPECT_EQ(WriteFileSafely(dir / "empty.txt", "", Replace::kNever), "");
    EXPECT_EQ(ReadFile(dir / "empty.txt"), "");
    EXPECT_EQ(EntryCount(dir.path()), 2u);
}

TEST(SafeFileWriter, ReplacesOnlyWhenAllowed) {
    TempDir dir;
    WriteFile(dir / "old.txt", "old bytes");
    EXPECT_EQ(WriteFileSafely(dir / "old.txt", "new", Replace::kNever), "File exists");
    EXPECT_EQ(ReadFile(dir / "old.txt"), "old bytes");
    EXPECT_EQ(WriteFileSafely(dir / "old.txt", "new", Replace::kExisting), "");
    EXPECT_EQ(ReadFile(dir / "old.txt"), "new");
    EXPECT_EQ(EntryCount(dir.path()), 1u);
}

TEST(SafeFileWriter, UncommittedWriterLeavesNothingBehind) {
    TempDir dir;
    {
        SafeFileWriter writer(dir / "never.txt", Replace::kNever);
        ASSERT_TRUE(writer.Open());
        ASSERT_TRUE(writer.Write("partial"));
    }
    EXPECT_EQ(EntryCount(dir.path()), 0u);
}

TEST(SafeFileWriter, ReportsAMissingFolder) {
    TempDir dir;
    EXPECT_EQ(WriteFileSafely(dir / "gone/out.txt", "x", Replace::kExisting),
              "No such file or directory");
    EXPECT_FALSE(fs::exists(dir / "gone"));
}

TEST(SafeFileWriter, ReportsAPathThroughAFileAndKeepsIt) {
    TempDir dir;
    WriteFile(dir / "plain", "precious");
    EXPECT_EQ(WriteFileSafely(dir / "plain/out.txt", "x", Replace::kExisting), "Not a directory");
    EXPECT_EQ(ReadFile(dir / "plain"), "precious");
    EXPECT_EQ(EntryCount(dir.path()), 1u);
}

#ifndef _WIN32
// A save writes the file the name stands for, not a new directory entry in
// its place: a private file stays private, a link stays a link, and a FIFO
// or a device is written as it is.
TEST(SafeFileWriter, WritesWhatTheNameStandsFor) {
    TempDir dir;
    WriteFile(dir / "private.txt", "old");
    ASSERT_EQ(::chmod((dir / "private.txt").c_str(), 0600), 0);
    EXPECT_EQ(WriteFileSafely(dir / "private.txt", "new", Replace::kExisting), "");
    struct stat info;
    ASSERT_EQ(::stat((dir / "private.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);

    fs::create_directory(dir / "real");
    WriteFile(dir / "real/list.txt", "old");
    fs::create_symlink("real/list.txt", dir / "link.txt");
    fs::create_symlink("real/made.txt", dir / "dangling.txt");
    EXPECT_EQ(WriteFileSafely(dir / "link.txt", "through", Replace::kExisting), "");
    EXPECT_EQ(WriteFileSafely(dir / "dangling.txt", "made", Replace::kExisting), "");
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
    EXPECT_EQ(ReadFile(dir / "real/list.txt"), "through");
    EXPECT_TRUE(fs::is_symlink(dir / "dangling.txt"));
    EXPECT_EQ(ReadFile(dir / "real/made.txt"), "made");

    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    const int reader = ::open((dir / "fifo").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_EQ(WriteFileSafely(dir / "fifo", "to the reader", Replace::kExisting), "");
    char got[32] = {};
    EXPECT_EQ(::read(reader, got, sizeof got), 13);
    EXPECT_EQ(std::string(got), "to the reader");
    ::close(reader);
    EXPECT_EQ(fs::status(dir / "fifo").type(), fs::file_type::fifo);
    // A null device of the test's own, where the right to make one is had:
    // a writer that replaced it would not replace the system's.
    std::size_t entries = 5;
    if (::mknod((dir / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        EXPECT_EQ(WriteFileSafely(dir / "null", "gone", Replace::kExisting), "");
        EXPECT_EQ(fs::status(dir / "null").type(), fs::file_type::character);
        ++entries;
    }
    EXPECT_EQ(WriteFileSafely(dir.path(), "x", Replace::kExisting), "Is a directory");
    EXPECT_EQ(EntryCount(dir.path()), entries); // nothing left behind
}

TEST(SafeFileWriter, NamesUpToTheLongestTheSystemTakes) {
    TempDir dir;
    for (std::size_t length : {200u, 236u, 250u, 255u}) {
        const fs::path path = dir / std::string(length, 'n');
        EXPECT_EQ(WriteFileSafely(path, "x", Replace::kNever), "") << length;
        EXPECT_EQ(WriteFileSafely(path, "y", Replace::kExisting), "") << length;
        EXPECT_EQ(ReadFile(path), "y") << length;
    }
    EXPECT_EQ(EntryCount(dir.path()), 4u);
}
#endif

} // namespace
} // namespace ornavex
