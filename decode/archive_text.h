#pragma once

#include "decode/kinds.h"

namespace ornavex {

// Reads an archive (zip, tar, 7z and what else libarchive reads) member by
// member in archive order, each as a file of its own. An office document (a
// zip of XML) has its XML parts read as the document shows them.
DecodeResult DecodeArchive(Part& part, DecodeContext& context);

// Reads a compressed stream (gzip, bzip2, xz, zstd) as the one file it
// holds; streams compressed again inside it count as levels of nesting.
DecodeResult DecodeCompressed(Part& part, DecodeContext& context);

} // namespace ornavex
