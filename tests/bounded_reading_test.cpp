// Files shaped to blow a decoder up, and files cut anywhere: each is read
// within fixed memory, or stops with a reason, and never invents text.
#include "decode/decode_context.h"
#include "fixtures.h"
#include "memory_source.h"
#include "test_support.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <set>

namespace ornavex {
namespace {

using testing::ArchiveFormat;
using testing::Compress;
using testing::Compression;
using testing::MakeArchive;
using testing::TempDir;
using testing::WriteFile;
using Strings = std::vector<std::string>;

// The most a part may take beyond what the run has.
constexpr std::uint64_t kPartMemory = 64 << 20;

// The process's peak resident memory since the last Reset (Linux; none
// elsewhere, or under a sanitizer, whose shadow memory would count).
class PeakMemory {
public:
    bool Reset() {
        if (testing::UnderSanitizer())
            return false;
        std::ofstream clear("/proc/self/clear_refs");
        clear << "5";
        return static_cast<bool>(clear.flush());
    }
    std::uint64_t Bytes() const {
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line))
            if (line.starts_with("VmHWM:"))
                return std::stoull(line.substr(6)) * 1024;
        return 0;
    }
};

struct Outcome {
    std::string text;
    Strings failures; // "path: reason"
    DecodeResult result = DecodeResult::kDone;
    std::string error;
};

struct Collector : TextSink {
    bool Text(std::string_view piece) override {
        // Only the start and end of long text are kept: enough to look for
        // what the shapes hide there, and the collector's own memory stays flat.
        constexpr std::size_t kKept = 1 << 20;
        const std::size_t head = std::min(piece.size(), kKept - outcome.text.size());
        outcome.text.append(piece.substr(0, head));
        tail.append(piece.substr(head));
        if (tail.size() > 2 * kKept)
            tail.erase(0, tail.size() - kKept);
        return true;
    }
    bool PartEnd() override {
        Text(" ");
        return true;
    }
    void PartFailed(std::string_view path, std::string_view reason) override {
        outcome.failures.push_back(std::string(path) + ": " + std::string(reason));
    }
    Outcome outcome;
    std::string tail;
};

Outcome Decode(std::string_view bytes) {
    testing::MemorySource source(bytes);
    Collector sink;
    DecodeContext context(
        sink, [&] { return bytes.size(); }, nullptr);
    sink.outcome.result = context.DecodeFile(source);
    sink.outcome.error = context.error();
    sink.outcome.text += sink.tail;
    return sink.outcome;
}

bool Has(const Outcome& outcome, std::string_view text) {
    return outcome.text.find(text) != std::string::npos;
}

std::string Repeat(std::string_view piece, std::size_t times) {
    std::string out;
    out.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        out += piece;
    return out;
}

std::string MailHead(std::string_view type) {
    return "From: a@example.com\nTo: b@example.com\nSubject: s\nMIME-Version: 1.0\n"
           "Content-Type: " +
           std::string(type) + "\n\n";
}

std::string NestedMail(int depth, std::string_view inner) {
    std::string mail = MailHead("multipart/mixed; boundary=\"b0\"");
    for (int i = 1; i < depth; ++i)
        mail += "--b" + std::to_string(i - 1) + "\nContent-Type: multipart/mixed; boundary=\"b" +
                std::to_string(i) + "\"\n\n";
    mail += "--b" + std::to_string(depth - 1) + "\n\n" + std::string(inner) + "\n";
    return mail;
}

std::string Docx(std::string_view document) {
    return MakeArchive(ArchiveFormat::kZip, {{"[Content_Types].xml", "<Types/>"},
                                             {"word/document.xml", std::string(document)}});
}

// Each shape, as a hostile file would have it, read within the memory of a
// part, and either read (its hidden address found) or stopped with a reason.
TEST(BoundedReading, ShapesThatBlowDecodersUpStayWithinTheirBounds) {
    std::string tinyParts = MailHead("multipart/mixed; boundary=\"b\"");
    for (int i = 0; i < 50000; ++i)
        tinyParts += "--b\n\nx\n";
    tinyParts += "--b\n\nlast@example.com\n--b--\n";
    std::string gzip6 = "six@example.com";
    std::string gzip4 = "four@example.com";
    for (int i = 0; i < 6; ++i) {
        gzip6 = Compress(gzip6, Compression::kGzip);
        if (i < 4)
            gzip4 = Compress(gzip4, Compression::kGzip);
    }
    std::vector<std::string> lines;
    for (int i = 0; i < 60; ++i)
        lines.push_back("row " + std::to_string(i) + " of a page that every page shows again");

    struct Shape {
        const char* name;
        std::string bytes;
        const char* found;  // text the decoder must give, or nullptr
        const char* reason; // why it stops, or nullptr
    };
    const std::vector<Shape> shapes = {
        {"deep docx",
         Docx("<w:document xmlns:w=\"w\">" + Repeat("<w:p>", 1000000) + Repeat("</w:p>", 1000000) +
              "</w:document>"),
         nullptr, "word/document.xml: Nested too deep"},
        {"huge markup",
         Docx("<w:document xmlns:w=\"w\"><w:p a=\"" + std::string(4 << 20, 'x') +
              "\"/></w:document>"),
         nullptr, "word/document.xml: Damaged document"},
        {"deep mail", NestedMail(200, "inner@example.com") + "\n--b0\n\nouter@example.com\n",
         "outer@example.com", ": Nested too deep"},
        {"long header",
         "From: a@example.com\nSubject: s\nTo: " + Repeat("user@example.com, ", 400000) +
             "last@example.com\n\nbody\n",
         "last@example.com", nullptr},
        {"tiny parts", tinyParts, "last@example.com", nullptr},
        {"ampersands", "<!DOCTYPE html><p>" + std::string(16 << 20, '&') + " amp@example.com",
         "amp@example.com", nullptr},
        {"long href",
         "<!DOCTYPE html><a href=\"" + Repeat("&amp;", 1 << 20) + "\">x</a> href@example.com",
         "href@example.com", nullptr},
        {"gzip six deep", gzip6, nullptr, "Expands too far"},
        {"gzip four deep", gzip4, "four@example.com", nullptr},
        {"shared content", testing::MakeSharedContentPdf(lines, 3000), nullptr,
         "Too much work for its size"},
    };
    PeakMemory peak;
    for (const Shape& shape : shapes) {
        const bool measured = peak.Reset();
        const std::uint64_t before = peak.Bytes();
        const Outcome outcome = Decode(shape.bytes);
        if (measured) {
            EXPECT_LT(peak.Bytes() - before, kPartMemory) << shape.name;
        }
        if (shape.found) {
            EXPECT_TRUE(Has(outcome, shape.found)) << shape.name;
        }
        if (shape.reason) {
            std::string all = outcome.error;
            for (const std::string& failure : outcome.failures)
                all += " " + failure;
            EXPECT_NE(all.find(shape.reason), std::string::npos) << shape.name << ": " << all;
        } else {
            EXPECT_TRUE(outcome.failures.empty()) << shape.name << ": " << outcome.failures[0];
            EXPECT_EQ(outcome.result, DecodeResult::kDone) << shape.name << ": " << outcome.error;
        }
    }
}

// Bytes that only begin like a container, and the markup a browser reads.
TEST(BoundedReading, WhatDoesNotOpenAsItsKindIsText) {
    const Strings texts = {"070701 is the cpio magic; ann@example.com",
                           "BZhang wrote to bob@example.org", "\x1F\x8B\x08 gz@example.com"};
    for (const std::string& text : texts) {
        const Outcome outcome = Decode(text);
        EXPECT_EQ(outcome.result, DecodeResult::kDone) << text;
        EXPECT_EQ(outcome.text, text + " ") << text;
    }
    const Outcome zip = Decode(
        MakeArchive(ArchiveFormat::kZip, {{"a.txt", texts[0]}, {"b.txt", "carl@example.net"}}));
    EXPECT_TRUE(Has(zip, "ann@example.com") && Has(zip, "carl@example.net"));
    EXPECT_TRUE(zip.failures.empty());

    const Outcome page = Decode(
        "<!DOCTYPE html><p>a&#x0000000040;b.org c&#00000064;d.org e&#x110000;f &#;&#x;</p>"
        "<input type=text value=\"val@example.com\"><input type=HIDDEN value=\"no@example.com\">"
        "<input placeholder=\"ph@example.com\"><textarea placeholder=\"ta@example.com\">"
        "</textarea>");
    for (const char* want : {"a@b.org", "c@d.org",
                             "e\xEF\xBF\xBD"
                             "f",
                             "&#;&#x;", "val@example.com", "ph@example.com", "ta@example.com"})
        EXPECT_TRUE(Has(page, want)) << want;
    EXPECT_FALSE(Has(page, "no@example.com"));
}

// Addresses found in a file cut short: each one the whole file gives too,
// or the start of one (the last word, cut).
TEST(BoundedReading, CutFilesGiveAPrefixOrAReason) {
    const std::string text = "ann@example.com bob@example.org carl@example.net dora@example.io";
    const std::string docx = testing::MakeDocx({"<w:r><w:t>" + text + "</w:t></w:r>"});
    const std::vector<std::pair<std::string, std::string>> files = {
        {"zip", MakeArchive(ArchiveFormat::kZip, {{"a.txt", text}, {"b.docx", docx}})},
        {"tgz",
         MakeArchive(ArchiveFormat::kTar, {{"a.txt", text}, {"b.txt", text}}, Compression::kXz)},
        {"7z", MakeArchive(ArchiveFormat::kSevenZip, {{"a.txt", text}})},
        {"pdf", testing::MakePdf({{text}, {"eve@example.com"}})},
        {"mail", MailHead("multipart/mixed; boundary=\"b\"") + "--b\n\n" + text +
                     "\n--b\nContent-Type: application/zip\nContent-Transfer-Encoding: "
                     "base64\n\n" +
                     testing::Base64(MakeArchive(ArchiveFormat::kZip, {{"z.txt", text}})) +
                     "\n--b--\n"},
        {"page", "<!DOCTYPE html><p>" + text + "</p><a href=\"mailto:fay%40example.com\">x</a>"},
    };
    TempDir dir;
    std::mt19937 random(7);
    for (const auto& [kind, bytes] : files) {
        WriteFile(dir / "whole", bytes);
        testing::RecordingSink whole;
        RunRemoval({Input::File(dir / "whole")}, whole);
        ASSERT_FALSE(whole.addresses.empty()) << kind;
        for (int cut = 0; cut < 24; ++cut) {
            const std::size_t at = random() % bytes.size();
            WriteFile(dir / "cut", std::string_view(bytes).substr(0, at));
            testing::RecordingSink sink;
            RunRemoval({Input::File(dir / "cut")}, sink);
            for (const ErrorReport& report : sink.reports)
                EXPECT_FALSE(report.description.empty()) << kind << " cut at " << at;
            for (const std::string& address : sink.addresses) {
                const bool known =
                    std::any_of(whole.addresses.begin(), whole.addresses.end(),
                                [&](const std::string& full) { return full.starts_with(address); });
                EXPECT_TRUE(known) << kind << " cut at " << at << " gave " << address;
            }
        }
    }
}

} // namespace
} // namespace ornavex
