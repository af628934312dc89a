#include "decode/text_decoder.h"
#include "run/block_reader.h"
#include "run/removal_run.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

namespace ornavex {
namespace {

using testing::RecordingSink;
using testing::TempDir;
using testing::WriteFile;

std::vector<std::size_t> BlockSizes(const std::filesystem::path& path) {
    std::vector<std::size_t> sizes;
    BlockReader reader(kReadBlockSize);
    EXPECT_TRUE(reader.Open(Input::File(path))) << reader.error();
    std::string_view block;
    while (reader.Next(block) && !block.empty())
        sizes.push_back(block.size());
    EXPECT_TRUE(reader.error().empty()) << reader.error();
    return sizes;
}

// The reason the reader gives for not opening path.
std::string Refusal(const std::filesystem::path& path) {
    BlockReader reader(100);
    return reader.Open(Input::File(path)) ? "opened" : reader.error();
}

std::vector<std::string> RunOn(const std::vector<std::filesystem::path>& paths) {
    std::vector<Input> inputs;
    for (const auto& path : paths)
        inputs.push_back(Input::File(path));
    RecordingSink sink;
    RunRemoval(inputs, sink);
    EXPECT_TRUE(sink.reports.empty());
    return sink.addresses;
}

TEST(FileReader, ReadsInBlocksOfThirtyThousandBytes) {
    TempDir dir;
    const std::vector<std::pair<std::size_t, std::vector<std::size_t>>> cases = {
        {0, {}},
        {1, {1}},
        {29999, {29999}},
        {30000, {30000}},
        {30001, {30000, 1}},
        {60000, {30000, 30000}},
        {60001, {30000, 30000, 1}},
    };
    for (const auto& [size, blocks] : cases) {
        const auto path = dir / ("f" + std::to_string(size));
        WriteFile(path, std::string(size, 'x'));
        EXPECT_EQ(BlockSizes(path), blocks) << size << " bytes";
    }
}

TEST(FileReader, FailsClearlyOnWhatIsNotARegularFile) {
    TempDir dir;
    EXPECT_EQ(Refusal(dir / "missing"), "No such file or directory");
    EXPECT_EQ(Refusal(dir.path()), "Is a directory");
#ifndef _WIN32
    // Neither waits for a writer nor reads forever.
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(Refusal(dir / "fifo"), "Not a regular file");
    EXPECT_EQ(Refusal("/dev/zero"), "Not a regular file");
#endif
}

TEST(BlockBoundaries, WordsAndLineEndsSurviveTheCut) {
    TempDir dir;
    // An address straddling offset 30000, another right after a CR LF cut in
    // two by it, and one at the very end of the file without a line break.
    std::string straddle(30000 - 8, ' ');
    straddle += "straddle@example.com\r\n";
    std::string crlf(29999, ' ');
    crlf += "\r\nsplit@example.com ";
    std::string tail = std::string(30000 * 2 - 12, ' ') + "end@tail.com";
    WriteFile(dir / "straddle", straddle);
    WriteFile(dir / "crlf", crlf);
    WriteFile(dir / "tail", tail);
    ASSERT_EQ(tail.size(), 60000u);
    EXPECT_EQ(RunOn({dir / "straddle"}), (std::vector<std::string>{"straddle@example.com"}));
    EXPECT_EQ(RunOn({dir / "crlf"}), (std::vector<std::string>{"split@example.com"}));
    EXPECT_EQ(RunOn({dir / "tail"}), (std::vector<std::string>{"end@tail.com"}));
    WriteFile(dir / "short", "short@end.org");
    EXPECT_EQ(RunOn({dir / "short"}), (std::vector<std::string>{"short@end.org"}));
}

TEST(BlockBoundaries, UnixAndWindowsLineEndsGiveTheSameAddresses) {
    TempDir dir;
    WriteFile(dir / "unix", "one@x.com\ntwo@y.org\nthree@z.net\n");
    WriteFile(dir / "windows", "one@x.com\r\ntwo@y.org\r\nthree@z.net\r\n");
    EXPECT_EQ(RunOn({dir / "unix"}), RunOn({dir / "windows"}));
    EXPECT_EQ(RunOn({dir / "unix"}).size(), 3u);
}

std::string Utf16(std::string_view ascii, bool littleEndian) {
    std::string out = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
    for (char c : ascii) {
        if (littleEndian) {
            out.push_back(c);
            out.push_back('\0');
        } else {
            out.push_back('\0');
            out.push_back(c);
        }
    }
    return out;
}

TEST(ByteOrderMarks, Utf16FilesAreDecoded) {
    TempDir dir;
    WriteFile(dir / "le", Utf16("Mail ann@example.org, bob@x.com.", true));
    WriteFile(dir / "be", Utf16("Mail ann@example.org, bob@x.com.", false));
    const std::vector<std::string> expected{"ann@example.org", "bob@x.com"};
    EXPECT_EQ(RunOn({dir / "le"}), expected);
    EXPECT_EQ(RunOn({dir / "be"}), expected);
    // A non-ASCII unit stays attached to its word: "é" before an address.
    WriteFile(dir / "accent",
              "\xFF\xFE" + std::string("\xE9\0", 2) + Utf16("a@x.co b@x.co", true).substr(2));
    EXPECT_EQ(RunOn({dir / "accent"}), (std::vector<std::string>{"b@x.co"}));
}

TEST(ByteOrderMarks, Utf8MarkIsSkippedAndPlainBytesPassThrough) {
    TempDir dir;
    WriteFile(dir / "utf8", "\xEF\xBB\xBF"
                            "first@x.com");
    EXPECT_EQ(RunOn({dir / "utf8"}), (std::vector<std::string>{"first@x.com"}));
    WriteFile(dir / "plain", "\xFF"
                             "a@x.com b@x.com");
    EXPECT_EQ(RunOn({dir / "plain"}), (std::vector<std::string>{"b@x.com"}));
}

TEST(ByteOrderMarks, DecoderCopesWithAnyCut) {
    // A first block may be too short to tell the encoding, or tell it in place.
    const std::pair<std::string, std::string> cases[] = {
        {Utf16("x a@b.cd y", true) + "\x41", "x a@b.cd y"}, // odd trailing byte
        {Utf16("x a@b.cd y", false), "x a@b.cd y"},         // big-endian
        {"\xEF\xBB\xBFx a@b.cd", "x a@b.cd"},               // UTF-8 mark
        {"\xEF\xBBx a@b.cd", "\xEF\xBBx a@b.cd"},           // half a mark: plain bytes
        {"\xFFx a@b.cd", "\xFFx a@b.cd"},                   // half a UTF-16 mark
    };
    for (const auto& [text, expected] : cases) {
        for (std::size_t cut = 0; cut <= text.size(); ++cut) {
            TextDecoder decoder;
            std::string decoded(decoder.Decode(text.substr(0, cut)));
            decoded += decoder.Decode(text.substr(cut));
            decoded += decoder.Finish();
            ASSERT_EQ(decoded, expected) << "cut at " << cut << " of " << text;
        }
    }
    for (std::string_view shortText : {"", "\xEF", "\xEF\xBB", "\xFF", "ab"}) {
        TextDecoder decoder;
        std::string decoded(decoder.Decode(shortText));
        decoded += decoder.Finish();
        EXPECT_EQ(decoded, shortText);
    }
}

} // namespace
} // namespace ornavex
