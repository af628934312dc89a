#include "decode/line_pieces.h"

namespace ornavex {

bool LinePieces::Fill() {
    if (ended_)
        return false;
    buffer_.erase(0, at_);
    at_ = 0;
    std::string_view bytes;
    if (!source_.Next(bytes)) {
        failed_ = true;
        ended_ = true;
        return false;
    }
    if (bytes.empty()) {
        ended_ = true;
        return false;
    }
    buffer_.append(bytes);
    return true;
}

bool LinePieces::Next(Piece& piece) {
    if (unread_) {
        unread_ = false;
        piece = last_;
        return true;
    }
    std::size_t newline;
    for (;;) {
        const std::string_view rest = std::string_view(buffer_).substr(at_);
        newline = rest.find('\n');
        if (newline != std::string_view::npos || rest.size() >= kLongestPiece)
            break;
        if (!Fill()) {
            if (failed_ || at_ == buffer_.size())
                return false;
            newline = std::string_view::npos; // the last line, without an end
            break;
        }
    }
    const std::string_view rest = std::string_view(buffer_).substr(at_);
    Piece next;
    next.start = !inLine_;
    next.afterBlank = lastBlank_;
    if (newline != std::string_view::npos) {
        const bool crlf = newline > 0 && rest[newline - 1] == '\r';
        next.text = rest.substr(0, newline - crlf);
        next.end = rest.substr(newline - crlf, 1 + crlf);
        at_ += newline + 1;
    } else {
        std::size_t size = std::min(rest.size(), kLongestPiece);
        if (size == kLongestPiece && rest[size - 1] == '\r')
            --size; // a CR LF stays whole
        next.text = rest.substr(0, size);
        at_ += size;
    }
    inLine_ = next.end.empty() && !(ended_ && at_ == buffer_.size());
    if (!next.end.empty())
        lastBlank_ = next.start && next.text.empty();
    last_ = next;
    piece = next;
    return true;
}

} // namespace ornavex
