#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace ornavex {

// Finds the valid addresses (repeats included) of text that arrives in
// blocks of any size. A word that runs to the end of one block goes on in the
// next, so the results never depend on where the blocks are cut; Finish ends
// the last word.
class AddressScanner {
public:
    using AddressCallback = std::function<void(std::string_view address)>;

    explicit AddressScanner(AddressCallback onAddress);

    void Feed(std::string_view block);
    void Finish();

private:
    void Scan(std::string_view wholeWords);
    void Carry(std::string_view partialWord);

    AddressCallback onAddress_;
    std::string carry_;          // the unfinished word at the end of the last block
    bool carryHopeless_ = false; // it holds a byte no address can hold; its text is dropped
};

} // namespace ornavex
