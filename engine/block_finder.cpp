#include "engine/block_finder.h"

#include "engine/address_finder.h"

namespace ornavex {
namespace {

// A carried word's text is kept up to this length even when it could be
// read again: most words cut by a block end are short.
constexpr std::size_t kKeptWordBytes = 64 << 10;

std::size_t FindFirstSeparator(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i)
        if (IsSeparator(static_cast<unsigned char>(text[i])))
            return i;
    return std::string_view::npos;
}

// Length of the prefix of text that ends with its last separator.
std::size_t WholeWordsLength(std::string_view text) {
    std::size_t i = text.size();
    while (i > 0 && !IsSeparator(static_cast<unsigned char>(text[i - 1])))
        --i;
    return i;
}

} // namespace

BlockFinder::BlockFinder(AddressCallback onAddress, Rereadable* rereadable,
                         std::size_t keptWordBytes)
    : onAddress_(std::move(onAddress)), rereadable_(rereadable), keptWordBytes_(keptWordBytes) {}

void BlockFinder::Scan(std::string_view wholeWords) {
    FindAddresses(wholeWords, onAddress_);
}

void BlockFinder::StartWord(std::uint64_t offset, std::string_view piece) {
    carrying_ = true;
    wordStart_ = offset;
    word_ = PartialWord();
    textKept_ = true;
    carry_.clear();
    ExtendWord(piece);
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
    PartialWord again;
    again.Feed(readBack_);
    if (!again.Valid() || again.AddressLength() != length)
        return false;
    onAddress_(readBack_);
    readBack_.clear();
    readBack_.shrink_to_fit();
    return true;
}

bool BlockFinder::Feed(std::string_view block) {
    offset_ += block.size();
    if (carrying_) {
        const std::size_t end = FindFirstSeparator(block);
        if (end == std::string_view::npos) {
            ExtendWord(block);
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
    return !carrying_ || EndWord();
}

void BlockFinder::Restart(Rereadable* rereadable, std::size_t keptWordBytes) {
    carrying_ = false;
    offset_ = 0;
    rereadable_ = rereadable;
    keptWordBytes_ = keptWordBytes;
}

} // namespace ornavex
