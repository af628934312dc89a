#pragma once

#include "decode/byte_source.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace ornavex {

// The lines of a text, read from its source as they come: each without its
// line end, and a long line in pieces, so that no line is ever held whole.
class LinePieces {
public:
    static constexpr std::size_t kLongestPiece = 64 << 10;

    struct Piece {
        std::string_view text;
        std::string_view end;    // "\n", "\r\n", or "" when the line goes on or the input ended
        bool start = true;       // the piece starts a line
        bool afterBlank = false; // the line before it was empty
    };

    explicit LinePieces(ByteSource& source) : source_(source) {}

    // The next piece, valid until the call after; false at the end of the
    // input, or when a read failed (failed()).
    bool Next(Piece& piece);
    // Gives the last piece back: the next call returns it again.
    void Unread() { unread_ = true; }
    bool failed() const { return failed_; }
    const ByteSource& source() const { return source_; }

private:
    bool Fill();

    ByteSource& source_;
    std::string buffer_;
    std::size_t at_ = 0;
    bool ended_ = false;
    bool failed_ = false;
    bool inLine_ = false;    // the last piece did not end its line
    bool lastBlank_ = false; // the last line was empty
    Piece last_;
    bool unread_ = false;
};

} // namespace ornavex
