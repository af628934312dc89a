// Writes the documents the decoding benchmarks read:
//   make_documents docx FOLDER COUNT     COUNT Word documents of about 30 KB each,
//                                        and FOLDER-text with the same text as plain files
//   make_documents pdf FILE MEGABYTES    one PDF of about that size
//   make_documents shapes FOLDER KB      for each kind, the shapes that cost a decoder
//                                        most (kind-worst-*.*) and an ordinary file of
//                                        that kind of about the same size (kind-ordinary.*)
// The output depends only on the arguments, so runs are comparable.
#include "fixtures.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace ornavex::testing;

const std::vector<std::string> kWords = {
    "the",    "meeting", "list",   "harbour", "spring",  "report",  "please",
    "send",   "update",  "market", "people",  "office",  "number",  "review",
    "letter", "project", "monday", "budget",  "account", "summary", "weather"};

std::string Address(std::uint64_t id) {
    return kWords[id % kWords.size()] + "." + std::to_string(id) + "@" +
           kWords[(id / 5) % kWords.size()] + "-mail.example";
}

// One line of prose short enough for a page's width; every tenth ends with
// an address.
std::string Line(std::mt19937_64& random, std::uint64_t lineNumber) {
    std::string line;
    const bool address = lineNumber % 10 == 0;
    const int words = address ? 2 : 8 + static_cast<int>(random() % 5);
    for (int w = 0; w < words; ++w)
        line += kWords[random() % kWords.size()] + " ";
    if (address)
        line += "write to " + Address(random() % 100000);
    return line;
}

// Word keeps a paragraph in runs of a few words; an address is sometimes cut
// between two runs, as spelling and formatting marks cut it.
std::string Paragraph(const std::string& text, std::mt19937_64& random) {
    std::string runs;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = std::min(text.size(), start + 12 + random() % 30);
        runs += "<w:r><w:rPr><w:lang w:val=\"en-GB\"/></w:rPr><w:t xml:space=\"preserve\">" +
                text.substr(start, end - start) + "</w:t></w:r>";
        start = end;
    }
    return runs;
}

void Write(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

void WriteDocuments(const std::filesystem::path& folder, std::uint64_t count) {
    std::filesystem::path textFolder = folder;
    textFolder += "-text";
    std::filesystem::create_directories(folder);
    std::filesystem::create_directories(textFolder);
    std::mt19937_64 random(1);
    std::uint64_t lineNumber = 0;
    for (std::uint64_t n = 0; n < count; ++n) {
        std::vector<std::string> paragraphs;
        std::string text;
        for (std::size_t xml = 0; xml < 30000;) {
            const std::string line = Line(random, ++lineNumber);
            paragraphs.push_back(Paragraph(line, random));
            xml += paragraphs.back().size() + 11;
            text += line + "\n";
        }
        const std::string name = "doc" + std::to_string(n);
        Write(folder / (name + ".docx"), MakeDocx(paragraphs));
        Write(textFolder / (name + ".txt"), text);
    }
}

void WritePdf(const std::filesystem::path& file, std::uint64_t megabytes) {
    std::mt19937_64 random(1);
    std::vector<std::vector<std::string>> pages;
    std::uint64_t bytes = 0;
    std::uint64_t lineNumber = 0;
    while (bytes < megabytes * 1000000) {
        std::vector<std::string> page;
        for (int i = 0; i < 50; ++i) {
            page.push_back(Line(random, ++lineNumber));
            bytes += page.back().size() + 20;
        }
        pages.push_back(std::move(page));
    }
    Write(file, MakePdf(pages));
}

// Text of about size bytes, lines of prose and addresses.
std::string Prose(std::size_t size) {
    std::mt19937_64 random(2);
    std::string text;
    for (std::uint64_t line = 1; text.size() < size; ++line)
        text += Line(random, line) + "\n";
    return text;
}

std::string Repeat(const std::string& piece, std::size_t size) {
    std::string out;
    while (out.size() < size)
        out += piece;
    return out;
}

std::string MailHead(const std::string& type) {
    return "From: a@example.com\nTo: b@example.com\nSubject: s\nMIME-Version: 1.0\n"
           "Content-Type: " +
           type + "\n\n";
}

// What a decoder meets at its worst, each against an ordinary file of its
// kind of about the same stored size.
void WriteShapes(const std::filesystem::path& folder, std::size_t kilobytes) {
    std::filesystem::create_directories(folder);
    const std::size_t size = kilobytes * 1000;
    const auto put = [&](const std::string& name, const std::string& bytes) {
        Write(folder / name, bytes);
    };
    // Web pages: prose in paragraphs; a run of ampersands (a reference
    // started at every byte); one link target of escaped ampersands.
    std::string page = "<!DOCTYPE html><html><body><p>";
    for (const char c : Prose(size))
        page += c == '\n' ? std::string("</p>\n<p>") : std::string(1, c);
    put("page-ordinary.html", page);
    put("page-worst-ampersands.html", "<!DOCTYPE html><p>" + std::string(size, '&'));
    put("page-worst-link.html", "<!DOCTYPE html><a href=\"" + Repeat("&amp;", size) + "\">x</a>");
    // Mail: a text body; tiny parts; one long header; deep multiparts
    // followed by lines that look like delimiters.
    put("mail-ordinary.eml", MailHead("text/plain") + Prose(size));
    put("mail-worst-parts.eml",
        MailHead("multipart/mixed; boundary=\"b\"") + Repeat("--b\n\nx\n", size) + "--b--\n");
    put("mail-worst-header.eml",
        "From: a@example.com\nSubject: s\nTo: " + Repeat("u@example.com, ", size) + "\n\nbody\n");
    std::string deep = MailHead("multipart/mixed; boundary=\"b0\"");
    for (int i = 1; i < 1000; ++i)
        deep += "--b" + std::to_string(i - 1) + "\nContent-Type: multipart/mixed; boundary=\"b" +
                std::to_string(i) + "\"\n\n";
    put("mail-worst-nesting.eml", deep + Repeat("--line\n", size - deep.size()));
    // Word documents: prose; elements nested as deep as the stored size
    // allows; one attribute as long.
    // Word's XML packs about eight to one.
    std::mt19937_64 random(3);
    std::vector<std::string> paragraphs;
    for (std::size_t xml = 0; xml < size * 8;) {
        paragraphs.push_back(Paragraph(Line(random, paragraphs.size() + 1), random));
        xml += paragraphs.back().size();
    }
    put("docx-ordinary.docx", MakeDocx(paragraphs));
    const auto document = [](const std::string& xml) {
        return MakeArchive(ArchiveFormat::kZip,
                           {{"[Content_Types].xml", "<Types/>"}, {"word/document.xml", xml}});
    };
    // Deflate stores about a thousand bytes of repeated markup in one: the
    // expanding shapes are as large as that allows, up to 256 MB.
    const std::size_t expanded = std::min<std::size_t>(size * 1000, 256 << 20);
    put("docx-worst-nesting.docx",
        document("<w:document xmlns:w=\"w\">" + Repeat("<w:p>", expanded) + "</w:document>"));
    put("docx-worst-markup.docx", document("<w:document xmlns:w=\"w\"><w:p a=\"" +
                                           std::string(expanded, 'x') + "\"/></w:document>"));
    // PDF: pages of prose; pages that all show one content stream.
    std::vector<std::vector<std::string>> pages;
    for (std::size_t bytes = 0, line = 1; bytes < size;) {
        std::vector<std::string> lines;
        for (int i = 0; i < 50; ++i, ++line) {
            lines.push_back(Line(random, line));
            bytes += lines.back().size() + 12;
        }
        pages.push_back(std::move(lines));
    }
    put("pdf-ordinary.pdf", MakePdf(pages));
    std::vector<std::string> shared;
    for (int i = 0; i < 400; ++i)
        shared.push_back(Line(random, i));
    put("pdf-worst-shared.pdf", MakeSharedContentPdf(shared, size / 120));
    // Compressed: text; zeros, which expand a thousand times.
    put("gzip-ordinary.gz", Compress(Prose(size * 3), Compression::kGzip));
    put("gzip-worst-zeros.gz", Compress(std::string(expanded, '\0'), Compression::kGzip));
}

} // namespace

int main(int argc, char** argv) {
    const std::string kind = argc == 4 ? argv[1] : "";
    if (kind == "docx")
        WriteDocuments(argv[2], std::strtoull(argv[3], nullptr, 10));
    else if (kind == "pdf")
        WritePdf(argv[2], std::strtoull(argv[3], nullptr, 10));
    else if (kind == "shapes")
        WriteShapes(argv[2], std::strtoull(argv[3], nullptr, 10));
    else {
        std::fprintf(stderr,
                     "usage: %s docx FOLDER COUNT | pdf FILE MEGABYTES | shapes FOLDER KB\n",
                     argv[0]);
        return 2;
    }
    return 0;
}
