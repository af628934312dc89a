#include "engine/block_finder.h"

#include "engine/address_finder.h"
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

BlockFinder::BlockFinder(AddressCallback onAddress, Rereadable* rereadable,
                         std::size_t keptWordBytes, AddressPattern pattern)
    : onAddress_(std::move(onAddress)), rereadable_(rereadable), keptWordBytes_(keptWordBytes),
      pattern_(pattern) {}

void BlockFinder::Scan(std::string_view wholeWords) {
    FindAddresses(wholeWords, onAddress_, WordCheck::kFastest, pattern_);
}

void BlockFinder::StartWord(std::uint64_t offset, std::string_view piece) {
    carrying_ = true;
    wordStart_ = offset;
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

bool BlockFinder::EndWord() {
    carrying_ = false;
    if (!word_.Valid())
        return true;
    const auto length = static_cast<std::size_t>(word_.AddressLength());
    if (textKept_) {
        onAddress_(std::string_view(carry_).substr(0, length));
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
    onAddress_(readBack_);
    readBack_.clear();
    readBack_.shrink_to_fit();
    return true;
}

bool BlockFinder::SettleHeld(std::string_view& block, bool& ok) {
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
        ok = EndWord();
    else
        ExtendWord(held); // none of them can start a separator
    return true;
}

bool BlockFinder::Feed(std::string_view block) {
    offset_ += block.size();
    bool ok = true;
    if (heldSize_ != 0 && !SettleHeld(block, ok))
        return true;
    if (!ok)
        return false;
    if (carrying_) {
        const std::size_t end = FindFirstSeparator(block);
        if (end == std::string_view::npos) {
            ExtendWordHolding(block);
            return true;
        }
        ExtendWord(block.substr(0, end));
        if (!EndWord())
            return false;
        block.remove_prefix(end);
    }
    const std::size_t whole = WholeWordsLength(block);
    Scan(block.substr(0, whole));
    if (whole < block.size())
        StartWord(offset_ - (block.size() - whole), block.substr(whole));
    return true;
}

bool BlockFinder::Finish() {
    if (heldSize_ != 0) { // the text ended inside them: word bytes
        ExtendWord(std::string_view(held_.data(), heldSize_));
        heldSize_ = 0;
    }
    return !carrying_ || EndWord();
}

void BlockFinder::Restart(Rereadable* rereadable, std::size_t keptWordBytes) {
    carrying_ = false;
    heldSize_ = 0;
    offset_ = 0;
    rereadable_ = rereadable;
    keptWordBytes_ = keptWordBytes;
}

} // namespace ornavex
