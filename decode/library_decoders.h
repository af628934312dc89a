#pragma once

#include "decode/kinds.h"

namespace ornavex {

// The decoders that need libraries of their own (libarchive, poppler, GMime,
// expat) live in a module of the program's own, loaded the first time a
// file of their kinds turns up, so plain text never loads those libraries.
struct LibraryDecoders {
    Decoder archive;    // zip, 7z, rar, cpio, cab, xar, tar; office documents inside zip
    Decoder compressed; // gzip, bzip2, xz, zstd
    Decoder pdf;
    Decoder mail;
};

// The module's name, and the one function it exports.
inline constexpr char kDecodersModule[] = "libornavex_documents.so";
inline constexpr char kDecodersEntry[] = "ornavex_library_decoders";
using DecodersEntry = const LibraryDecoders* (*)();

} // namespace ornavex
