#include "decode/decode_context.h"
#include "decode/web_page_text.h"
#include "fixtures.h"
#include "memory_source.h"
#include "run/removal_run.h"
#include "test_support.h"

#include <chrono>
#include <gtest/gtest.h>
#include <random>
#include <tuple>

namespace ornavex {
namespace {

using testing::ArchiveFormat;
using testing::Base64;
using testing::Compress;
using testing::Compression;
using testing::MakeArchive;
using testing::RecordingSink;
using testing::TempDir;
using testing::WriteFile;
using Strings = std::vector<std::string>;

struct Outcome {
    Strings addresses;
    Strings errors; // "file name: reason"
    std::uint64_t parts = 0;
};

class ReadInside : public ::testing::Test {
protected:
    std::filesystem::path Put(const std::string& name, std::string_view bytes) {
        WriteFile(dir / name, bytes);
        return dir / name;
    }

    Outcome Run(const std::vector<std::filesystem::path>& paths, bool readInside = true) {
        std::vector<Input> inputs;
        for (const auto& path : paths)
            inputs.push_back(Input::File(path));
        RecordingSink sink;
        RunOptions options;
        options.readInside = readInside;
        const RunSummary summary = RunRemoval(inputs, sink, options);
        Outcome outcome{sink.addresses, {}, summary.partsRead};
        for (const ErrorReport& report : sink.reports)
            outcome.errors.push_back(std::filesystem::path(report.path).filename().string() + ": " +
                                     report.description);
        return outcome;
    }
    Outcome RunOne(const std::string& name, std::string_view bytes) {
        return Run({Put(name, bytes)});
    }

    TempDir dir;
};

// Text with addresses, near misses and long lines, big enough to cross
// every reader's blocks.
std::string MixedText(unsigned seed, std::size_t size) {
    std::mt19937 random(seed);
    const Strings words = {"ann@example.com",
                           "Bob.Smith@Mail.Example.org",
                           "x@y",
                           "noise",
                           "carl@sub.example.net.",
                           "(dora@example.io)",
                           "a@b.c",
                           "e@f.gh,",
                           "\xC3\xA9t\xC3\xA9",
                           "ANN@EXAMPLE.COM",
                           "<fay@example.com>"};
    std::string text;
    while (text.size() < size) {
        text += words[random() % words.size()];
        text += "\t \n\r,;"[random() % 6];
        if (random() % 50 == 0)
            text += "u" + std::to_string(random() % 100000) + "@host" +
                    std::to_string(random() % 100) + ".example ";
    }
    return text;
}

TEST_F(ReadInside, EveryContainerGivesWhatItsTextGives) {
    const std::string text = MixedText(14, 300000);
    const Strings plain = Run({Put("plain.txt", text)}).addresses;
    ASSERT_GT(plain.size(), 100u);
    const std::string zip = MakeArchive(ArchiveFormat::kZip, {{"t.txt", text}});
    const std::vector<std::pair<std::string, std::string>> containers = {
        {"gz", testing::Compress(text, Compression::kGzip)},
        {"bz2", testing::Compress(text, Compression::kBzip2)},
        {"xz", testing::Compress(text, Compression::kXz)},
        {"zst", testing::Compress(text, Compression::kZstd)},
        {"zip", zip},
        {"tar", MakeArchive(ArchiveFormat::kTar, {{"t.txt", text}})},
        {"tgz", MakeArchive(ArchiveFormat::kTar, {{"t.txt", text}}, Compression::kGzip)},
        {"7z", MakeArchive(ArchiveFormat::kSevenZip, {{"t.txt", text}})},
        {"zip in tar.xz", MakeArchive(ArchiveFormat::kTar, {{"in.zip", zip}}, Compression::kXz)},
        {"7z in zip",
         MakeArchive(ArchiveFormat::kZip,
                     {{"in.7z", MakeArchive(ArchiveFormat::kSevenZip, {{"t.txt", text}})}})},
    };
    for (const auto& [kind, bytes] : containers) {
        const Outcome outcome = RunOne("file", bytes);
        EXPECT_EQ(outcome.addresses, plain) << kind;
        EXPECT_TRUE(outcome.errors.empty()) << kind << ": " << outcome.errors[0];
        EXPECT_EQ(outcome.parts, 1u) << kind;
    }
    // What a compressed stream holds is told by our signatures alone.
    EXPECT_EQ(RunOne("s.gz", testing::Compress("#mtree\nann@example.com\n", Compression::kGzip))
                  .addresses,
              Strings{"ann@example.com"});
    // Unless asked to, none of them is read inside.
    EXPECT_TRUE(Run({Put("raw.gz", containers[0].second)}, false).addresses.empty());
}

TEST_F(ReadInside, TextNoKindClaimsIsReadByteForByte) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        std::string text = MixedText(seed, 70000 * seed);
        if (seed % 2 == 0)
            text.insert(0, "\xEF\xBB\xBFPK ustar From x\n<p>"); // near misses of signatures
        const auto path = Put("t" + std::to_string(seed), text);
        const Outcome inside = Run({path});
        EXPECT_EQ(inside.addresses, Run({path}, false).addresses) << seed;
        EXPECT_EQ(inside.parts, 0u);
    }
}

TEST_F(ReadInside, MembersComeInStoredOrderAndEachEndsItsLastWord) {
    const std::string inner = MakeArchive(ArchiveFormat::kZip, {{"c.txt", "carl@example.net"}});
    const Outcome outcome = RunOne(
        "a.zip", MakeArchive(ArchiveFormat::kZip, {{"z.txt", "x ann@example.co"},
                                                   {"m/inner.zip", inner},
                                                   {"a.txt", "m bob@example.org ANN@example.co"}}));
    EXPECT_EQ(outcome.addresses,
              (Strings{"ann@example.co", "carl@example.net", "bob@example.org"}));
    EXPECT_EQ(outcome.parts, 3u);
}

TEST_F(ReadInside, FirstOccurrencesNameTheirMemberAndItsLine) {
    const std::string inner = MakeArchive(ArchiveFormat::kTar, {{"b.txt", "\n\nbob@example.org"}});
    const std::string zip =
        MakeArchive(ArchiveFormat::kZip, {{"a.txt", "x\nann@example.com"},
                                          {"sub.tar.gz", Compress(inner, Compression::kGzip)},
                                          {"c.txt", "BOB@example.org\n\n\ncarl@example.net"}});
    RecordingSink sink;
    RunOptions options;
    options.details = options.lines = true;
    RunRemoval({Input::File(Put("p.zip", zip))}, sink, options);
    ASSERT_EQ(sink.details.sources.size(), 3u);
    std::vector<std::tuple<std::string, std::uint64_t, std::uint32_t>> got;
    for (const AddressOrigin& source : sink.details.sources)
        got.emplace_back(sink.details.members[source.member], source.line, source.count);
    EXPECT_EQ(got, (std::vector<std::tuple<std::string, std::uint64_t, std::uint32_t>>{
                       {"a.txt", 2, 1}, {"sub.tar.gz: b.txt", 3, 2}, {"c.txt", 4, 1}}));
}

TEST_F(ReadInside, OfficeDocumentsAreReadAsTheyAreShown) {
    const std::string docx = testing::MakeDocx(
        {"<w:r><w:t>write ann@exa</w:t></w:r><w:proofErr/><w:r><w:t>mple.com</w:t></w:r>",
         "<w:r><w:t>carl@example.ne</w:t></w:r>",
         "<w:r><w:t>t dora@example.org</w:t><w:tab/>"
         "<w:t>eve@example.org</w:t><w:br/><w:t>gus&#64;example.com &amp; more</w:t></w:r>"},
        "<Relationship Id=\"r1\" Type=\"hyperlink\" Target=\"mailto:hal%40example.com?subject=x\" "
        "TargetMode=\"External\"/><Relationship Id=\"r2\" Type=\"x\" Target=\"ivy@example.com\"/>"
        "<Relationship Id=\"r3\" Type=\"hyperlink\" Target=\"https://cred@host.example.org/\" "
        "TargetMode=\"External\"/>");
    EXPECT_EQ(RunOne("a.docx", docx).addresses,
              (Strings{"ann@example.com", "carl@example.ne", "dora@example.org", "eve@example.org",
                       "gus@example.com", "hal@example.com"}));

    const std::string odt = testing::MakeOdt(
        "<text:h>jo@exa<text:span>mple.com</text:span></text:h><text:p>kim@example.co</text:p>"
        "<text:p>m<text:s/>lee@example.org<text:line-break/>x"
        "<text:a xlink:href=\"mailto:max%40example.com\">mail</text:a></text:p>");
    EXPECT_EQ(RunOne("a.odt", odt).addresses,
              (Strings{"jo@example.com", "kim@example.co", "lee@example.org", "max@example.com"}));

    const std::string xlsx = MakeArchive(
        ArchiveFormat::kZip,
        {{"[Content_Types].xml", "<Types/>"},
         {"xl/sharedStrings.xml", "<sst><si><t>ned@exa</t></si><si><r><t>oz@exa</t></r>"
                                  "<r><t>mple.com</t></r></si></sst>"},
         {"xl/worksheets/sheet1.xml", "<worksheet><sheetData><row><c t=\"inlineStr\"><is><t>"
                                      "pam@example.com</t></is></c><c><v>1</v></c></row>"
                                      "</sheetData></worksheet>"}});
    EXPECT_EQ(RunOne("a.xlsx", xlsx).addresses, (Strings{"oz@example.com", "pam@example.com"}));
}

// Collects a page's text as it is written.
struct TextCollector : TextSink {
    bool Text(std::string_view text) override {
        all += text;
        return true;
    }
    bool PartEnd() override { return true; }
    std::string all;
};

TEST_F(ReadInside, WebPagesAreReadAsABrowserShowsThem) {
    const std::string page =
        "<!DOCTYPE html>\n<html><head><title>t</title><style>p{} .x@y.com{}</style>"
        "<script>var a = 'sid@example.com'; if (a</b) {}</script></head><body>"
        "<p>ann&#64;example.com, bob&#x40;example.org, carl&commat;example.net</p>"
        "<p>do<b>ra</b>@<span class=\"a>b\">example</span>.com</p><div>eve@example.co</div>"
        "<div>m</div><li>fay [at] example [dot] com</li><!-- gus@example.com -->"
        "<a href=\"mailto:hal%40example.com\">write</a><p>ivy&commat example.org &amp; "
        "<a href=\"https://cred@host.example.org/x\">li</a>nk "
        "jo&#64example.com</p><br>kim@ex<br/>ample.com <p>&nbsp;lee@example.org&nbsp;</p>";
    EXPECT_EQ(RunOne("page", page).addresses,
              (Strings{"ann@example.com", "bob@example.org", "carl@example.net", "dora@example.com",
                       "eve@example.co", "hal@example.com", "jo@example.com", "lee@example.org"}));

    // Any cut of the page gives the same text.
    TextCollector whole;
    WebPageText reader(whole);
    ASSERT_TRUE(reader.Feed(page) && reader.Finish());
    for (std::size_t step : {1, 2, 3, 7, 64}) {
        TextCollector cut;
        WebPageText pieces(cut);
        for (std::size_t at = 0; at < page.size(); at += step)
            ASSERT_TRUE(pieces.Feed(std::string_view(page).substr(at, step)));
        ASSERT_TRUE(pieces.Finish());
        EXPECT_EQ(cut.all, whole.all) << step;
    }
    EXPECT_EQ(RunOne("x.xhtml", "<?xml version=\"1.0\"?>\n<!DOCTYPE html>\n<html><p>a&#64;b.cd</p>")
                  .addresses,
              Strings{"a@b.cd"});
}

TEST_F(ReadInside, MailPartsAreDecodedAndAttachmentsOpened) {
    const std::string docx = testing::MakeDocx({"<w:r><w:t>doc@example.com</w:t></w:r>"});
    const std::string zip =
        MakeArchive(ArchiveFormat::kZip, {{"list.txt", "zip@example.com"}, {"b.docx", docx}});
    const std::string message =
        "From: =?UTF-8?B?w4VzYQ==?= <asa@example.com>\r\n"
        "To: =?ISO-8859-1?Q?bob=40example=2Eorg?=\r\n"
        "Subject: list\r\nDate: Mon, 7 Dec 2026 10:00:00 +0000\r\nMIME-Version: 1.0\r\n"
        "Content-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n"
        "preamble\r\n--b1\r\nContent-Type: text/plain; charset=utf-8\r\n"
        "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
        "write to carl@subdomain.exa=\r\nmple.com or d=C3=B6ra@example.org\r\n"
        "--b1\r\nContent-Type: text/plain; charset=iso-8859-1\r\n"
        "Content-Transfer-Encoding: base64\r\n\r\n" +
        Base64("\xE9 eve@example.com \xE9") +
        "\r\n--b1\r\nContent-Type: text/html\r\n\r\n"
        "<p>fay&#64;example.com</p>\r\n--b1\r\nContent-Type: application/zip\r\n"
        "Content-Disposition: attachment; filename=\"a.zip\"\r\n"
        "Content-Transfer-Encoding: base64\r\n\r\n" +
        Base64(zip) + "\r\n--b1--\r\n";
    const Outcome mail = RunOne("m.eml", message);
    EXPECT_EQ(mail.addresses, (Strings{"asa@example.com", "bob@example.org",
                                       "carl@subdomain.example.com", "eve@example.com",
                                       "fay@example.com", "zip@example.com", "doc@example.com"}));
    EXPECT_TRUE(mail.errors.empty());

    const std::string mbox = "From ann@example.com Mon Dec  7 10:00:00 2026\n"
                             "From: ann@example.com\nTo: x@example.org\nSubject: a\n\nbody one\n"
                             ">From here\n\nFrom bounce@example.com Mon Dec  7 10:00:00 2026\n"
                             "From: bob@example.org\nSubject: b\n\nsee gil@example.net\n";
    EXPECT_EQ(RunOne("box", mbox).addresses,
              (Strings{"ann@example.com", "x@example.org", "bounce@example.com", "bob@example.org",
                       "gil@example.net"}));

    // A multipart whose boundary is missing (a real bounce) is read as
    // text, and so are the header fields of its parts.
    EXPECT_EQ(RunOne("bounce.eml", "From: mailer@example.com\nTo: x@example.org\nSubject: b\n"
                                   "Content-Type: multipart/report; report-type=delivery-status\n"
                                   "\nlost@example.net could not be reached\n")
                  .addresses,
              (Strings{"mailer@example.com", "x@example.org", "lost@example.net"}));

    // Both reading threads decode mail at once.
    std::vector<std::filesystem::path> many;
    for (int i = 0; i < 8; ++i)
        many.push_back(Put("m" + std::to_string(i) + ".eml", message));
    EXPECT_EQ(Run(many).addresses, mail.addresses);
}

TEST_F(ReadInside, PdfPagesAreReadInOrder) {
    const std::string pdf = testing::MakePdf(
        {{"Contacts (first page)", "ann@example.com and bob@example.org"}, {"carl@example.net"}});
    const Outcome outcome = RunOne("a.pdf", pdf);
    EXPECT_EQ(outcome.addresses,
              (Strings{"ann@example.com", "bob@example.org", "carl@example.net"}));
    EXPECT_EQ(outcome.parts, 2u);
    // Typographic quotes (\xAA and \xBA in the standard font's encoding)
    // around an address end its word.
    EXPECT_EQ(
        RunOne("q.pdf", testing::MakePdf({{"write to \xAAquoted@example.com\xBA now"}})).addresses,
        Strings{"quoted@example.com"});
    // An address broken after one of its hyphens is joined, the hyphen kept;
    // a line that only ends in a dash is not.
    EXPECT_EQ(RunOne("h.pdf", testing::MakePdf({{"write to R-windows@R-", "project.org or",
                                                 "dee@example.org -", "next line"}}))
                  .addresses,
              (Strings{"R-windows@R-project.org", "dee@example.org"}));
    // Inside an archive it is read from a copy.
    EXPECT_EQ(RunOne("p.zip", MakeArchive(ArchiveFormat::kZip, {{"a.pdf", pdf}})).addresses,
              outcome.addresses);
    // Both reading threads decode documents at once.
    std::vector<std::filesystem::path> many;
    for (int i = 0; i < 8; ++i)
        many.push_back(Put("p" + std::to_string(i) + ".pdf", pdf));
    EXPECT_EQ(Run(many).addresses, outcome.addresses);
    EXPECT_EQ(Run(many).parts, 16u);
}

TEST_F(ReadInside, APartThatFailsGivesNothingAndIsNamedWhileTheRestIsRead) {
    const std::string good = MakeArchive(
        ArchiveFormat::kZip, {{"a.txt", "ann@example.com"}, {"b.txt", "bob@example.org"}});
    std::string cut = good.substr(0, good.size() / 2);
    const std::string docx = testing::MakeDocx({"<w:r><w:t>doc@example.com</w:t></w:r>"});
    const std::string nestedDamage =
        MakeArchive(ArchiveFormat::kZip, {{"ok.txt", "ok@example.com"},
                                          {"2024/list.docx", docx.substr(0, docx.size() / 2)}});
    const std::string encrypted = MakeArchive(
        ArchiveFormat::kZip, {{"open.txt", "open@example.com"}, {"secret.txt", "s@example.com"}},
        Compression::kNone, "password");
    std::string laughs = "<?xml version=\"1.0\"?><!DOCTYPE w:document [<!ENTITY l0 \"ha@x.org \">";
    for (int i = 1; i <= 10; ++i) {
        laughs += "<!ENTITY l" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; ++k)
            laughs += "&l" + std::to_string(i - 1) + ";";
        laughs += "\">";
    }
    laughs += "]><w:document xmlns:w=\"w\"><w:p><w:t>&l10;</w:t></w:p></w:document>";
    const std::string bomb = MakeArchive(
        ArchiveFormat::kZip, {{"[Content_Types].xml", "<Types/>"}, {"word/document.xml", laughs}});

    const auto started = std::chrono::steady_clock::now();
    const Outcome outcome =
        Run({Put("cut.zip", cut), Put("report.zip", nestedDamage), Put("enc.zip", encrypted),
             Put("laughs.docx", bomb), Put("after.txt", "after@example.com"),
             Put("bad.pdf", "%PDF-1.4\nnot really\n"), Put("bad.gz", "\x1F\x8B\x08garbage")});
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60)); // no hang
    // The members before the damage are read; a stream that does not open
    // as what its first bytes suggest is text.
    EXPECT_EQ(outcome.addresses, (Strings{"ann@example.com", "ok@example.com", "doc@example.com",
                                          "after@example.com"}));
    EXPECT_EQ(
        outcome.errors,
        (Strings{"cut.zip: b.txt: Damaged archive", "report.zip: 2024/list.docx: Damaged archive",
                 "enc.zip: open.txt: Encrypted", "laughs.docx: word/document.xml: Damaged document",
                 "bad.pdf: Damaged PDF"}));
}

TEST_F(ReadInside, ManualPagesAreReadAsThePageShowsThem) {
    const std::string page = ".\\\" comment hidden@example.org\n.TH HELLO 1\n.SH AUTHOR\n"
                             "Report bugs to bug\\-hello@gnu.org or \\fIjoost@debian.org\\fR,\n"
                             "uni: kim@informatik.uni\\-erlangen.de and lee\\(atexample.com\n"
                             ".BR ann@example.com ,\n.MT mt@example.com\n.ME .\n"
                             "x\\&y@example.com \\[at] end\\c\n@example.net\n"
                             ".de XX\nmacro@example.org\n..\n.ig\nignored@example.org\n..\n"
                             ".if n .ds Q q@example.org\n\\(lqquoted@example.com\\(rq\n";
    const Strings want = {"bug-hello@gnu.org", "joost@debian.org", "kim@informatik.uni-erlangen.de",
                          "lee@example.com",   "ann@example.com",  "mt@example.com",
                          "xy@example.com",    "end@example.net",  "quoted@example.com"};
    EXPECT_EQ(RunOne("hello.1.gz", Compress(page, Compression::kGzip)).addresses, want);
    // Read as it is written, the escapes would break or join the addresses.
    EXPECT_NE(Run({Put("raw.1", page)}, false).addresses, want);
    // As soelim leaves a page: the line-file request first.
    EXPECT_EQ(
        RunOne("lsof.8", ".lf 1 stdin\n.TH LSOF 8\nspecifying \\fB\\-i\\fP@aaa.bbb\n").addresses,
        Strings{"-i@aaa.bbb"});
}

// A file decoded to text of size bytes, compressed with the limits given.
DecodeResult DecodeSized(const std::string& stored, DecodeLimits limits, std::string& error) {
    testing::MemorySource source(stored);
    TextCollector sink;
    DecodeContext context(
        sink, [&] { return stored.size(); }, nullptr, limits);
    const DecodeResult result = context.DecodeFile(source);
    error = context.error();
    return result;
}

TEST_F(ReadInside, ExpansionAndNestingHaveLimits) {
    DecodeLimits limits;
    limits.floor = 1 << 20;
    const std::string zeros = testing::Compress(std::string(2 << 20, 'a'), Compression::kGzip);
    const std::string small = testing::Compress(std::string(1 << 20, 'a'), Compression::kGzip);
    std::string error;
    // Past both the ratio and the floor: stopped; within the floor: read.
    EXPECT_EQ(DecodeSized(zeros, limits, error), DecodeResult::kFailed);
    EXPECT_EQ(error, "Expands too far");
    EXPECT_EQ(DecodeSized(small, limits, error), DecodeResult::kDone);
    limits.ratio = 100000; // within the ratio: read, but never past the most
    EXPECT_EQ(DecodeSized(zeros, limits, error), DecodeResult::kDone);
    limits.most = 1 << 20;
    EXPECT_EQ(DecodeSized(zeros, limits, error), DecodeResult::kFailed);

    // Four levels of containers are read; a fifth is too deep.
    std::string nested = "deep@example.com";
    for (int level = 1; level <= 5; ++level) {
        nested = MakeArchive(ArchiveFormat::kZip, {{"l" + std::to_string(level), nested}});
        const Outcome outcome = RunOne("n.zip", nested);
        if (level <= 4) {
            EXPECT_EQ(outcome.addresses, Strings{"deep@example.com"}) << level;
        } else {
            EXPECT_EQ(outcome.errors, Strings{"n.zip: l5: l4: l3: l2: Expands too far"});
        }
    }
}

// Typographic punctuation in decoded text ends words as it does in a
// plain file: written as characters or as references, in a document, a web
// page and a mail body alike; '+' stands in the local part there too.
TEST_F(ReadInside, TypographicPunctuationEndsWordsInDecodedText) {
    const std::string docx = testing::MakeDocx({"<w:r><w:t>\u201Cann+list@example.com\u201D "
                                                "\u00ABbob@example.org\u00BB\u2026</w:t></w:r>"});
    EXPECT_EQ(RunOne("a.docx", docx).addresses,
              (Strings{"ann+list@example.com", "bob@example.org"}));
    EXPECT_EQ(RunOne("page", "<!DOCTYPE html><p>&ldquo;carl@example.net&rdquo;&mdash;"
                             "&#x300C;dora@example.io&#x300D;</p>")
                  .addresses,
              (Strings{"carl@example.net", "dora@example.io"}));
    EXPECT_EQ(RunOne("mail", "From: a@example.com\r\nSubject: s\r\nContent-Type: text/plain; "
                             "charset=utf-8\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
                             "=E2=80=98eve@example.org=E2=80=99\r\n")
                  .addresses,
              (Strings{"a@example.com", "eve@example.org"}));
}

} // namespace
} // namespace ornavex
