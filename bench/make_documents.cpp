// Writes the documents the decoding benchmarks read:
//   make_documents docx FOLDER COUNT     COUNT Word documents of about 30 KB each,
//                                        and FOLDER-text with the same text as plain files
//   make_documents pdf FILE MEGABYTES    one PDF of about that size
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

} // namespace

int main(int argc, char** argv) {
    const std::string kind = argc == 4 ? argv[1] : "";
    if (kind == "docx")
        WriteDocuments(argv[2], std::strtoull(argv[3], nullptr, 10));
    else if (kind == "pdf")
        WritePdf(argv[2], std::strtoull(argv[3], nullptr, 10));
    else {
        std::fprintf(stderr, "usage: %s docx FOLDER COUNT | pdf FILE MEGABYTES\n", argv[0]);
        return 2;
    }
    return 0;
}
