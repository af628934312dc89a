#pragma once

#include <string>
#include <string_view>
#include <vector>

// Files of the kinds the program reads inside, made at test time: archives
// and compressed streams written by libarchive, office documents, and PDF
// files from a small generator of our own.
namespace ornavex::testing {

struct Member {
    std::string name;
    std::string bytes;
};

enum class ArchiveFormat { kZip, kTar, kSevenZip };
enum class Compression { kNone, kGzip, kBzip2, kXz, kZstd };

// An archive of the members in this order, the whole compressed as asked;
// a password encrypts a zip's members.
std::string MakeArchive(ArchiveFormat format, const std::vector<Member>& members,
                        Compression compression = Compression::kNone,
                        const char* password = nullptr);

// One compressed stream of the bytes.
std::string Compress(std::string_view bytes, Compression compression);

// A Word document whose body holds the given paragraphs (WordprocessingML
// inside w:p), with relationships (a .rels file's Relationship elements).
std::string MakeDocx(const std::vector<std::string>& paragraphs,
                     std::string_view relationships = {});

// An OpenDocument text whose body is the given office:text content.
std::string MakeOdt(std::string_view body);

// A PDF whose pages each show their lines of text, in the standard font.
std::string MakePdf(const std::vector<std::vector<std::string>>& pages);
// A PDF of many pages that all show one content stream of these lines.
std::string MakeSharedContentPdf(const std::vector<std::string>& lines, std::size_t pages);

// Base64 in lines of 76 characters, as mail carries it.
std::string Base64(std::string_view bytes);

} // namespace ornavex::testing
