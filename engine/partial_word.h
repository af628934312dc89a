#pragma once

#include "engine/address_pattern.h"
#include "engine/character_classes.h"

#include <cstdint>
#include <string_view>

namespace ornavex {

// Follows a word that arrives in pieces and tells, once it has ended,
// whether it is an address: whether, with one trailing period dropped, it
// matches the address pattern. It keeps no text, only where in the pattern
// the word stands, so a word of any length costs a few bytes; and it knows
// as soon as a word can no longer become an address (a second '@', a byte
// no address holds, an empty label).
class PartialWord {
public:
    explicit PartialWord(AddressPattern pattern = AddressPattern::kSubAddresses)
        : local_(LocalClasses(pattern)) {}

    void Feed(std::string_view piece) {
        length_ += piece.size();
        for (const char ch : piece) {
            const std::uint8_t c = ClassOf(ch);
            switch (phase_) {
            case Phase::kLocalStart:
                phase_ = (c & kLocalFirst) ? Phase::kLocal : Phase::kDead;
                break;
            case Phase::kLocal:
                if (ch == '@')
                    phase_ = Phase::kDomain;
                else if (!(c & local_))
                    phase_ = Phase::kDead;
                break;
            case Phase::kDomain:
                if (ch == '.') {
                    if (label_ == 0) {
                        phase_ = Phase::kDead;
                        break;
                    }
                    closed_ = closed_ < 2 ? closed_ + 1 : 2;
                    lastClosedTop_ = label_ >= 2 && labelLetters_;
                    label_ = 0;
                    labelLetters_ = true;
                } else if (c & kLabel) {
                    ++label_;
                    labelLetters_ = labelLetters_ && (c & kLetter);
                } else {
                    phase_ = Phase::kDead;
                }
                break;
            case Phase::kDead:
                return;
            }
        }
    }

    // Nothing that follows can make it an address.
    bool dead() const { return phase_ == Phase::kDead; }

    // The word as it stands is an address.
    bool Valid() const {
        if (phase_ != Phase::kDomain)
            return false;
        if (label_ > 0)
            return closed_ >= 1 && label_ >= 2 && labelLetters_;
        return closed_ >= 2 && lastClosedTop_; // a trailing period, dropped
    }

    // The address's length when Valid: the word's, less a trailing period.
    std::uint64_t AddressLength() const { return length_ - (label_ == 0 ? 1 : 0); }

private:
    enum class Phase : std::uint8_t { kLocalStart, kLocal, kDomain, kDead };

    std::uint8_t local_; // the classes that may stand in the local part
    Phase phase_ = Phase::kLocalStart;
    std::uint64_t length_ = 0;
    std::uint64_t label_ = 0; // bytes of the domain label being read
    bool labelLetters_ = true;
    std::uint8_t closed_ = 0;    // domain labels closed by a period, counted up to 2
    bool lastClosedTop_ = false; // the last closed label could end an address
};

} // namespace ornavex
