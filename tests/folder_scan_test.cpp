#include "run/removal_run.h"
#include "scan/folder_scan.h"
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

// A name as the system spells it (wide on Windows).
NativeString N(std::string_view ascii) {
    return fs::path(ascii).native();
}

std::vector<std::string> Relative(const std::vector<fs::path>& paths, const fs::path& base) {
    std::vector<std::string> names;
    for (const auto& path : paths)
        names.push_back(path.lexically_relative(base).generic_string());
    return names;
}

TEST(Wildcard, MatchesLikeADirectoryListing) {
    EXPECT_TRUE(MatchesWildcard(N("a.txt"), N("*.txt")));
    EXPECT_TRUE(MatchesWildcard(N("B.TXT"), N("*.txt")));
    EXPECT_FALSE(MatchesWildcard(N("a.doc"), N("*.txt")));
    EXPECT_FALSE(MatchesWildcard(N("a.txt.bak"), N("*.txt")));
    EXPECT_TRUE(MatchesWildcard(N("archive.tar.txt"), N("*.txt")));
    EXPECT_TRUE(MatchesWildcard(N("README"), N("*.*")));
    EXPECT_TRUE(MatchesWildcard(N(".hidden"), N("*.*")));
    EXPECT_TRUE(MatchesWildcard(N("a.b"), N("?.?")));
    EXPECT_FALSE(MatchesWildcard(N("ab.b"), N("?.?")));
    EXPECT_FALSE(MatchesWildcard(N("txt"), N("*.txt")));
}

// The order names are listed in, plainly: ignoring the case of ASCII
// letters, the first letter that differs decides, then the length, then
// (names equal but for case) the exact bytes.
bool LessIgnoringCase(NativeView a, NativeView b) {
    auto fold = [](auto c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<decltype(c)>(c + 32) : c;
    };
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i)
        if (fold(a[i]) != fold(b[i]))
            return fold(a[i]) < fold(b[i]);
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

TEST(Wildcard, OrdersNamesIgnoringCase) {
    EXPECT_TRUE(LessIgnoringCase(N("apple"), N("Banana")));
    EXPECT_TRUE(LessIgnoringCase(N("B"), N("c")));
    EXPECT_FALSE(LessIgnoringCase(N("b"), N("B")));
    EXPECT_TRUE(LessIgnoringCase(N("B"), N("b"))); // ties broken by the exact bytes
    // A name that begins another comes first, whatever the case.
    EXPECT_TRUE(LessIgnoringCase(N("ab"), N("ABC")));
    EXPECT_FALSE(LessIgnoringCase(N("ABC"), N("ab")));
    // Letters compare as lower case: '_' comes before 'B', which unfolded would come first.
    EXPECT_TRUE(LessIgnoringCase(N("a_"), N("aB")));
    EXPECT_FALSE(LessIgnoringCase(N("aB"), N("a_")));
    EXPECT_FALSE(LessIgnoringCase(N(""), N("")));
    EXPECT_TRUE(LessIgnoringCase(N(""), N("a")));
}

TEST(Wildcard, SortKeysGiveTheSameOrderAsComparingIgnoringCase) {
    // Every name of up to three characters over an alphabet with both cases,
    // punctuation that falls between the cases (a A b B _ . 0), and units from
    // 0x80 up.
    using Unit = NativeString::value_type;
    NativeString alphabet;
    for (const unsigned code :
         {0x61u, 0x41u, 0x62u, 0x42u, 0x5Fu, 0x2Eu, 0x30u, 0x80u, 0xC3u, 0xFFu})
        alphabet.push_back(static_cast<Unit>(code));
    std::vector<NativeString> names{{}};
    for (std::size_t from = 0, length = 1; length <= 3; ++length) {
        const std::size_t to = names.size();
        for (std::size_t i = from; i < to; ++i)
            for (Unit c : alphabet)
                names.push_back(names[i] + c);
        from = to;
    }
    auto keyedLess = [](const NativeString& a, const NativeString& b) {
        const NativeString keyA = CaseFoldedSortKey(a), keyB = CaseFoldedSortKey(b);
        return keyA != keyB ? keyA < keyB : a < b;
    };
    std::size_t disagreements = 0;
    for (const NativeString& a : names)
        for (const NativeString& b : names)
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
        testing::MarkHidden(dir / "F/.hidden");
    }
    TempDir dir;
};

const FileNameFilter kTxt = FileNameFilter::ForExtensions("txt");

TEST_F(FolderScan, ListsMatchingFilesHiddenIncludedSortedIgnoringCase) {
    const auto names = ListFolderFiles(dir / "F", kTxt);
    EXPECT_EQ(names,
              (std::vector<NativeString>{N(".dot.txt"), N("f1.txt"), N("Z2.TXT"), N("~lock.txt")}));
    EXPECT_EQ(ListFolderFiles(dir / "F", FileNameFilter::ForExtensions("*")).size(), 5u);
    EXPECT_TRUE(ListFolderFiles(dir / "missing", FileNameFilter::AllFiles()).empty());
}

TEST_F(FolderScan, ReadsLevelByLevelSkippingTildeNamesAndHiddenFolders) {
    const ScanResult scan = ScanFolder(dir / "F", kTxt);
    EXPECT_EQ(Relative(scan.files, dir.path()),
              (std::vector<std::string>{"F/.dot.txt", "F/f1.txt", "F/Z2.TXT", "F/A/a1.txt",
                                        "F/b/b1.txt", "F/A/C/c1.txt"}));
    EXPECT_TRUE(scan.errors.empty());
    EXPECT_TRUE(scan.folder);
    EXPECT_EQ(ScanFolder(dir / "F", FileNameFilter::AllFiles()).files.size(), 7u);
}

TEST(FileNameFilter, TakesExtensionsAsUsersTypeThem) {
    for (const char* typed : {"txt", ".txt", "*.txt", " txt ", "TXT"}) {
        const FileNameFilter filter = FileNameFilter::ForExtensions(typed);
        EXPECT_TRUE(filter.Matches(N("a.txt"))) << typed;
        EXPECT_TRUE(filter.Matches(N("B.TXT"))) << typed;
        EXPECT_FALSE(filter.Matches(N("a.csv"))) << typed;
    }
    const FileNameFilter two = FileNameFilter::ForExtensions("txt, .csv,*.eml");
    for (const char* name : {"a.txt", "b.csv", "c.eml"})
        EXPECT_TRUE(two.Matches(N(name))) << name;
    EXPECT_FALSE(two.Matches(N("d.doc")));
    for (const char* every : {"*", "*.*", "txt,*"})
        EXPECT_TRUE(FileNameFilter::ForExtensions(every).Matches(N("README"))) << every;
    for (const char* nothing : {"", ",", " , ", ".", "*."})
        EXPECT_TRUE(FileNameFilter::ForExtensions(nothing).empty()) << '"' << nothing << '"';
}

TEST_F(FolderScan, SymbolicLinksToFoldersAreNotFollowed) {
    std::error_code noLinks; // Windows lets only some users make symbolic links
    fs::create_directory_symlink(dir / "F", dir / "F/A/C/loop", noLinks);
    if (noLinks)
        GTEST_SKIP() << noLinks.message();
    fs::create_directory_symlink(dir / "F/b", dir / "F/again");
    EXPECT_EQ(ScanFolder(dir / "F", kTxt).files.size(), 6u);
}

TEST_F(FolderScan, APathThatIsNoFolderIsPassedOnAsItIs) {
    for (const char* name : {"F/f1.txt", "F/missing.txt"}) {
        const ScanResult given = ExpandPath(dir / name, FileNameFilter::AllFiles());
        EXPECT_EQ(given.files, std::vector<fs::path>{dir / name});
        EXPECT_FALSE(given.folder);
    }
    std::error_code noLinks; // Windows lets only some users make symbolic links
    fs::create_symlink(dir / "F/gone.txt", dir / "F/broken.txt", noLinks);
    if (noLinks)
        return;
    const auto files = ScanFolder(dir / "F", kTxt).files;
    EXPECT_NE(std::find(files.begin(), files.end(), dir / "F/broken.txt"), files.end());
}

TEST_F(FolderScan, ListsAFolderOfManyNamesInOrderIgnoringCase) {
    // Enough names that the listing's own order is not the sorted one, with
    // names equal but for case, names that begin others, and non-ASCII bytes.
    const fs::path folder = dir / "many";
    fs::create_directory(folder);
    std::vector<NativeString> expected;
    for (int i = 0; i < 300; ++i) {
        const std::string stem = std::string(1, static_cast<char>((i % 2 ? 'a' : 'A') + i % 26)) +
                                 std::to_string(i / 26) + (i % 7 == 0 ? "\xC3\xA9" : "");
        for (const std::string& name : {stem + ".txt", stem + "_.txt"}) {
            const fs::path file = folder / std::u8string(name.begin(), name.end());
            WriteFile(file, "");
            expected.push_back(file.filename().native());
        }
    }
    std::sort(expected.begin(), expected.end(), LessIgnoringCase);
    EXPECT_EQ(ListFolderFiles(folder, kTxt), expected);
}

TEST_F(FolderScan, StopsWhenAskedTo) {
    int asked = 0;
    const auto files =
        ScanFolder(dir / "F", FileNameFilter::AllFiles(), [&] { return ++asked < 2; }).files;
    EXPECT_LT(files.size(), 7u);
}

// Trees made through descriptors, and rights given up in a child process.
#ifndef _WIN32
// Deeper than any one path the system takes: every level is still read.
TEST(FolderScanDepth, ReadsATreeThousandsOfLevelsDeep) {
    TempDir dir;
    constexpr int kLevels = 2000;
    fs::path deepest = dir.path();
    for (int level = 0; level < kLevels; ++level)
        deepest /= "lvl";
    ASSERT_TRUE(testing::MakeDeepTree(dir.path(), "lvl", kLevels, "bottom@deep.org"));
    const ScanResult scan = ScanFolder(dir.path(), FileNameFilter::AllFiles());
    EXPECT_TRUE(scan.errors.empty());
    ASSERT_EQ(scan.files.size(), 1u);
    EXPECT_EQ(scan.files[0], deepest / "bottom.txt");
    testing::RecordingSink sink;
    RunRemoval({Input::File(scan.files[0])}, sink);
    EXPECT_EQ(sink.addresses, std::vector<std::string>{"bottom@deep.org"});
    EXPECT_TRUE(sink.reports.empty());
}

TEST_F(FolderScan, FoldersThatCannotBeListedAreNamedWithTheirReason) {
    fs::permissions(dir / "F/A", fs::perms::none);
    // Read without the rights that would let any folder be read.
    const std::string seen = testing::Unprivileged([&] {
        const ScanResult scan = ScanFolder(dir / "F", kTxt);
        std::string text;
        for (const std::string& name : Relative(scan.files, dir.path()))
            text += name + "\n";
        for (const FolderError& error : scan.errors)
            text += "error " + Relative({error.folder}, dir.path())[0] + ": " + error.reason + "\n";
        const ScanResult root = ScanFolder(dir / "F/A", kTxt);
        for (const FolderError& error : root.errors)
            text += "error " + Relative({error.folder}, dir.path())[0] + ": " + error.reason + "\n";
        return text;
    });
    EXPECT_EQ(seen, "F/.dot.txt\nF/f1.txt\nF/Z2.TXT\nF/b/b1.txt\n"
                    "error F/A: Permission denied\n"
                    "error F/A: Permission denied\n");
}
#endif

} // namespace
} // namespace ornavex
