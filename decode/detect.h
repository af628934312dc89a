#pragma once

#include <cstddef>
#include <string_view>

namespace ornavex {

// What a file is, told by its first bytes alone, never by its name.
enum class InputKind {
    kText,       // anything not recognised: read as it is, byte for byte
    kArchive,    // zip (office documents too), tar, 7z, rar, cpio, ar, cab, xar
    kCompressed, // gzip, bzip2, xz, zstd: one stream, recognised again once decoded
    kPdf,
    kMail,    // a message (a header block) or an mbox file (a "From " line)
    kWebPage, // HTML or XHTML
};

// How many first bytes DetectKind wants to see, when the file has them.
inline constexpr std::size_t kDetectionBytes = 8192;

InputKind DetectKind(std::string_view head);

} // namespace ornavex
