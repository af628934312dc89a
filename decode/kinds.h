#pragma once

#include <span>
#include <string_view>

namespace ornavex {

class ByteSource;
class DecodeContext;
class WholeFile;

enum class DecodeResult {
    kDone,
    kFailed,      // the reason is with the context
    kStopped,     // the run was stopped
    kPartFailed,  // a member failed alone: reported and left out; the container may go on
    kNotThisKind, // the bytes are not of the kind their first bytes suggest
};

// What a decoder reads: its bytes, and for kinds read from a file (seekable,
// whole), that file too.
struct Part {
    ByteSource& bytes;
    WholeFile* file = nullptr;
};

using Decoder = DecodeResult (*)(Part& part, DecodeContext& context);

// One kind of file that is read inside: a row of the decoding table. Kinds
// are told by their first bytes alone (kDetectionBytes of them, or the whole
// file when it is shorter), never by a name.
struct Kind {
    std::string_view name;
    bool (*detect)(std::string_view head);
    Decoder decode;
    bool wholeFile = false; // the decoder reads a file it can seek in
};

// The table, in the order kinds are tried; what no row claims is plain text.
std::span<const Kind> Kinds();
const Kind* DetectKind(std::string_view head);

// Plain text: the bytes as they are, a byte-order mark decoded.
DecodeResult DecodePlainText(Part& part, DecodeContext& context);

} // namespace ornavex
