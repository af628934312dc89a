#include "filelist/folder_scan.h"
#include "test_support.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ornavex {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::WriteFile;

std::vector<std::string> Relative(const std::vector<fs::path>& paths, const fs::path& base) {
    std::vector<std::string> names;
    for (const auto& path : paths)
        names.push_back(path.lexically_relative(base).generic_string());
    return names;
}

TEST(Wildcard, MatchesLikeADirectoryListing) {
    EXPECT_TRUE(MatchesWildcard("a.txt", "*.txt"));
    EXPECT_TRUE(MatchesWildcard("B.TXT", "*.txt"));
    EXPECT_FALSE(MatchesWildcard("a.doc", "*.txt"));
    EXPECT_FALSE(MatchesWildcard("a.txt.bak", "*.txt"));
    EXPECT_TRUE(MatchesWildcard("archive.tar.txt", "*.txt"));
    EXPECT_TRUE(MatchesWildcard("README", "*.*"));
    EXPECT_TRUE(MatchesWildcard(".hidden", "*.*"));
    EXPECT_TRUE(MatchesWildcard("a.b", "?.?"));
    EXPECT_FALSE(MatchesWildcard("ab.b", "?.?"));
    EXPECT_FALSE(MatchesWildcard("txt", "*.txt"));
}

TEST(Wildcard, OrdersNamesIgnoringCase) {
    EXPECT_TRUE(LessIgnoringCase("apple", "Banana"));
    EXPECT_TRUE(LessIgnoringCase("B", "c"));
    EXPECT_FALSE(LessIgnoringCase("b", "B"));
    EXPECT_TRUE(LessIgnoringCase("B", "b")); // ties broken by the exact bytes
    // A name that begins another comes first, whatever the case.
    EXPECT_TRUE(LessIgnoringCase("ab", "ABC"));
    EXPECT_FALSE(LessIgnoringCase("ABC", "ab"));
    // Letters compare as lower case: '_' comes before 'B', which unfolded would come first.
    EXPECT_TRUE(LessIgnoringCase("a_", "aB"));
    EXPECT_FALSE(LessIgnoringCase("aB", "a_"));
    EXPECT_FALSE(LessIgnoringCase("", ""));
    EXPECT_TRUE(LessIgnoringCase("", "a"));
}

TEST(Wildcard, SortKeysGiveTheSameOrderAsComparingIgnoringCase) {
    // Every name of up to three characters over an alphabet with both cases,
    // punctuation that falls between the cases, and bytes from 0x80 up.
    const std::string alphabet = {'a', 'A', 'b', 'B', '_', '.', '0', '\x80', '\xC3', '\xFF'};
    std::vector<std::string> names{""};
    for (std::size_t from = 0, length = 1; length <= 3; ++length) {
        const std::size_t to = names.size();
        for (std::size_t i = from; i < to; ++i)
            for (char c : alphabet)
                names.push_back(names[i] + c);
        from = to;
    }
    auto keyedLess = [](const std::string& a, const std::string& b) {
        const std::string keyA = CaseFoldedSortKey(a), keyB = CaseFoldedSortKey(b);
        return keyA != keyB ? keyA < keyB : a < b;
    };
    std::size_t disagreements = 0;
    for (const std::string& a : names)
        for (const std::string& b : names)
            disagreements += keyedLess(a, b) != LessIgnoringCase(a, b);
    EXPECT_EQ(disagreements, 0u) << "of " << names.size() * names.size() << " pairs";
}

class FolderScan : public ::testing::Test {
protected:
    void SetUp() override {
        // F/f1.txt, F/A/a1.txt, F/B/b1.txt, F/A/C/c1.txt plus distractors.
        fs::create_directories(dir / "F/A/C");
        fs::create_directories(dir / "F/b");
        fs::create_directories(dir / "F/.hidden");
        WriteFile(dir / "F/f1.txt", "");
        WriteFile(dir / "F/Z2.TXT", "");
        WriteFile(dir / "F/f.doc", "");
        WriteFile(dir / "F/~lock.txt", "");
        WriteFile(dir / "F/.dot.txt", "");
        WriteFile(dir / "F/A/a1.txt", "");
        WriteFile(dir / "F/b/b1.txt", "");
        WriteFile(dir / "F/A/C/c1.txt", "");
        WriteFile(dir / "F/.hidden/h.txt", "");
    }
    TempDir dir;
};

TEST_F(FolderScan, CollectsSubfoldersLevelByLevel) {
    FolderList folders{dir / "F"};
    CollectSubfolders(folders);
    EXPECT_EQ(Relative(folders, dir.path()),
              (std::vector<std::string>{"F", "F/A", "F/b", "F/A/C"}));
}

TEST_F(FolderScan, ListsMatchingFilesHiddenIncludedSortedIgnoringCase) {
    const auto names = ListFolderFiles(dir / "F", PatternForExtension("txt"));
    EXPECT_EQ(names, (std::vector<std::string>{".dot.txt", "f1.txt", "Z2.TXT", "~lock.txt"}));
    EXPECT_EQ(ListFolderFiles(dir / "F", PatternForExtension("*")).size(), 5u);
    EXPECT_TRUE(ListFolderFiles(dir / "missing", kAllFilesPattern).empty());
}

TEST_F(FolderScan, ScanSkipsTildeNamesAndHiddenFolders) {
    EXPECT_EQ(Relative(ScanFolder(dir / "F", PatternForExtension("txt")), dir.path()),
              (std::vector<std::string>{"F/.dot.txt", "F/f1.txt", "F/Z2.TXT", "F/A/a1.txt",
                                        "F/b/b1.txt", "F/A/C/c1.txt"}));
    EXPECT_EQ(ScanFolder(dir / "F", kAllFilesPattern).size(), 7u);
}

TEST_F(FolderScan, SymbolicLinksToFoldersAreNotFollowed) {
    fs::create_directory_symlink(dir / "F", dir / "F/A/C/loop");
    fs::create_directory_symlink(dir / "F/b", dir / "F/again");
    FolderList folders{dir / "F"};
    CollectSubfolders(folders);
    EXPECT_EQ(folders.size(), 4u);
    EXPECT_EQ(ScanFolder(dir / "F", PatternForExtension("txt")).size(), 6u);
}

TEST_F(FolderScan, TellsWhichFilesTheListingShowedAsRegular) {
    fs::create_symlink(dir / "F/f1.txt", dir / "F/link.txt");
    const std::vector<ScannedFile> files = ScanFolderFiles(dir / "F", PatternForExtension("txt"));
    std::vector<fs::path> regular, other;
    for (const ScannedFile& file : files)
        (file.regular ? regular : other).push_back(file.path);
    EXPECT_EQ(Relative(regular, dir.path()),
              (std::vector<std::string>{"F/.dot.txt", "F/f1.txt", "F/Z2.TXT", "F/A/a1.txt",
                                        "F/b/b1.txt", "F/A/C/c1.txt"}));
    EXPECT_EQ(Relative(other, dir.path()), (std::vector<std::string>{"F/link.txt"}));
    // A path that is not a folder is passed on unexamined.
    const std::vector<ScannedFile> given = ExpandPathFiles(dir / "F/f1.txt", kAllFilesPattern);
    ASSERT_EQ(given.size(), 1u);
    EXPECT_EQ(given[0].path, dir / "F/f1.txt");
    EXPECT_FALSE(given[0].regular);
}

TEST_F(FolderScan, ListsAFolderOfManyNamesInOrderIgnoringCase) {
    // Enough names that the listing's own order is not the sorted one, with
    // names equal but for case, names that begin others, and non-ASCII bytes.
    const fs::path folder = dir / "many";
    fs::create_directory(folder);
    std::vector<std::string> expected;
    for (int i = 0; i < 300; ++i) {
        const std::string stem = std::string(1, static_cast<char>((i % 2 ? 'a' : 'A') + i % 26)) +
                                 std::to_string(i / 26) + (i % 7 == 0 ? "\xC3\xA9" : "");
        for (const std::string& name : {stem + ".txt", stem + "_.txt"}) {
            WriteFile(folder / name, "");
            expected.push_back(name);
        }
    }
    std::sort(expected.begin(), expected.end(), LessIgnoringCase);
    EXPECT_EQ(ListFolderFiles(folder, PatternForExtension("txt")), expected);
}

TEST_F(FolderScan, ABrokenLinkIsAFileButNotARegularOne) {
    fs::create_symlink(dir / "F/gone.txt", dir / "F/broken.txt");
    const std::vector<ScannedFile> files = ScanFolderFiles(dir / "F", PatternForExtension("txt"));
    const auto broken = std::find_if(files.begin(), files.end(), [&](const ScannedFile& file) {
        return file.path == dir / "F/broken.txt";
    });
    ASSERT_NE(broken, files.end());
    EXPECT_FALSE(broken->regular);
}

TEST_F(FolderScan, UnreadableFolderAddsNothingAndTheScanGoesOn) {
    fs::permissions(dir / "F/A", fs::perms::none);
    if (fs::directory_iterator(dir / "F/A", fs::directory_options::skip_permission_denied) !=
        fs::directory_iterator())
        GTEST_SKIP() << "running with permission to read any folder";
    EXPECT_EQ(Relative(ScanFolder(dir / "F", PatternForExtension("txt")), dir.path()),
              (std::vector<std::string>{"F/.dot.txt", "F/f1.txt", "F/Z2.TXT", "F/b/b1.txt"}));
}

TEST_F(FolderScan, StopsWhenAskedTo) {
    int asked = 0;
    const auto files = ScanFolder(dir / "F", kAllFilesPattern, [&] { return ++asked < 2; });
    EXPECT_LT(files.size(), 7u);
}

} // namespace
} // namespace ornavex
