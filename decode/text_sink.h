#pragma once

#include "engine/block_finder.h"

#include <string>
#include <string_view>

namespace ornavex {

// Where decoded text goes: the text of a part, in pieces, and where a part
// (a member, a mail part, a page) ends, which ends any word too.
class TextSink {
public:
    virtual ~TextSink() = default;
    // False when the reading should stop: the run was stopped, or failure()
    // tells why the text cannot be taken.
    virtual bool Text(std::string_view text) = 0;
    virtual bool PartEnd() = 0;
    // The text from here on is in this member of an archive or attachment of
    // a mail (nested ones joined by ": "; "" for the file itself). Each call
    // starts a stretch of text that a failure can leave out on its own.
    virtual void Member(std::string_view path) { (void)path; }
    // The stretch since the last Member call failed: what it gave is left
    // out. path names the part that failed ("" for the file's own text).
    virtual void PartFailed(std::string_view path, std::string_view reason) {
        (void)path;
        (void)reason;
    }
    // The text up to the next PartEnd is a source's bytes as they are, and
    // again can read them a second time (null: they cannot be).
    virtual void ReadAgainFrom(BlockFinder::Rereadable* again) { (void)again; }
    // Why Text or PartEnd said no, when it was not a stop.
    virtual std::string failure() const { return {}; }
};

} // namespace ornavex
