#include "output/export_formats.h"
#include "output/output_writer.h"
#include "test_support.h"

#include <cerrno>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>

namespace ornavex {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempDir;

const std::vector<std::string> kAbc{"a", "b", "c"};

// The plain reference: the list joined as each format writes it.
std::string Joined(const std::vector<std::string>& addresses, ExportFormat format) {
    std::string out;
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        if (format == ExportFormat::kCommas && i > 0)
            out += ',';
        out += addresses[i];
        if (format == ExportFormat::kLines)
            out += "\r\n";
        else if (format == ExportFormat::kUnixLines)
            out += '\n';
    }
    return out;
}

// The list written by OutputWriter to a file through a temporary file, or
// to a stream when path is empty (the command line's standard output).
std::string Written(const std::vector<std::string>& addresses, ExportFormat format,
                    const fs::path& path) {
    std::FILE* stream = path.empty() ? std::tmpfile() : nullptr;
    OutputWriter writer = path.empty()
                              ? OutputWriter(stream, format)
                              : OutputWriter(path, format, SafeFileWriter::Replace::kExisting);
    EXPECT_TRUE(writer.Open()) << writer.error();
    for (const std::string& address : addresses)
        writer.Append(address);
    EXPECT_TRUE(writer.Close()) << writer.error();
    if (!path.empty())
        return ReadFile(path);
    std::string text(static_cast<std::size_t>(std::ftell(stream)), '\0');
    std::rewind(stream);
    EXPECT_EQ(std::fread(text.data(), 1, text.size(), stream), text.size());
    std::fclose(stream);
    return text;
}

TEST(ExportFormats, EachFormatEndsOrJoinsAddressesAsItSays) {
    EXPECT_EQ(Joined(kAbc, ExportFormat::kLines), "a\r\nb\r\nc\r\n");
    EXPECT_EQ(Joined(kAbc, ExportFormat::kUnixLines), "a\nb\nc\n");
    EXPECT_EQ(Joined(kAbc, ExportFormat::kCommas), "a,b,c");
    for (const ExportFormat format :
         {ExportFormat::kLines, ExportFormat::kUnixLines, ExportFormat::kCommas}) {
        std::string out;
        for (std::size_t i = 0; i < kAbc.size(); ++i)
            AppendExportItem(out, format, kAbc[i], i == 0);
        EXPECT_EQ(out, Joined(kAbc, format));
    }
}

// Whatever the format and wherever the buffer's pieces are cut (addresses
// of random length, some longer than a piece), a file and a stream get the
// reference's bytes; so does an empty list, and a single address.
TEST(OutputWriter, FilesAndStreamsGetTheReferenceAcrossPieces) {
    std::mt19937 random(7);
    std::vector<std::string> many;
    std::size_t bytes = 0;
    while (bytes < 5 * OutputWriter::kFlushBytes) {
        const std::size_t length =
            random() % 100 == 0 ? OutputWriter::kFlushBytes + 3 : 1 + random() % 60;
        many.push_back(std::string(length, static_cast<char>('a' + random() % 26)) + "@x.com");
        bytes += many.back().size();
    }
    TempDir dir;
    for (const auto& list : {many, std::vector<std::string>{}, std::vector<std::string>{"o@x.com"}})
        for (const ExportFormat format :
             {ExportFormat::kLines, ExportFormat::kUnixLines, ExportFormat::kCommas}) {
            const std::string expected = Joined(list, format);
            EXPECT_EQ(Written(list, format, {}), expected) << list.size();
            EXPECT_EQ(Written(list, format, dir / "out.txt"), expected) << list.size();
        }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1); // no temporary file
}

// A writer that gives up, or may not replace a file, leaves what was there.
TEST(OutputWriter, AbandonedOrRefusedLeavesTheFolderAsItWas) {
    TempDir dir;
    OutputWriter abandoned(dir / "new.txt", ExportFormat::kLines, SafeFileWriter::Replace::kNever);
    ASSERT_TRUE(abandoned.Open());
    for (int i = 0; i < 20000; ++i) // past a piece: some bytes are in the temporary file
        abandoned.Append("someone@example.com");
    abandoned.Abandon();
    EXPECT_FALSE(abandoned.Close());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 0);

    testing::WriteFile(dir / "keep.txt", "precious");
    OutputWriter refused(dir / "keep.txt", ExportFormat::kLines, SafeFileWriter::Replace::kNever);
    EXPECT_FALSE(refused.Open());
    EXPECT_EQ(refused.errorNumber(), EEXIST);
    EXPECT_EQ(ReadFile(dir / "keep.txt"), "precious");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1);
}

TEST(ClipboardText, OneCrLfLinePerAddress) {
    AddressList list;
    list.Append("a@x.com");
    list.Append("b@y.org");
    EXPECT_EQ(ClipboardLines(list), "a@x.com\r\nb@y.org\r\n");
    EXPECT_EQ(ClipboardLines(1, [&](std::size_t i) { return list[i + 1]; }), "b@y.org\r\n");
    EXPECT_EQ(ClipboardLines(AddressList{}), "");
}

} // namespace
} // namespace ornavex
