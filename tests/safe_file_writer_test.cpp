#include "results/safe_file_writer.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace ornavex {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;
using Replace = SafeFileWriter::Replace;

// Writes bytes to path in one go; the failure's reason, or "" on success.
std::string WriteFileSafely(const fs::path& path, std::string_view bytes, Replace replace) {
    SafeFileWriter writer(path);
    if (writer.Open() && writer.Write(bytes) && writer.Commit(replace))
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
        SafeFileWriter writer(dir / "never.txt");
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

} // namespace
} // namespace ornavex
