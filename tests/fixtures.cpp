#include "fixtures.h"

#include <algorithm>
#include <archive.h>
#include <archive_entry.h>
#include <cstdint>
#include <memory>
#include <stdexcept>

namespace ornavex::testing {
namespace {

using Writer = std::unique_ptr<archive, decltype(&archive_write_free)>;

la_ssize_t Append(archive*, void* data, const void* buffer, size_t length) {
    static_cast<std::string*>(data)->append(static_cast<const char*>(buffer), length);
    return static_cast<la_ssize_t>(length);
}

void Check(archive* writer, int status) {
    if (status < ARCHIVE_WARN)
        throw std::runtime_error(archive_error_string(writer));
}

void AddCompression(archive* writer, Compression compression) {
    switch (compression) {
    case Compression::kNone:
        break;
    case Compression::kGzip:
        Check(writer, archive_write_add_filter_gzip(writer));
        break;
    case Compression::kBzip2:
        Check(writer, archive_write_add_filter_bzip2(writer));
        break;
    case Compression::kXz:
        Check(writer, archive_write_add_filter_xz(writer));
        break;
    case Compression::kZstd:
        Check(writer, archive_write_add_filter_zstd(writer));
        break;
    }
}

void WriteMember(archive* writer, const Member& member) {
    std::unique_ptr<archive_entry, decltype(&archive_entry_free)> entry(archive_entry_new(),
                                                                        archive_entry_free);
    archive_entry_set_pathname(entry.get(), member.name.c_str());
    archive_entry_set_filetype(entry.get(), AE_IFREG);
    archive_entry_set_perm(entry.get(), 0644);
    archive_entry_set_size(entry.get(), static_cast<la_int64_t>(member.bytes.size()));
    archive_entry_set_mtime(entry.get(), 1700000000, 0);
    Check(writer, archive_write_header(writer, entry.get()));
    if (!member.bytes.empty() &&
        archive_write_data(writer, member.bytes.data(), member.bytes.size()) < 0)
        throw std::runtime_error(archive_error_string(writer));
}

std::string Written(Writer& writer, std::string& out) {
    Check(writer.get(), archive_write_close(writer.get()));
    return out;
}

std::string EscapePdfText(std::string_view text) {
    std::string escaped;
    for (char c : text) {
        if (c == '(' || c == ')' || c == '\\')
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

} // namespace

std::string MakeArchive(ArchiveFormat format, const std::vector<Member>& members,
                        Compression compression, const char* password) {
    std::string out;
    Writer writer(archive_write_new(), archive_write_free);
    switch (format) {
    case ArchiveFormat::kZip:
        Check(writer.get(), archive_write_set_format_zip(writer.get()));
        break;
    case ArchiveFormat::kTar:
        Check(writer.get(), archive_write_set_format_pax_restricted(writer.get()));
        break;
    case ArchiveFormat::kSevenZip:
        Check(writer.get(), archive_write_set_format_7zip(writer.get()));
        break;
    }
    AddCompression(writer.get(), compression);
    if (password != nullptr) {
        Check(writer.get(), archive_write_set_options(writer.get(), "zip:encryption=zipcrypt"));
        Check(writer.get(), archive_write_set_passphrase(writer.get(), password));
    }
    archive_write_set_bytes_in_last_block(writer.get(), 1);
    Check(writer.get(),
          archive_write_open2(writer.get(), &out, nullptr, &Append, nullptr, nullptr));
    for (const Member& member : members)
        WriteMember(writer.get(), member);
    return Written(writer, out);
}

std::string Compress(std::string_view bytes, Compression compression) {
    std::string out;
    Writer writer(archive_write_new(), archive_write_free);
    Check(writer.get(), archive_write_set_format_raw(writer.get()));
    AddCompression(writer.get(), compression);
    archive_write_set_bytes_in_last_block(writer.get(), 1);
    Check(writer.get(),
          archive_write_open2(writer.get(), &out, nullptr, &Append, nullptr, nullptr));
    WriteMember(writer.get(), {"data", std::string(bytes)});
    return Written(writer, out);
}

std::string MakeDocx(const std::vector<std::string>& paragraphs, std::string_view relationships) {
    std::string body;
    for (const std::string& paragraph : paragraphs)
        body += "<w:p>" + paragraph + "</w:p>";
    const std::string w =
        "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";
    return MakeArchive(
        ArchiveFormat::kZip,
        {{"[Content_Types].xml",
          "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/"
          "content-types\"/>"},
         {"word/document.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:document " + w +
                                   "><w:body>" + body + "</w:body></w:document>"},
         {"word/_rels/document.xml.rels",
          "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/"
          "package/2006/relationships\">" +
              std::string(relationships) + "</Relationships>"}});
}

std::string MakeOdt(std::string_view body) {
    return MakeArchive(
        ArchiveFormat::kZip,
        {{"mimetype", "application/vnd.oasis.opendocument.text"},
         {"content.xml", "<?xml version=\"1.0\"?><office:document-content "
                         "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                         "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
                         "xmlns:xlink=\"http://www.w3.org/1999/xlink\"><office:body><office:text>" +
                             std::string(body) +
                             "</office:text></office:body></office:document-content>"}});
}

namespace {

// A PDF of the given content streams whose pages each show the stream
// contents[i] names.
std::string PdfOfStreams(const std::vector<std::string>& streams,
                         const std::vector<std::size_t>& contents) {
    // Objects: 1 catalog, 2 page tree, 3 font, the streams, then the pages.
    std::vector<std::string> objects(3);
    for (const std::string& stream : streams)
        objects.push_back("<< /Length " + std::to_string(stream.size()) + " >>\nstream\n" + stream +
                          "endstream");
    std::string kids;
    for (const std::size_t stream : contents) {
        kids += std::to_string(objects.size() + 1) + " 0 R ";
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << "
                          "/Font << /F1 3 0 R >> >> /Contents " +
                          std::to_string(4 + stream) + " 0 R >>");
    }
    objects[0] = "<< /Type /Catalog /Pages 2 0 R >>";
    objects[1] =
        "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(contents.size()) + " >>";
    objects[2] = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>";

    std::string pdf = "%PDF-1.4\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t offset : offsets) {
        const std::string number = std::to_string(offset);
        pdf += std::string(10 - number.size(), '0') + number + " 00000 n \n";
    }
    pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

std::string PageStream(const std::vector<std::string>& lines) {
    std::string stream = "BT /F1 12 Tf 14 TL 72 760 Td\n";
    for (const std::string& line : lines)
        stream += "(" + EscapePdfText(line) + ") Tj T*\n";
    return stream + "ET\n";
}

} // namespace

std::string MakePdf(const std::vector<std::vector<std::string>>& pages) {
    std::vector<std::string> streams;
    std::vector<std::size_t> contents;
    for (const auto& lines : pages) {
        contents.push_back(streams.size());
        streams.push_back(PageStream(lines));
    }
    return PdfOfStreams(streams, contents);
}

std::string MakeSharedContentPdf(const std::vector<std::string>& lines, std::size_t pages) {
    return PdfOfStreams({PageStream(lines)}, std::vector<std::size_t>(pages, 0));
}

std::string Base64(std::string_view bytes) {
    static const char* kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t v = 0;
        for (std::size_t k = 0; k < 3; ++k)
            v = v << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0);
        for (std::size_t k = 0; k < 4; ++k)
            out += k <= n ? kDigits[(v >> (18 - 6 * k)) & 63] : '=';
        if ((i / 3 + 1) % 19 == 0)
            out += "\r\n";
    }
    return out;
}

} // namespace ornavex::testing
