// Plain text, the one path for files and members alike: the bytes as they
// are, a byte-order mark decoded.
#include "decode/decode_context.h"
#include "decode/text_decoder.h"

namespace ornavex {
namespace {

// A long word's text, read again from the source where it can be.
class TextAgain : public BlockFinder::Rereadable {
public:
    TextAgain(ByteSource& source, const TextDecoder& decoder)
        : source_(source), decoder_(decoder) {}
    bool ReadAgain(std::uint64_t offset, std::size_t length, std::string& out) override {
        const std::optional<TextDecoder::RawRange> range = decoder_.RawRangeOf(offset, length);
        if (!range || !source_.ReadAgain(range->offset, range->length, raw_))
            return false;
        decoder_.DecodeDetached(raw_, out);
        return true;
    }

private:
    ByteSource& source_;
    const TextDecoder& decoder_;
    std::string raw_;
};

} // namespace

DecodeResult DecodePlainText(Part& part, DecodeContext& context) {
    TextDecoder decoder;
    TextAgain again(part.bytes, decoder);
    context.ReadAgainFrom(part.bytes.CanReadAgain() ? &again : nullptr);
    std::string_view bytes;
    for (;;) {
        if (!part.bytes.Next(bytes))
            return context.SourceFailed(part.bytes);
        if (bytes.empty())
            break;
        if (!context.PlainText(decoder.Decode(bytes)))
            return context.Halted();
    }
    if (!context.PlainText(decoder.Finish()) || !context.sink().PartEnd())
        return context.Halted();
    // A plain file is no part inside a file; a plain member is.
    if (context.depth() > 0)
        context.CountPart();
    return DecodeResult::kDone;
}

} // namespace ornavex
