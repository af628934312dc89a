#pragma once

#include "decode/decode.h"

namespace ornavex {

// Reads an archive (zip, tar, 7z and what else libarchive reads) member by
// member in archive order, each as a file of its own, or a compressed stream
// (gzip, bzip2, xz, zstd) as the one file it holds. An office document (a
// zip of XML) has its XML members read as the document shows them.
DecodeResult DecodeArchive(ByteSource& source, bool compressed, TextSink& sink,
                           DecodeContext& context, int depth);

} // namespace ornavex
