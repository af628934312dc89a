// The command line keeps every file it reads safe from the files it writes,
// takes "-" for the standard streams, ends quietly on a closed pipe, takes
// sizes it understands only, and prints names that cannot steer a terminal.
#include "cli/size_option.h"
#include "cli_support.h"
#include "fixtures.h"
#include "run/shown_name.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace ornavex {
namespace {

namespace fs = std::filesystem;
using testing::Cli;
using testing::ProcessResult;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

class CliSafety : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(dir / "a.txt", "ann@x.com bob@y.org\n");
        WriteFile(dir / "list.txt", "bob@y.org\n");
    }
    std::string Path(std::string_view name) const { return (dir / name).string(); }
    TempDir dir;
};

// Every file the run reads, and the other target, by identity or, for a
// file still to be made, by folder and name: a usage error before anything
// is read or written, --force or not.
TEST_F(CliSafety, NoTargetReplacesAFileTheRunReadsOrTheOtherTarget) {
    fs::create_directory(dir / "lists");
    fs::create_hard_link(dir / "list.txt", dir / "lists/linked.txt");
    const std::string list = Path("list.txt");
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"-o", list, "--exclude", list},
          {"-o", list, "--exclude", Path("lists")},
          {"--report=" + list, "--exclude", Path("lists/linked.txt")},
          {"--report=" + Path("a.txt"), "-o", Path("out.txt")},
          {"-o", Path("out.txt"), "--report=" + Path("lists/../out.txt")},
          {"-o", Path("a.txt"), "--report=" + Path("a.txt")}}) {
        std::vector<std::string> all = arguments;
        all.insert(all.end(), {"--force", Path("a.txt")});
        const ProcessResult result = Cli(all);
        EXPECT_EQ(result.exitCode, 2) << arguments[0] << " " << arguments[1] << "\n" << result.err;
        EXPECT_EQ(ReadFile(dir / "list.txt"), "bob@y.org\n");
        EXPECT_EQ(ReadFile(dir / "a.txt"), "ann@x.com bob@y.org\n");
        EXPECT_FALSE(fs::exists(dir / "out.txt"));
    }
    // Both targets existing: one file, found so through a hard link.
    WriteFile(dir / "out.txt", "old");
    fs::create_hard_link(dir / "out.txt", dir / "lists/out-link.txt");
    EXPECT_EQ(Cli({"--force", "-o", Path("out.txt"), "--report=" + Path("lists/out-link.txt"),
                   Path("a.txt")})
                  .exitCode,
              2);
    EXPECT_EQ(ReadFile(dir / "out.txt"), "old");
}

// A path after --report is an input; only --report=FILE names the report's
// file, and a message that mentions --force says the file is the report's.
TEST_F(CliSafety, ReportTakesItsFileOnlyAfterAnEqualsSign) {
    ProcessResult result = Cli({"--report", Path("a.txt")});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "ann@x.com\nbob@y.org\n");
    EXPECT_EQ(result.err.rfind("found\tnew\tstatus\tfile\n2\t2\tread\t", 0), 0u) << result.err;
    EXPECT_EQ(ReadFile(dir / "a.txt"), "ann@x.com bob@y.org\n");
    // A missing path there was meant as the report's file: refused, with
    // the form that names it, before anything is read or written.
    result = Cli({"--report", Path("new.tsv"), Path("a.txt")});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("--report=" + ShownName(Path("new.tsv"))), std::string::npos)
        << result.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "new.tsv"));

    WriteFile(dir / "report.tsv", "old");
    result = Cli({"--report=" + Path("report.tsv"), Path("a.txt")});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err, "ornavex-cli: " + ShownName(Path("report.tsv")) +
                              ": the --report file exists (use --force to replace it)\n");
    EXPECT_EQ(Cli({"--force", "--report=" + Path("report.tsv"), Path("a.txt")}).exitCode, 0);
    EXPECT_EQ(ReadFile(dir / "report.tsv").rfind("found\tnew\tstatus\tfile\n2\t2\tread\t", 0), 0u);
}

// "-" is the standard output for -o and the standard error for --report;
// no file named "-" is made.
TEST_F(CliSafety, DashNamesTheStandardStreams) {
    const fs::path was = fs::current_path();
    fs::current_path(dir.path());
    const ProcessResult result = Cli({"-o", "-", "--report=-", "--force", "a.txt"});
    fs::current_path(was);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "ann@x.com\nbob@y.org\n");
    EXPECT_EQ(result.err, "found\tnew\tstatus\tfile\n2\t2\tread\ta.txt\n");
    EXPECT_FALSE(fs::exists(dir / "-"));
}

// A do-not-mail folder holding nothing to read fails as a list that cannot
// be read does: nothing is written.
TEST_F(CliSafety, ADoNotMailFolderWithNothingToReadStopsTheRun) {
    fs::create_directories(dir / "empty");
    fs::create_directories(dir / "skipped");
    WriteFile(dir / "skipped/~list.txt", "bob@y.org");
    for (const char* folder : {"empty", "skipped"}) {
        const ProcessResult result =
            Cli({"--exclude", Path(folder), "-o", Path("out.txt"), Path("a.txt")});
        EXPECT_EQ(result.exitCode, 1) << folder;
        EXPECT_EQ(result.err, "ornavex-cli: " + ShownName(Path(folder)) +
                                  ": No files matched (a do-not-mail list)\n"
                                  "ornavex-cli: nothing was written\n");
        EXPECT_FALSE(fs::exists(dir / "out.txt"));
    }
}

// -r and --recursive are what ornavex-cli does anyway.
TEST_F(CliSafety, RecursiveIsAcceptedAsTheDefault) {
    fs::create_directories(dir / "tree/sub");
    WriteFile(dir / "tree/sub/deep.txt", "deep@x.com");
    for (const char* flag : {"-r", "--recursive"}) {
        const ProcessResult result = Cli({flag, Path("tree")});
        EXPECT_EQ(result.exitCode, 0) << flag;
        EXPECT_EQ(result.out, "deep@x.com\n") << flag;
    }
}

// Sizes are digits with a unit or none; anything else, and 0, is a usage
// error that names the forms taken.
TEST_F(CliSafety, MemoryLimitTakesOnlySizes) {
    for (const char* bad : {"-5", "-0", "00", "0", "0K", "1e23", "2^64", "10Q", "1.5G", " 5M",
                            "5 M", "5MM", "18446744073709551616", "16777216T", "K", ""}) {
        const ProcessResult result = Cli({"--memory-limit", bad, Path("a.txt")});
        EXPECT_EQ(result.exitCode, 2) << bad;
        EXPECT_NE(result.err.find(std::string(kSizeForms)), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "") << bad;
    }
    const std::pair<const char*, std::uint64_t> good[] = {{"1", 1},
                                                          {"512M", 512ull << 20},
                                                          {"4g", 4ull << 30},
                                                          {"1KiB", 1024},
                                                          {"2GB", 2ull << 30},
                                                          {"16777215T", 16777215ull << 40},
                                                          {"0100b", 100},
                                                          {"18446744073709551615", UINT64_MAX}};
    for (const auto& [text, bytes] : good) {
        EXPECT_EQ(ParseSize(text), bytes) << text;
        EXPECT_EQ(Cli({"--memory-limit", text, Path("a.txt")}).exitCode, 0) << text;
    }
}

// Control bytes are escaped, each the same way wherever a name is shown.
TEST(ShownName, EscapesControlBytesAndNothingElse) {
    EXPECT_EQ(ShownName("plain name.txt"), "plain name.txt");
    EXPECT_EQ(ShownName("\xc3\xa9t\xc3\xa9 \xff.txt"), "\xc3\xa9t\xc3\xa9 \xff.txt");
    const std::string controls("a\tb\nc\rd\x1b[2Je\x01\x7f\\f\0", 17);
    EXPECT_EQ(ShownName(controls), "a\\tb\\nc\\rd\\e[2Je\\x01\\x7f\\f\\x00");
    EXPECT_EQ(ShownName(controls, true), "a\\tb\\nc\\rd\\e[2Je\\x01\\x7f\\\\f\\x00");
    EXPECT_EQ(ShownName("C:\\Users\\new.txt"), "C:\\Users\\new.txt");
    EXPECT_EQ(ShownName("\xc2\x9b"
                        "31m\xc2\xa0"),
              "\\xc2\\x9b31m\xc2\xa0"); // C1 CSI; NBSP stays
}

// A spreadsheet opening the CSV takes no file name for a formula; addresses
// stay as they are, for mail tools, even one that starts with "-".
TEST_F(CliSafety, CsvFileNamesCannotBeTakenForFormulas) {
    // Each name and the cell it makes.
    std::vector<std::pair<std::string, std::string>> names = {
        {"=1+2.txt", "'=1+2.txt"}, {"+1.txt", "'+1.txt"},      {"-x.txt", "'-x.txt"},
        {"@sum.txt", "'@sum.txt"}, {"plain.txt", "plain.txt"}, {"a=b.txt", "a=b.txt"}};
#ifndef _WIN32 // names Windows does not take
    names.insert(names.end(), {{"=cmd|' calc'!A0.txt", "'=cmd|' calc'!A0.txt"},
                               {"\tt.txt", "'\tt.txt"},
                               {"\rr.txt", "\"'\rr.txt\""}});
#endif
    const fs::path was = fs::current_path();
    fs::current_path(dir.path());
    std::vector<std::string> arguments{"--csv", "--"};
    std::string want = "address,count,first_file,first_line\r\n";
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string address = "-u" + std::to_string(i) + "@x.com";
        WriteFile(names[i].first, address);
        arguments.push_back(names[i].first);
        want += address + ",1," + names[i].second + ",1\r\n";
    }
    const ProcessResult result = Cli(arguments);
    fs::current_path(was);
    EXPECT_EQ(result.out, want);
}

#ifndef _WIN32
using testing::RunCommand;
using testing::ShellQuote;

std::string CliCommand() {
    return ShellQuote(ORNAVEX_CLI_PATH);
}

// A closed standard output, or one that fails, fails the run with a
// message; a pipe whose reader went away ends it quietly with the status of
// SIGPIPE, whatever SIGPIPE was left as by the caller.
TEST_F(CliSafety, StandardOutputClosedFailingOrAClosedPipe) {
    ProcessResult result = RunCommand(CliCommand() + " " + ShellQuote(dir / "a.txt") + " >&-");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "ornavex-cli: standard output: Bad file descriptor\n");

    std::string many;
    for (int i = 0; i < 40000; ++i)
        many += "someone" + std::to_string(i) + "@example.org\n";
    WriteFile(dir / "many.txt", many);
    for (const char* caller : {"", "trap '' PIPE; "}) {
        result = RunCommand(std::string(caller) + "{ " + CliCommand() + " " +
                            ShellQuote(dir / "many.txt") + "; echo $? >" +
                            ShellQuote(dir / "status") + "; } | head -n 1");
        EXPECT_EQ(result.out, "someone0@example.org\n") << caller;
        EXPECT_EQ(result.err, "") << caller;
        EXPECT_EQ(ReadFile(dir / "status"), "141\n") << caller;
    }
}

// Names with terminal controls in them, of files, folders and members, are
// shown escaped in messages and in the report, so no line is forged.
TEST_F(CliSafety, NamesCannotSteerTheTerminal) {
    const std::string hostile = "\x1b]0;owned\x07\nornavex-cli: all fine\r\x1b[2J";
    fs::create_directories(dir / hostile);
    WriteFile(dir / hostile / "in.txt", "in@x.com");
    const std::string missing = Path(hostile + ".txt");
    std::vector<std::string> arguments = {"--report", Path(hostile), missing};
#ifdef ORNAVEX_DOCUMENTS
    // A member that cannot be read: encrypted.
    WriteFile(dir / "secret.zip",
              testing::MakeArchive(testing::ArchiveFormat::kZip, {{hostile, "x@y.com"}},
                                   testing::Compression::kNone, "password"));
    arguments.push_back(Path("secret.zip"));
#endif
    const ProcessResult result = Cli(arguments);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err.find('\x1b'), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find('\r'), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("ornavex-cli: " + ShownName(missing) + ": No such file"),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("\tread\t" + ShownName(Path(hostile + "/in.txt"), true) + "\n"),
              std::string::npos)
        << result.err;
    // Each line is a message or a row of the report, none made by a name.
    for (std::size_t at = 0; at < result.err.size(); at = result.err.find('\n', at) + 1)
        EXPECT_TRUE(result.err.compare(at, 13, "ornavex-cli: ") == 0 ||
                    result.err.compare(at, 2, "0\t") == 0 ||
                    result.err.compare(at, 2, "1\t") == 0 ||
                    result.err.compare(at, 6, "found\t") == 0)
            << result.err.substr(at);
}
#endif

} // namespace
} // namespace ornavex
