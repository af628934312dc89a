#pragma once

#include "engine/address_finder.h"
#include "engine/partial_word.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ornavex {

// Finds the valid addresses (repeats included) of text that arrives in
// blocks of any size. A word that runs to the end of one block goes on in the
// next, so the results never depend on where the blocks are cut (a wide
// separator cut by a block end, too); Finish ends the last word.
//
// A word carried over from block to block keeps no text once it can no
// longer become an address. While it still can, its text is kept; but when
// the text can be read again (ReadAgain), a long word keeps only where it
// started, and its text is read again should it turn out to be an address.
// Memory then stays flat however long a word grows.
//
// Feed and Finish call onAddress(std::string_view) for each address found,
// in text order; the view is valid during the call only.
class BlockFinder {
public:
    // Where the text fed can be read again.
    class Rereadable {
    public:
        virtual ~Rereadable() = default;
        // Gives back length bytes of the text fed so far, from offset
        // (counted from its first byte); false when it cannot.
        virtual bool ReadAgain(std::uint64_t offset, std::size_t length, std::string& out) = 0;
    };

    // rereadable may be null: long words then keep their text, up to
    // keptWordBytes; a word that can still become an address but outgrows
    // that is given up.
    explicit BlockFinder(Rereadable* rereadable = nullptr, std::size_t keptWordBytes = SIZE_MAX,
                         AddressPattern pattern = AddressPattern::kSubAddresses);

    // False when a word's text could not be read again; the scan cannot go on.
    template <class OnAddress> bool Feed(std::string_view block, OnAddress&& onAddress) {
        std::string_view ended;
        std::size_t whole = 0;
        if (!TakeCarried(block, ended, whole))
            return false;
        if (!ended.empty())
            onAddress(ended);
        FindAddresses(block.substr(0, whole), onAddress, WordCheck::kFastest, pattern_);
        if (whole < block.size())
            StartWord(block.substr(whole));
        return true;
    }
    template <class OnAddress> bool Finish(OnAddress&& onAddress) {
        std::string_view ended;
        if (!EndCarried(ended))
            return false;
        if (!ended.empty())
            onAddress(ended);
        return true;
    }
    // After Finish: the text fed from now on is new text, counted from 0,
    // that rereadable (or nothing) can read again.
    void Restart(Rereadable* rereadable, std::size_t keptWordBytes);

private:
    // Goes on with the word carried from the last block: block loses the
    // bytes it takes, ended is its address should it end as one, and whole is
    // the length of what is left that ends with its last whole separator.
    // False when the word's text could not be read again.
    bool TakeCarried(std::string_view& block, std::string_view& ended, std::size_t& whole);
    // The text ended: so does the carried word.
    bool EndCarried(std::string_view& ended);
    // The word at the end of the block fed last, carried into the next.
    void StartWord(std::string_view piece);
    // Goes on with the carried word; bytes at the end of piece that may
    // start a wide separator are held until the next block tells.
    void ExtendWordHolding(std::string_view piece);
    void ExtendWord(std::string_view piece);
    bool EndWord(std::string_view& ended);
    // Takes what the held bytes need from block: true once they are known
    // to be a separator (the word ended) or word bytes (fed to the word).
    bool SettleHeld(std::string_view& block, std::string_view& ended, bool& ok);
    // A long word's text read again is kept until its address was given.
    void DropReadBack();

    Rereadable* rereadable_;
    std::size_t keptWordBytes_;
    AddressPattern pattern_;
    std::uint64_t offset_ = 0; // where the next block starts in the text

    // The unfinished word at the end of the last block.
    bool carrying_ = false;
    std::uint64_t wordStart_ = 0;
    PartialWord word_;
    bool textKept_ = false; // carry_ holds the word's whole text so far
    std::string carry_;
    std::string readBack_; // a long word's text, read again
    // The start of a wide separator, after the carried word: a lead byte and
    // up to two continuation bytes.
    std::array<char, 4> held_{};
    std::size_t heldSize_ = 0;
};

} // namespace ornavex
