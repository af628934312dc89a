// Writes the shipped samples that are not plain text (a Word document, a PDF,
// a web page, a mail with an attachment and a zip archive) into the folder
// given, so they are made the same way each time instead of by hand.
//   make_samples FOLDER
#include "fixtures.h"

#include <filesystem>
#include <fstream>
#include <iostream>

namespace {

using namespace ornavex::testing;

void Write(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out.flush())
        throw std::runtime_error("cannot write " + path.string());
}

std::string Run(const std::string& text, bool bold = false) {
    return std::string("<w:r>") + (bold ? "<w:rPr><w:b/></w:rPr>" : "") +
           "<w:t xml:space=\"preserve\">" + text + "</w:t></w:r>";
}

// Word splits an address into runs where its formatting changes.
std::string MemberList() {
    return MakeDocx(
        {(Run("Reading circle, members 2026", true)),
         (Run("Lena Ho\t") + Run("lena.ho@") + Run("quarry-books.example", true)),
         (Run("Omar Diallo\tomar.diallo@riverside-lib.example")),
         (Run("Write to the ") +
          "<w:hyperlink r:id=\"rId9\"><w:r><w:t>circle secretary</w:t></w:r></w:hyperlink>"),
         (Run("Quarterly: LENA.HO@QUARRY-BOOKS.EXAMPLE (same person)"))},
        "<Relationship Id=\"rId9\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/hyperlink\" "
        "Target=\"mailto:secretary@reading-circle.example\" TargetMode=\"External\"/>");
}

std::string Flyer() {
    return MakePdf({{"Harbour Tech Day 2026", "Registration: register@harbour-tech.example",
                     "Speakers: talks@harbour-tech.example"},
                    {"Sponsors", "Contact Ida Sund, ida.sund@nordlys-cloud.example"}});
}

// Character references and a percent-encoded link, as sites hide addresses;
// the script's text is not shown, so it is not read.
std::string TeamPage() {
    return "<!DOCTYPE html>\n<html lang=\"en\"><head><title>Our team</title>\n"
           "<script>var fallback = \"script@not-shown.example\";</script></head>\n"
           "<body><h1>Team</h1>\n<ul>\n"
           "<li>Pia Kerr, <a href=\"mailto:pia.kerr%40cedar-grove.example\">write</a></li>\n"
           "<li>Tomas Ruiz, tomas.ruiz&#64;cedar-grove.example</li>\n"
           "<li>Press: <b>press</b>&commat;<i>cedar-grove.example</i></li>\n"
           "</ul>\n<p>Office: name [at] cedar-grove [dot] example is not an address.</p>\n"
           "</body></html>\n";
}

std::string Reply() {
    const std::string csv = "name,email\r\nAda Moss,ada.moss@fjordtech.example\r\n"
                            "Ben Ode,ben.ode@lumen-press.example\r\n";
    return "From: Jonas Berg <Jonas.Berg@Fjordtech.example>\r\n"
           "To: =?UTF-8?Q?N=C3=B6ra_List?= <list@lumen-press.example>\r\n"
           "Subject: Signups from the fair\r\nDate: Wed, 4 Mar 2026 11:02:00 +0100\r\n"
           "MIME-Version: 1.0\r\n"
           "Content-Type: multipart/mixed; boundary=\"sep\"\r\n\r\n"
           "--sep\r\nContent-Type: text/plain; charset=utf-8\r\n"
           "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
           "Attached are the signups. One more came by phone: svea.lind@northwind-mai=\r\n"
           "l.example, please add her too.\r\n"
           "--sep\r\nContent-Type: text/csv; name=\"signups.csv\"\r\n"
           "Content-Disposition: attachment; filename=\"signups.csv\"\r\n"
           "Content-Transfer-Encoding: base64\r\n\r\n" +
           Base64(csv) + "\r\n--sep--\r\n";
}

std::string Exports() {
    return MakeArchive(ArchiveFormat::kZip,
                       {{"crm/customers.csv",
                         "id;contact\n1;kai.ek@harbourline.example\n2;info@cedar-grove.example\n"},
                        {"shop/orders.log.gz",
                         Compress("2026-02-11 order 1183 paid by rosa.vik@quarry-books.example\n"
                                  "2026-02-12 order 1184 paid by Kai.Ek@harbourline.example\n",
                                  Compression::kGzip)}});
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_samples FOLDER\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    try {
        Write(folder / "member-list.docx", MemberList());
        Write(folder / "conference-flyer.pdf", Flyer());
        Write(folder / "team-page.html", TeamPage());
        Write(folder / "signups-reply.eml", Reply());
        Write(folder / "exports.zip", Exports());
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
    return 0;
}
