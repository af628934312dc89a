#include "output/export_formats.h"

#include <gtest/gtest.h>

namespace ornavex {
namespace {

const std::vector<std::string> kAbc{"a", "b", "c"};

// The whole list, item by item, as the exports write it.
std::string FormatAddresses(const std::vector<std::string>& addresses, ExportFormat format) {
    std::string out;
    for (std::size_t i = 0; i < addresses.size(); ++i)
        AppendExportItem(out, format, addresses[i], i == 0);
    return out;
}

TEST(ExportFormats, LinesEndEveryAddressWithCrLf) {
    EXPECT_EQ(FormatAddresses(kAbc, ExportFormat::kLines), "a\r\nb\r\nc\r\n");
    EXPECT_EQ(FormatAddresses(kAbc, ExportFormat::kLines).size(), 9u);
    EXPECT_EQ(FormatAddresses({}, ExportFormat::kLines), "");
    EXPECT_EQ(FormatAddresses(kAbc, ExportFormat::kUnixLines), "a\nb\nc\n");
}

TEST(ExportFormats, CommasJoinWithoutLineEnd) {
    EXPECT_EQ(FormatAddresses(kAbc, ExportFormat::kCommas), "a,b,c");
    EXPECT_EQ(FormatAddresses({"only@x.com"}, ExportFormat::kCommas), "only@x.com");
    EXPECT_EQ(FormatAddresses({}, ExportFormat::kCommas), "");
}

TEST(ExportFormats, HandlesListsBeyondSixteenBitCounts) {
    std::vector<std::string> many(40000, "x");
    EXPECT_EQ(FormatAddresses(many, ExportFormat::kLines).size(), 40000u * 3);
    EXPECT_EQ(FormatAddresses(many, ExportFormat::kCommas).size(), 40000u * 2 - 1);
}

TEST(ClipboardText, OneColumnGivesAddressLines) {
    EXPECT_EQ(BuildClipboardText({{"a"}, {"b"}, {"c"}}), "a\r\nb\r\nc\r\n");
    EXPECT_EQ(BuildClipboardText({{"only@x.com"}}), "only@x.com\r\n");
    EXPECT_EQ(BuildClipboardText({}), "");
    // Shorter cells of a single column are padded, then the padding is dropped.
    EXPECT_EQ(BuildClipboardText({{"long@x.com"}, {"a@b.cd"}}), "long@x.com\r\na@b.cd\r\n");
}

TEST(ClipboardText, AlignsColumnsWithSpacesAndTabs) {
    EXPECT_EQ(BuildClipboardText({{"ab", "x"}, {"a", "yz"}}), "ab\tx\r\na \tyz\r\n");
    EXPECT_EQ(BuildClipboardText({{"a", "", "c"}, {"bbb", "dd", ""}}),
              "a  \t  \tc\r\nbbb\tdd\t\r\n");
    // Only spaces are trimmed: the TAB before an empty last cell stays. A row
    // with fewer cells counts the missing ones as empty.
    EXPECT_EQ(BuildClipboardText({{"a", "b"}, {"cc"}}), "a \tb\r\ncc\t\r\n");
}

} // namespace
} // namespace ornavex
