#include "decode/library_kinds.h"

#include "decode/archive_text.h"
#include "decode/detect.h"
#include "decode/mail_text.h"
#include "decode/pdf_text.h"

namespace ornavex {
namespace {

constexpr Kind kLibraryKinds[] = {
    {"zip", IsZip, DecodeArchive},
    {"7z", IsSevenZip, DecodeArchive, true}, // its index is at its end
    {"rar", IsRar, DecodeArchive},
    {"cpio", IsCpio, DecodeArchive},
    {"cab", IsCab, DecodeArchive},
    {"xar", IsXar, DecodeArchive},
    {"tar", IsTar, DecodeArchive},
    {"gzip", IsGzip, DecodeCompressed},
    {"bzip2", IsBzip2, DecodeCompressed},
    {"xz", IsXz, DecodeCompressed},
    {"zstd", IsZstd, DecodeCompressed},
    {"pdf", IsPdf, DecodePdf, true},
    {"mail", IsMail, DecodeMail},
};

} // namespace

std::span<const Kind> LibraryKinds() {
    return kLibraryKinds;
}

} // namespace ornavex
