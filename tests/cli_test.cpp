#include "test_support.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace ornavex {
namespace {

namespace fs = std::filesystem;
using testing::ProcessResult;
using testing::ReadFile;
using testing::RunCommand;
using testing::ShellQuote;
using testing::TempDir;
using testing::WriteFile;

const std::string kCli = ORNAVEX_CLI_PATH;

ProcessResult Cli(const std::string& arguments, std::string_view input = {}) {
    return RunCommand(ShellQuote(kCli) + " " + arguments, input);
}

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(dir / "a.txt",
                  "From: Ann <Ann@Example.org>\r\nTo: bob@x.com, ann@example.org\r\n");
        WriteFile(dir / "b.txt", "Reply to carol@y.net. Or BOB@X.COM.\n");
    }
    std::string Path(std::string_view name) const { return ShellQuote(dir / name); }
    TempDir dir;
};

TEST_F(CommandLine, ReadsStandardInputWithoutPathsOrWithDash) {
    ProcessResult result = Cli("", "x@y.com X@Y.COM z@w.org");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "x@y.com\nz@w.org\n");
    result = Cli(Path("a.txt") + " - " + Path("b.txt"), "first@stdin.io bob@x.com");
    EXPECT_EQ(result.out, "Ann@Example.org\nbob@x.com\nfirst@stdin.io\ncarol@y.net\n");
}

TEST_F(CommandLine, WritesTheChosenFormat) {
    const std::string files = Path("a.txt") + " " + Path("b.txt");
    EXPECT_EQ(Cli(files).out, "Ann@Example.org\nbob@x.com\ncarol@y.net\n");
    EXPECT_EQ(Cli("--crlf " + files).out, "Ann@Example.org\r\nbob@x.com\r\ncarol@y.net\r\n");
    EXPECT_EQ(Cli("--commas " + files).out, "Ann@Example.org,bob@x.com,carol@y.net");
    EXPECT_EQ(Cli("--commas --crlf " + files).exitCode, 2);
}

TEST_F(CommandLine, UnreadableFileIsNamedAndTheRunGoesOn) {
    const ProcessResult result =
        Cli(Path("a.txt") + " " + Path("missing.txt") + " " + Path("b.txt"));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "Ann@Example.org\nbob@x.com\ncarol@y.net\n");
    EXPECT_EQ(result.err,
              "ornavex-cli: " + (dir / "missing.txt").string() + ": No such file or directory\n");
}

TEST_F(CommandLine, OutputFileIsNeverReplacedWithoutForce) {
    const std::string out = Path("out.txt");
    ProcessResult result = Cli("--crlf -o " + out + " " + Path("a.txt"));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(ReadFile(dir / "out.txt"), "Ann@Example.org\r\nbob@x.com\r\n");

    result = Cli("-o " + out + " " + Path("b.txt"));
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("file exists"), std::string::npos) << result.err;
    EXPECT_EQ(ReadFile(dir / "out.txt"), "Ann@Example.org\r\nbob@x.com\r\n");

    result = Cli("--force -o " + out + " " + Path("b.txt"));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(ReadFile(dir / "out.txt"), "carol@y.net\nBOB@X.COM\n");
}

TEST_F(CommandLine, ResultsAreWrittenEvenWhenAFileFailed) {
    const ProcessResult result =
        Cli("-o " + Path("out.txt") + " " + Path("nope") + " " + Path("b.txt"));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(ReadFile(dir / "out.txt"), "carol@y.net\nBOB@X.COM\n");
}

TEST_F(CommandLine, OutputThatCannotBeWrittenFails) {
    const ProcessResult result = Cli("-o " + Path("no/such/folder.txt") + " " + Path("a.txt"));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("No such file or directory"), std::string::npos) << result.err;
    if (fs::exists("/dev/full")) {
        const ProcessResult full = Cli(Path("a.txt") + " > /dev/full");
        EXPECT_EQ(full.exitCode, 1);
        EXPECT_NE(full.err.find("No space left on device"), std::string::npos) << full.err;
    }
}

TEST_F(CommandLine, FoldersAreScannedLevelByLevel) {
    fs::create_directories(dir / "tree/sub");
    WriteFile(dir / "tree/top.txt", "top@x.com");
    WriteFile(dir / "tree/~skip.txt", "skipped@x.com");
    WriteFile(dir / "tree/notes.md", "md@x.com");
    WriteFile(dir / "tree/sub/deep.txt", "deep@x.com top@x.com");
    EXPECT_EQ(Cli(Path("tree")).out, "md@x.com\ntop@x.com\ndeep@x.com\n");
    EXPECT_EQ(Cli("--ext txt " + Path("tree")).out, "top@x.com\ndeep@x.com\n");
    EXPECT_EQ(Cli("--ext '*' " + Path("tree")).out, "md@x.com\ntop@x.com\ndeep@x.com\n");
    EXPECT_EQ(Cli("--ext '' " + Path("tree")).exitCode, 2);
}

#ifndef _WIN32
// The folder's small regular files are read in batches; what is not a
// regular file, or links to one, still goes through the usual checks.
TEST_F(CommandLine, FolderOfSmallFilesWithAFifoAndLinksAmongThem) {
    fs::create_directories(dir / "tree");
    for (int i = 0; i < 40; ++i)
        WriteFile(dir / "tree" / ("f" + std::to_string(100 + i) + ".txt"),
                  "user" + std::to_string(i) + "@x.com shared@x.com");
    WriteFile(dir / "tree/empty.txt", "");
    ASSERT_EQ(::mkfifo((dir / "tree/f120.fifo").c_str(), 0600), 0);
    fs::create_symlink(dir / "a.txt", dir / "tree/f130.link");
    fs::create_symlink(dir / "tree/gone", dir / "tree/f131.dangling");
    const ProcessResult result = Cli(Path("tree"));
    std::string expected;
    for (int i = 0; i < 40; ++i) {
        expected += "user" + std::to_string(i) + "@x.com\n";
        if (i == 0)
            expected += "shared@x.com\n";
        if (i == 29) // f130.link, to a.txt, sorts before f130.txt
            expected += "Ann@Example.org\nbob@x.com\n";
    }
    EXPECT_EQ(result.out, expected);
    EXPECT_EQ(result.err, "ornavex-cli: " + (dir / "tree/f120.fifo").string() +
                              ": Not a regular file\n" +
                              "ornavex-cli: " + (dir / "tree/f131.dangling").string() +
                              ": No such file or directory\n");
    EXPECT_EQ(result.exitCode, 1);
}
#endif

TEST_F(CommandLine, StatsCountWhatTheRunDid) {
    const ProcessResult result =
        Cli("--stats " + Path("a.txt") + " " + Path("b.txt") + " " + Path("gone"));
    EXPECT_EQ(result.exitCode, 1);
    for (const char* line :
         {"files read: 2\n", "files failed: 1\n", "bytes read: 97\n", "addresses found: 5\n",
          "unique addresses: 3\n", "duplicates removed: 2\n", "seconds: ", "MB/s: "})
        EXPECT_NE(result.err.find(line), std::string::npos) << line << " in:\n" << result.err;
}

TEST_F(CommandLine, HelpVersionAndUsageErrors) {
    ProcessResult result = Cli("--help");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find("--commas"), std::string::npos);
    result = Cli("--version");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find("ornavex-cli 0."), std::string::npos);
    EXPECT_EQ(Cli("--no-such-option").exitCode, 2);
    EXPECT_EQ(Cli("-o").exitCode, 2);
}

TEST_F(CommandLine, ShippedSamplesGiveTheirAddresses) {
    const ProcessResult result = Cli(ShellQuote(ORNAVEX_SAMPLES_DIR));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_GT(std::count(result.out.begin(), result.out.end(), '\n'), 10);
}

} // namespace
} // namespace ornavex
