#pragma once

#include <string>
#include <string_view>

namespace ornavex {

// The bytes of a file, or of a part of one (a member of an archive, a
// decompressed stream, an attachment), read in order.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // The next bytes, valid until the next call; empty at the end. False,
    // with error() set, when they cannot be read.
    virtual bool Next(std::string_view& bytes) = 0;
    virtual const std::string& error() const = 0;
};

// Bytes already in memory, given out in one piece.
class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    bool Next(std::string_view& bytes) override {
        bytes = bytes_;
        bytes_ = {};
        return true;
    }
    const std::string& error() const override { return error_; }

private:
    std::string_view bytes_;
    std::string error_;
};

// Bytes read ahead (to tell a file's kind), handed out again before the
// rest of their source.
class PrefixedSource : public ByteSource {
public:
    PrefixedSource(std::string head, ByteSource& rest) : head_(std::move(head)), rest_(rest) {}
    bool Next(std::string_view& bytes) override {
        if (!headGiven_) {
            headGiven_ = true;
            if (!head_.empty()) {
                bytes = head_;
                return true;
            }
        }
        return rest_.Next(bytes);
    }
    const std::string& error() const override { return rest_.error(); }

private:
    std::string head_;
    bool headGiven_ = false;
    ByteSource& rest_;
};

} // namespace ornavex
