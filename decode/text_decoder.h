#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ornavex {

// Turns a file's raw bytes into the one-byte-per-character text the engine
// reads. Files without a byte-order mark pass through unchanged. A UTF-8 mark
// is dropped. A UTF-16 mark (FF FE or FE FF) makes every code unit below 0x80
// its ASCII character and every other unit one non-ASCII byte, so addresses
// in UTF-16 files are found. Blocks may be cut anywhere, even inside a mark
// or a code unit.
class TextDecoder {
public:
    // Decodes the next block; the view is valid until the next call.
    std::string_view Decode(std::string_view raw);
    // The text held back at the end of the input (an undecided short start).
    std::string_view Finish();

    // Where length characters of the text from textOffset lie in the raw
    // input, so a part of the text can be read again; nothing while the
    // encoding is still undecided.
    struct RawRange {
        std::uint64_t offset = 0;
        std::uint64_t length = 0;
    };
    std::optional<RawRange> RawRangeOf(std::uint64_t textOffset, std::uint64_t length) const;
    // Turns raw bytes of such a range into its text; the decoder's own state
    // is left alone.
    void DecodeDetached(std::string_view raw, std::string& out) const;

private:
    enum class Encoding { kUndecided, kBytes, kUtf16Le, kUtf16Be };

    std::string_view DecodeUtf16(std::string_view raw);
    char TextOfUnit(unsigned char first, unsigned char second) const;

    Encoding encoding_ = Encoding::kUndecided;
    std::uint64_t markLength_ = 0; // bytes of the byte-order mark before the text
    std::string head_;             // first bytes kept until the mark can be told
    std::string out_;              // decoded text of the last block
    int pendingByte_ = -1;         // first half of a code unit cut by a block end
};

} // namespace ornavex
