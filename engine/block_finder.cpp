#include "engine/block_finder.h"

#include "engine/wide_separators.h"

namespace ornavex {
namespace {

// A carried word's text is kept up to this length even when it could be
// read again: most words cut by a block end are short.
constexpr std::size_t kKeptWordBytes = 64 << 10;

// Where the first whole separator of text starts, or npos.
std::size_t FindFirstSeparator(std::string_view text) {
    const char* end = text.data() + text.size();
    const char* found = FindSeparator(text.data(), end);
    return found == end ? std::string_view::npos : static_cast<std::size_t>(found - text.data());
}

// Length of the prefix of text that ends with its last whole separator.
std::size_t WholeWordsLength(std::string_view text) {
    const char* begin = text.data();
    return static_cast<std::size_t>(WordStart(begin, begin + text.size()) - begin);
}

} // namespace

BlockFinder::BlockFinder(Rereadable* rereadable, std::size_t keptWordBytes, AddressPattern pattern)
    : rereadable_(rereadable), keptWordBytes_(keptWordBytes), pattern_(pattern) {}

void BlockFinder::StartWord(std::string_view piece) {
    carrying_ = true;
    wordStart_ = offset_ - piece.size();
    word_ = PartialWord(pattern_);
    textKept_ = true;
    carry_.clear();
    ExtendWordHolding(piece);
}

void BlockFinder::ExtendWordHolding(std::string_view piece) {
    const std::size_t open = OpenSeparatorLength(piece.data(), piece.data() + piece.size());
    ExtendWord(piece.substr(0, piece.size() - open));
    piece.copy(held_.data(), open, piece.size() - open);
    heldSize_ = open;
}

void BlockFinder::ExtendWord(std::string_view piece) {
    word_.Feed(piece);
    if (!textKept_)
        return;
    const std::size_t kept = carry_.size() + piece.size();
    if (word_.dead() || (rereadable_ && kept > kKeptWordBytes) || kept > keptWordBytes_) {
        textKept_ = false;
        carry_.clear();
        carry_.shrink_to_fit();
        return;
    }
    carry_.append(piece);
}

bool BlockFinder::EndWord(std::string_view& ended) {
    carrying_ = false;
    if (!word_.Valid())
        return true;
    const auto length = static_cast<std::size_t>(word_.AddressLength());
    if (textKept_) {
        ended = std::string_view(carry_).substr(0, length);
        return true;
    }
    if (!rereadable_)
        return true; // outgrew what may be kept, and cannot be read again
    if (!rereadable_->ReadAgain(wordStart_, length, readBack_))
        return false;
    // The text read again must still be that address: a file changed in the
    // meantime is no source of addresses.
    PartialWord again(pattern_);
    again.Feed(readBack_);
    if (!again.Valid() || again.AddressLength() != length)
        return false;
    ended = readBack_; // given up at the next block
    return true;
}

bool BlockFinder::SettleHeld(std::string_view& block, std::string_view& ended, bool& ok) {
    // The held bytes are a lead byte and continuation bytes; only more
    // continuation bytes can go on with them.
    using namespace wide_separator_detail;
    const auto length =
        static_cast<std::size_t>(SequenceLength(static_cast<unsigned char>(held_[0])));
    while (heldSize_ < length && !block.empty() && IsContinuation(block[0])) {
        held_[heldSize_++] = block[0];
        block.remove_prefix(1);
    }
    if (heldSize_ < length && block.empty())
        return false; // this block ended too early to tell
    const std::string_view held(held_.data(), heldSize_);
    heldSize_ = 0;
    if (WideSeparatorAt(held.data(), held.data() + held.size()) == held.size())
        ok = EndWord(ended);
    else
        ExtendWord(held); // none of them can start a separator
    return true;
}

bool BlockFinder::TakeCarried(std::string_view& block, std::string_view& ended,
                              std::size_t& whole) {
    DropReadBack();
    offset_ += block.size();
    bool ok = true;
    if (heldSize_ != 0 && !SettleHeld(block, ended, ok)) {
        block = {};
        return true;
    }
    if (!ok)
        return false;
    if (carrying_) {
        const std::size_t end = FindFirstSeparator(block);
        if (end == std::string_view::npos) {
            ExtendWordHolding(block);
            block = {};
            return true;
        }
        ExtendWord(block.substr(0, end));
        if (!EndWord(ended))
            return false;
        block.remove_prefix(end);
    }
    whole = WholeWordsLength(block);
    return true;
}

bool BlockFinder::EndCarried(std::string_view& ended) {
    if (heldSize_ != 0) { // the text ended inside them: word bytes
        ExtendWord(std::string_view(held_.data(), heldSize_));
        heldSize_ = 0;
    }
    return !carrying_ || EndWord(ended);
}

void BlockFinder::Restart(Rereadable* rereadable, std::size_t keptWordBytes) {
    carrying_ = false;
    heldSize_ = 0;
    offset_ = 0;
    rereadable_ = rereadable;
    keptWordBytes_ = keptWordBytes;
    DropReadBack();
}

void BlockFinder::DropReadBack() {
    if (readBack_.empty())
        return;
    readBack_.clear();
    readBack_.shrink_to_fit();
}

} // namespace ornavex
