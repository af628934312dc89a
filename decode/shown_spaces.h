#pragma once

#include "decode/text_sink.h"

#include <string>
#include <string_view>

namespace ornavex {

// Passes text on with every Unicode space (no-break space, the typographic
// spaces, line and paragraph separators, the ideographic space) written as
// a plain space: a document shows them as spaces, so they end words there,
// while in a plain file every byte outside ASCII stays inside its word.
class ShownSpaces : public TextSink {
public:
    explicit ShownSpaces(TextSink& sink) : sink_(sink) {}

    bool Text(std::string_view text) override;
    bool PartEnd() override { return Flush() && sink_.PartEnd(); }
    void Member(std::string_view path) override { sink_.Member(path); }
    // Writes out the start of a character held back at the end of a piece.
    bool Flush();

private:
    TextSink& sink_;
    std::string held_; // the first bytes of a character cut at a piece's end
    std::string out_;
};

} // namespace ornavex
