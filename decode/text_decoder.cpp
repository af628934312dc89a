#include "decode/text_decoder.h"

namespace ornavex {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";
constexpr char kNonAsciiUnit = '\x80';

} // namespace

std::string_view TextDecoder::Decode(std::string_view raw) {
    if (encoding_ == Encoding::kBytes)
        return raw;
    if (encoding_ != Encoding::kUndecided)
        return DecodeUtf16(raw);
    // A first block long enough to tell is read in place; shorter starts
    // are gathered until they tell.
    const bool gathered = !head_.empty() || raw.size() < kUtf8Mark.size();
    if (gathered)
        head_.append(raw);
    const std::string_view head = gathered ? std::string_view(head_) : raw;
    if (head.starts_with(kUtf16LeMark) || head.starts_with(kUtf16BeMark)) {
        encoding_ = head[0] == '\xFF' ? Encoding::kUtf16Le : Encoding::kUtf16Be;
        markLength_ = 2;
        const std::string_view text = DecodeUtf16(head.substr(2));
        head_.clear();
        return text;
    }
    if (head.size() < kUtf8Mark.size() && kUtf8Mark.starts_with(head))
        return {}; // could still become a UTF-8 mark
    if (head.size() < 2 && (kUtf16LeMark.starts_with(head) || kUtf16BeMark.starts_with(head)))
        return {}; // could still become a UTF-16 mark
    encoding_ = Encoding::kBytes;
    if (head.starts_with(kUtf8Mark))
        markLength_ = kUtf8Mark.size();
    if (!gathered)
        return raw.substr(markLength_);
    out_.assign(head.substr(markLength_));
    head_.clear();
    return out_;
}

std::string_view TextDecoder::DecodeUtf16(std::string_view raw) {
    out_.clear();
    out_.reserve(raw.size() / 2 + 1);
    std::size_t i = 0;
    auto emit = [&](unsigned char first, unsigned char second) {
        out_.push_back(TextOfUnit(first, second));
    };
    if (pendingByte_ >= 0 && !raw.empty()) {
        emit(static_cast<unsigned char>(pendingByte_), static_cast<unsigned char>(raw[0]));
        pendingByte_ = -1;
        i = 1;
    }
    for (; i + 1 < raw.size(); i += 2)
        emit(static_cast<unsigned char>(raw[i]), static_cast<unsigned char>(raw[i + 1]));
    if (i < raw.size())
        pendingByte_ = static_cast<unsigned char>(raw[i]);
    return out_;
}

char TextDecoder::TextOfUnit(unsigned char first, unsigned char second) const {
    const unsigned unit =
        encoding_ == Encoding::kUtf16Le ? first | (second << 8) : (first << 8) | second;
    return unit < 0x80 ? static_cast<char>(unit) : kNonAsciiUnit;
}

std::optional<TextDecoder::RawRange> TextDecoder::RawRangeOf(std::uint64_t textOffset,
                                                             std::uint64_t length) const {
    switch (encoding_) {
    case Encoding::kUndecided:
        return std::nullopt;
    case Encoding::kBytes:
        return RawRange{markLength_ + textOffset, length};
    case Encoding::kUtf16Le:
    case Encoding::kUtf16Be:
        break;
    }
    return RawRange{markLength_ + 2 * textOffset, 2 * length};
}

void TextDecoder::DecodeDetached(std::string_view raw, std::string& out) const {
    if (encoding_ == Encoding::kBytes || encoding_ == Encoding::kUndecided) {
        out.assign(raw);
        return;
    }
    out.clear();
    out.reserve(raw.size() / 2);
    for (std::size_t i = 0; i + 1 < raw.size(); i += 2)
        out.push_back(
            TextOfUnit(static_cast<unsigned char>(raw[i]), static_cast<unsigned char>(raw[i + 1])));
}

std::string_view TextDecoder::Finish() {
    // A lone trailing byte of a UTF-16 file is half a code unit: no character.
    pendingByte_ = -1;
    if (encoding_ != Encoding::kUndecided)
        return {};
    encoding_ = Encoding::kBytes;
    out_.swap(head_);
    head_.clear();
    return out_;
}

} // namespace ornavex
