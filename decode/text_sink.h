#pragma once

#include <string_view>

namespace ornavex {

// Where decoded text goes: the text of a part, in pieces, and where a part
// (a member, a mail part, a page) ends, which ends any word too.
class TextSink {
public:
    virtual ~TextSink() = default;
    // False when the reading should stop (the run was stopped).
    virtual bool Text(std::string_view text) = 0;
    virtual bool PartEnd() = 0;
    // The text from here on is in this member of an archive or attachment of
    // a mail (nested ones joined by ": "; "" for the file itself).
    virtual void Member(std::string_view path) { (void)path; }
};

} // namespace ornavex
