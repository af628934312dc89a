#include "clean/real_domains.h"
#include "cli_support.h"
#include "fixtures.h"

#include <chrono>
#include <cstdio>
#include <gtest/gtest.h>

#ifndef _WIN32
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace ornavex {
namespace {

namespace fs = std::filesystem;
using testing::Cli;
using testing::ProcessResult;
using testing::ReadFile;
using testing::RunCommand;
using testing::ShellQuote;
using testing::TempDir;
using testing::WriteFile;

const std::string kCli = ORNAVEX_CLI_PATH;
#ifdef ORNAVEX_DOCUMENTS
constexpr bool kReadsInside = true;
#else
constexpr bool kReadsInside = false; // a build without the document readers
#endif

// A name as the report writes it: a backslash (Windows paths have many) doubled.
std::string ReportedName(const std::string& name) {
    std::string reported;
    for (const char c : name)
        reported += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return reported;
}

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(dir / "a.txt",
                  "From: Ann <Ann@Example.org>\r\nTo: bob@x.com, ann@example.org\r\n");
        WriteFile(dir / "b.txt", "Reply to carol@y.net. Or BOB@X.COM.\n");
    }
    std::string Path(std::string_view name) const { return (dir / name).string(); }
    TempDir dir;
};

TEST_F(CommandLine, WritesTheChosenFormat) {
    EXPECT_EQ(Cli({Path("a.txt"), Path("b.txt")}).out, "Ann@Example.org\nbob@x.com\ncarol@y.net\n");
    EXPECT_EQ(Cli({"--crlf", Path("a.txt"), Path("b.txt")}).out,
              "Ann@Example.org\r\nbob@x.com\r\ncarol@y.net\r\n");
    EXPECT_EQ(Cli({"--commas", Path("a.txt"), Path("b.txt")}).out,
              "Ann@Example.org,bob@x.com,carol@y.net");
    EXPECT_EQ(Cli({"--commas", "--crlf", Path("a.txt")}).exitCode, 2);
    // A flag set to false is not set.
    EXPECT_EQ(Cli({"--crlf=no", "--commas", Path("a.txt")}).out, "Ann@Example.org,bob@x.com");
}

TEST_F(CommandLine, SubAddressesUnlessTheClassicPattern) {
    WriteFile(dir / "c.txt", "\u201Cann+news@example.org\u201D, ann@example.org\u2026");
    EXPECT_EQ(Cli({Path("c.txt")}).out, "ann+news@example.org\nann@example.org\n");
    EXPECT_EQ(Cli({"--classic-pattern", Path("c.txt")}).out, "ann@example.org\n");
}

TEST_F(CommandLine, UnreadableFileIsNamedAndTheRunGoesOn) {
    const ProcessResult result = Cli({Path("a.txt"), Path("missing.txt"), Path("b.txt")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "Ann@Example.org\nbob@x.com\ncarol@y.net\n");
    EXPECT_EQ(result.err, "ornavex-cli: " + Path("missing.txt") + ": No such file or directory\n");
}

TEST_F(CommandLine, OutputFileIsNeverReplacedWithoutForce) {
    const std::string out = Path("out.txt");
    ProcessResult result = Cli({"--crlf", "-o", out, Path("a.txt")});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(ReadFile(out), "Ann@Example.org\r\nbob@x.com\r\n");

    result = Cli({"-o", out, Path("b.txt")});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("file exists"), std::string::npos) << result.err;
    EXPECT_EQ(ReadFile(out), "Ann@Example.org\r\nbob@x.com\r\n");

    result = Cli({"--force", "-o", out, Path("b.txt")});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(ReadFile(out), "carol@y.net\nBOB@X.COM\n");
}

TEST_F(CommandLine, AnOutputThatIsAlsoAnInputIsRefusedBeforeAnythingIsRead) {
    fs::create_directory(dir / "tree");
    fs::create_hard_link(dir / "b.txt", dir / "tree/hard.txt");
    std::vector<std::pair<std::string, std::string>> cases{{Path("a.txt"), Path("a.txt")},
                                                           {Path("b.txt"), Path("tree")}};
    std::error_code noLinks; // Windows lets only some users make symbolic links
    fs::create_symlink(dir / "a.txt", dir / "link.txt", noLinks);
    if (!noLinks)
        cases.insert(cases.end(),
                     {{Path("link.txt"), Path("a.txt")}, {Path("a.txt"), Path("link.txt")}});
    const std::string before = ReadFile(dir / "a.txt");
    for (const auto& [output, inputs] : cases) {
        const ProcessResult result = Cli({"--force", "-o", output, Path("b.txt"), inputs});
        EXPECT_EQ(result.exitCode, 2) << output << " from " << inputs;
        EXPECT_NE(result.err.find("is also an input"), std::string::npos) << result.err;
    }
    EXPECT_EQ(ReadFile(dir / "a.txt"), before);
    EXPECT_EQ(ReadFile(dir / "b.txt"), "Reply to carol@y.net. Or BOB@X.COM.\n");
}

TEST_F(CommandLine, ResultsAreWrittenEvenWhenAFileFailed) {
    const ProcessResult result = Cli({"-o", Path("out.txt"), Path("nope"), Path("b.txt")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(ReadFile(dir / "out.txt"), "carol@y.net\nBOB@X.COM\n");
}

TEST_F(CommandLine, OutputThatCannotBeWrittenFails) {
    ProcessResult result = Cli({"-o", Path("no/such/folder.txt"), Path("a.txt")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("No such file or directory"), std::string::npos) << result.err;
    result = Cli({"--force", "-o", dir.path().string() + "/", Path("a.txt")});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("Is a directory"), std::string::npos) << result.err;
    EXPECT_EQ(Cli({"-o", "", Path("a.txt")}).exitCode, 2);
}

TEST_F(CommandLine, FoldersAreScannedLevelByLevel) {
    fs::create_directories(dir / "tree/sub");
    WriteFile(dir / "tree/top.txt", "top@x.com");
    WriteFile(dir / "tree/~skip.txt", "skipped@x.com");
    WriteFile(dir / "tree/notes.md", "md@x.com");
    WriteFile(dir / "tree/sub/deep.txt", "deep@x.com top@x.com");
    const std::string tree = Path("tree");
    EXPECT_EQ(Cli({tree}).out, "md@x.com\ntop@x.com\ndeep@x.com\n");
    for (const char* extension : {"txt", ".txt", "*.txt", "TXT"})
        EXPECT_EQ(Cli({"--ext", extension, tree}).out, "top@x.com\ndeep@x.com\n") << extension;
    EXPECT_EQ(Cli({"--ext", "md,txt", tree}).out, "md@x.com\ntop@x.com\ndeep@x.com\n");
    EXPECT_EQ(Cli({"--ext", "*", tree}).out, "md@x.com\ntop@x.com\ndeep@x.com\n");
    EXPECT_EQ(Cli({"--ext", "", tree}).exitCode, 2);
    EXPECT_EQ(Cli({"--ext", ",", tree}).exitCode, 2);
    const ProcessResult none = Cli({"--ext", "csv", tree, Path("a.txt")});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.err, "ornavex-cli: " + tree + ": No files matched\n");
    EXPECT_EQ(none.out, "Ann@Example.org\nbob@x.com\n");
}

// The real program through the shell: standard input, signals, the
// process's own streams, rights given up.
#ifndef _WIN32
// Runs the real program through the shell: for standard input, signals and
// the process's own streams.
ProcessResult CliProcess(const std::string& arguments, std::string_view input = {}) {
    return RunCommand(ShellQuote(kCli) + " " + arguments, input);
}

TEST_F(CommandLine, ReadsStandardInputWithoutPathsOrWithDash) {
    ProcessResult result = CliProcess("", "x@y.com X@Y.COM z@w.org");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "x@y.com\nz@w.org\n");
    result = CliProcess(ShellQuote(Path("a.txt")) + " - " + ShellQuote(Path("b.txt")),
                        "first@stdin.io bob@x.com");
    EXPECT_EQ(result.out, "Ann@Example.org\nbob@x.com\nfirst@stdin.io\ncarol@y.net\n");
}

TEST_F(CommandLine, AFullStandardOutputFailsTheRun) {
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    const ProcessResult full = CliProcess(ShellQuote(Path("a.txt")) + " > /dev/full");
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_NE(full.err.find("No space left on device"), std::string::npos) << full.err;
}

TEST_F(CommandLine, FoldersThatCannotBeListedAreNamedAndFail) {
    fs::create_directories(dir / "tree/locked");
    fs::create_directories(dir / "closed");
    WriteFile(dir / "tree/top.txt", "top@x.com");
    fs::permissions(dir / "tree/locked", fs::perms::none);
    fs::permissions(dir / "closed", fs::perms::none);
    const ProcessResult result =
        RunCommand(testing::UnprivilegedPrefix() + ShellQuote(kCli) + " " +
                   ShellQuote(Path("tree")) + " " + ShellQuote(Path("closed")));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "top@x.com\n");
    EXPECT_EQ(result.err, "ornavex-cli: " + Path("tree/locked") + ": Permission denied\n" +
                              "ornavex-cli: " + Path("closed") + ": Permission denied\n");
}

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
    const ProcessResult result = Cli({Path("tree")});
    std::string expected;
    for (int i = 0; i < 40; ++i) {
        expected += "user" + std::to_string(i) + "@x.com\n";
        if (i == 0)
            expected += "shared@x.com\n";
        if (i == 29) // f130.link, to a.txt, sorts before f130.txt
            expected += "Ann@Example.org\nbob@x.com\n";
    }
    EXPECT_EQ(result.out, expected);
    EXPECT_EQ(result.err, "ornavex-cli: " + Path("tree/f120.fifo") + ": Not a regular file\n" +
                              "ornavex-cli: " + Path("tree/f131.dangling") +
                              ": No such file or directory\n");
    EXPECT_EQ(result.exitCode, 1);
}

// The standard input named as a file is not read when it is a pipe: it
// stays for "-".
TEST_F(CommandLine, StandardInputNamedAsAFileIsNotDrained) {
    const ProcessResult result =
        RunCommand("echo piped@stdin.io | " + ShellQuote(kCli) + " " + ShellQuote(Path("a.txt")) +
                   " /dev/stdin " + ShellQuote(Path("b.txt")) + " -");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "Ann@Example.org\nbob@x.com\ncarol@y.net\npiped@stdin.io\n");
    EXPECT_EQ(result.err, "ornavex-cli: /dev/stdin: Not a regular file\n");
}

TEST_F(CommandLine, WritesThroughToWhatTheOutputNames) {
    ProcessResult result = CliProcess("--force -o /dev/stdout " + ShellQuote(Path("b.txt")));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "carol@y.net\nBOB@X.COM\n");
    WriteFile(dir / "private.txt", "old");
    ASSERT_EQ(::chmod((dir / "private.txt").c_str(), 0600), 0);
    result = CliProcess("--force -o " + ShellQuote(Path("private.txt")) + " " +
                        ShellQuote(Path("b.txt")));
    EXPECT_EQ(ReadFile(dir / "private.txt"), "carol@y.net\nBOB@X.COM\n");
    EXPECT_EQ(fs::status(dir / "private.txt").permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
}

// With its error stream closed, the program's complaints never land in the
// file it writes.
TEST_F(CommandLine, ClosedStandardStreamsNeverTakeTheOutputsPlace) {
    const ProcessResult result =
        RunCommand(ShellQuote(kCli) + " -o " + ShellQuote(Path("out.txt")) + " " +
                   ShellQuote(Path("missing")) + " " + ShellQuote(Path("b.txt")) + " 2>&-");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(ReadFile(dir / "out.txt"), "carol@y.net\nBOB@X.COM\n");
}

// Ended by a signal while it reads, the program leaves no temporary file or
// temporary data and no output behind, and ends as the signal ends a program.
TEST_F(CommandLine, InterruptedRunsLeaveNothingBehind) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        TempDir out;
        ASSERT_EQ(::mkfifo((out / "in").c_str(), 0600), 0);
        // Held open for reading and writing, the FIFO keeps the program waiting.
        const int fifo = ::open((out / "in").c_str(), O_RDWR);
        ASSERT_GE(fifo, 0);
        ASSERT_EQ(::write(fifo, "started@x.com\n", 14), 14);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fifo, 0);
        const std::string list = (out / "list.txt").string();
        // Past a memory limit of one byte, its addresses go to temporary
        // data, here in the same folder.
        const char* argv[] = {kCli.c_str(), "--memory-limit", "1", "-o", list.c_str(),
                              "-",          nullptr};
        const std::string temporaryFolder = "TMPDIR=" + out.path().string();
        std::vector<char*> environment{const_cast<char*>(temporaryFolder.c_str())};
        for (char** variable = environ; *variable != nullptr; ++variable)
            environment.push_back(*variable);
        environment.push_back(nullptr);
        pid_t child = 0;
        ASSERT_EQ(posix_spawn(&child, kCli.c_str(), &actions, nullptr,
                              const_cast<char* const*>(argv), environment.data()),
                  0);
        posix_spawn_file_actions_destroy(&actions);
        // Once its temporary file is there, the program is reading. A program
        // that ends first, or never gets there, fails the test rather than
        // hanging it.
        int status = 0;
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::distance(fs::directory_iterator(out.path()), {}) < 2) {
            if (::waitpid(child, &status, WNOHANG) == child) {
                ::close(fifo);
                FAIL() << "the program ended before it made its temporary file (signal " << signal
                       << ", status " << status << ")";
            }
            if (std::chrono::steady_clock::now() > giveUp) {
                ::kill(child, SIGKILL);
                ::waitpid(child, &status, 0);
                ::close(fifo);
                FAIL() << "no temporary file after 30 s (signal " << signal << ")";
            }
            ::usleep(1000);
        }
        ::kill(child, signal);
        ::waitpid(child, &status, 0);
        ::close(fifo);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal;
        EXPECT_EQ(std::distance(fs::directory_iterator(out.path()), {}), 1) << signal;
    }
}

// Under an address-space limit the default memory limit is half of it, and
// the run completes by keeping addresses on disk. Given more than the
// system allows, the run runs out of memory: nothing is written, and it
// says so.
TEST_F(CommandLine, AnAddressSpaceLimitBoundsTheDefaultAndOutOfMemoryWritesNothing) {
    if (testing::UnderSanitizer())
        GTEST_SKIP() << "the sanitizers need more address space than the limit leaves";
    std::string many;
    for (int i = 0; i < 3'000'000; ++i)
        many += "someone" + std::to_string(i) + "@example.org\n";
    WriteFile(dir / "many.txt", many);
    const std::string run = "ulimit -v 150000; " + ShellQuote(kCli) + " -q --stats -o " +
                            ShellQuote(Path("out.txt")) + " " + ShellQuote(Path("many.txt"));
    ProcessResult result = RunCommand(run);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.err.find("memory limit MB: 73.2\n"), std::string::npos) << result.err;
    EXPECT_EQ(ReadFile(dir / "out.txt"), many);
    fs::remove(dir / "out.txt");

    result = RunCommand(run + " --memory-limit 4G");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("Out of memory"), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(dir / "out.txt"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 3);
}
#endif

TEST_F(CommandLine, StatsCountWhatTheRunDid) {
    const ProcessResult result = Cli({"--stats", Path("a.txt"), Path("b.txt"), Path("gone")});
    EXPECT_EQ(result.exitCode, 1);
    for (const char* line : {"files read: 2\n", "files failed: 1\n", "bytes read: 97\n",
                             "addresses found: 5\n", "unique addresses: 3\n",
                             "duplicates removed: 2\n", "seconds: ", "MB/s: ", "peak memory MB: "})
        EXPECT_NE(result.err.find(line), std::string::npos) << line << " in:\n" << result.err;
}

#if defined(ORNAVEX_DOCUMENTS) && !defined(_WIN32)
TEST_F(CommandLine, ReadsInsideFilesAndStandardInputUnlessRaw) {
    const std::string text = "ann@example.com x BOB@example.org ann@EXAMPLE.com";
    WriteFile(dir / "a.txt.gz", testing::Compress(text, testing::Compression::kGzip));
    WriteFile(dir / "two.zip", testing::MakeArchive(testing::ArchiveFormat::kZip,
                                                    {{"1", "carl@example.net"}, {"2", text}}));
    ProcessResult result = Cli({"--stats", Path("a.txt.gz"), Path("two.zip")});
    EXPECT_EQ(result.out, "ann@example.com\nBOB@example.org\ncarl@example.net\n");
    EXPECT_NE(result.err.find("parts read: 3\n"), std::string::npos) << result.err;
    result = CliProcess("-", testing::Compress(text, testing::Compression::kXz));
    EXPECT_EQ(result.out, "ann@example.com\nBOB@example.org\n");
    // Raw: the compressed bytes as they are, which hold none of them.
    result = Cli({"--raw", "--stats", Path("a.txt.gz"), Path("two.zip")});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out.find("ann@"), std::string::npos);
    EXPECT_NE(result.err.find("parts read: 0\n"), std::string::npos) << result.err;
}

// The readers of archives, PDF and mail are a module beside the program,
// loaded the first time a file needs them: without it, each such file is
// reported and plain text is read as ever.
TEST_F(CommandLine, WithoutItsReadersModuleNamesEachFileAndReadsText) {
    fs::create_directories(dir / "bin");
    fs::copy_file(kCli, dir / "bin" / "ornavex-cli");
    fs::permissions(dir / "bin" / "ornavex-cli", fs::perms::owner_exec, fs::perm_options::add);
    WriteFile(dir / "a.txt.gz", testing::Compress("ann@example.com", testing::Compression::kGzip));
    WriteFile(dir / "b.txt", "bob@example.org");
    const ProcessResult result = testing::RunCommand(
        testing::ShellQuote(dir / "bin" / "ornavex-cli") + " -q " +
        testing::ShellQuote(dir / "a.txt.gz") + " " + testing::ShellQuote(dir / "b.txt"));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "bob@example.org\n");
    EXPECT_NE(result.err.find("a.txt.gz: Cannot load the readers of this kind: "),
              std::string::npos)
        << result.err;
}
#endif

TEST_F(CommandLine, HelpVersionAndUsageErrors) {
    ProcessResult result = Cli({"--help"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find("--commas"), std::string::npos);
    result = Cli({"--version"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find("ornavex-cli 0."), std::string::npos);
    EXPECT_EQ(Cli({"--no-such-option"}).exitCode, 2);
    EXPECT_EQ(Cli({"-o"}).exitCode, 2);
    WriteFile(dir / "-dash.txt", "dash@x.com");
    const fs::path was = fs::current_path();
    fs::current_path(dir.path());
    EXPECT_EQ(Cli({"--", "-dash.txt"}).out, "dash@x.com\n");
    fs::current_path(was);
}

TEST_F(CommandLine, CleansSortsCountsAndWritesCsv) {
    WriteFile(dir / "c.txt", "logo@2x.png noreply@x.com carol@Y.net ann@example.org carol@y.net");
    // The do-not-mail file is read as any input is: any text, any letter case.
    WriteFile(dir / "dnm.txt", "Unsubscribed on Monday: BOB@X.COM, and nobody else.");
    const std::vector<std::string> files = {Path("a.txt"), Path("b.txt"), Path("c.txt")};
    auto with = [&](std::vector<std::string> options) {
        options.insert(options.end(), files.begin(), files.end());
        return Cli(options);
    };
    if (RealDomains::Available())
        EXPECT_EQ(with({"--check-domains", "--exclude", Path("dnm.txt"), "--drop-roles", "--counts",
                        "--sort", "count"})
                      .out,
                  "3\tAnn@Example.org\n3\tcarol@y.net\n");
    else // a build without the public suffix list does not offer the check
        EXPECT_EQ(with({"--check-domains"}).exitCode, 2);
    EXPECT_EQ(
        with({"--drop-domain", "EXAMPLE.org", "--only-domain", "x.com", "--sort", "address"}).out,
        "bob@x.com\nnoreply@x.com\n");
    // Each of these options takes one value: what follows is an input.
    EXPECT_EQ(Cli({"--exclude", Path("dnm.txt"), Path("b.txt")}).out, "carol@y.net\n");
    const ProcessResult stats = with({"--exclude", Path("dnm.txt"), "--report=-", "--stats"});
    EXPECT_NE(stats.err.find("removed, do-not-mail: 1\n"), std::string::npos);
    EXPECT_NE(stats.err.find("2\t1\tread\t" + ReportedName(Path("b.txt")) + "\n"),
              std::string::npos);

#ifndef _WIN32 // Windows names hold no quotes or line breaks
    // A file name that needs quoting, and the line of each first occurrence.
    const std::string odd = Path("we, \"the\"\nfiles.txt");
    WriteFile(odd, "\n\nzed@z.org\n");
    EXPECT_EQ(Cli({"--csv", Path("b.txt"), odd}).out,
              "address,count,first_file,first_line\r\ncarol@y.net,1," + Path("b.txt") +
                  ",1\r\nBOB@X.COM,1," + Path("b.txt") + ",1\r\nzed@z.org,1,\"" +
                  Path("we, \"\"the\"\"\nfiles.txt") + "\",3\r\n");

    // In the report a name keeps to its row.
    EXPECT_NE(
        Cli({"--report", "--", odd}).err.find("1\t1\tread\t" + Path("we, \"the\"\\nfiles.txt\n")),
        std::string::npos);
#endif

    // Options that make no sense together, and a do-not-mail file that is missing.
    for (const std::vector<std::string>& usage : {std::vector<std::string>{"--csv", "--counts"},
                                                  {"--csv", "--crlf"},
                                                  {"--counts", "--commas"},
                                                  {"--sort", "size"},
                                                  {"--only-domain", "@."},
                                                  {"-o", Path("x"), "--report=" + Path("x")},
                                                  {"--report=" + Path("a.txt"), "--force"}})
        EXPECT_EQ(with(usage).exitCode, 2) << usage[0] << " " << usage[1];
    const ProcessResult missing = with({"--exclude", Path("none.txt"), "-o", Path("out.txt")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(Path("out.txt")));
}

TEST_F(CommandLine, ShippedSamplesGiveTheirAddresses) {
    const ProcessResult result = Cli({ORNAVEX_SAMPLES_DIR});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_GT(std::count(result.out.begin(), result.out.end(), '\n'), 10);
    if (!kReadsInside)
        return;
    // One address from inside each sample document, mail and archive.
    for (const char* inside : {"lena.ho@quarry-books.example", "ida.sund@nordlys-cloud.example",
                               "tomas.ruiz@cedar-grove.example", "ada.moss@fjordtech.example",
                               "rosa.vik@quarry-books.example"})
        EXPECT_NE(result.out.find(std::string(inside) + "\n"), std::string::npos) << inside;
    const std::string raw = Cli({"--raw", ORNAVEX_SAMPLES_DIR}).out;
    EXPECT_LT(std::count(raw.begin(), raw.end(), '\n'),
              std::count(result.out.begin(), result.out.end(), '\n'));
}

} // namespace
} // namespace ornavex
