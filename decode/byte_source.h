#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ornavex {

// The bytes of a file, or of a part of one (a member of an archive, a
// decompressed stream, an attachment), read in order.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // The next bytes, valid until the next call; empty at the end. False,
    // with error() set, when they cannot be read (an empty error: the run
    // was stopped).
    virtual bool Next(std::string_view& bytes) = 0;
    virtual const std::string& error() const = 0;
    // Whether the bytes given last were the source's last, when it knows so
    // without another read (a file read whole, say): the next Next gives
    // the end.
    virtual bool Ended() const { return false; }

    // Whether bytes given out before can be read again (a file on disk can,
    // a stream cannot), and reading them: length bytes from offset, counted
    // from the first byte the source gave.
    virtual bool CanReadAgain() const { return false; }
    virtual bool ReadAgain(std::uint64_t offset, std::size_t length, std::string& out) {
        (void)offset;
        (void)length;
        (void)out;
        return false;
    }
};

// How many first bytes tell a file's kind, when the file has them.
inline constexpr std::size_t kDetectionBytes = 8192;

// A source with its first bytes read ahead, to tell its kind, and handed out
// again before the rest. When the first read gave enough, the head is that
// read's own bytes, not a copy: they stay valid until the rest is asked for.
class HeadSource : public ByteSource {
public:
    explicit HeadSource(ByteSource& rest) : rest_(rest) {}

    // Reads until the head holds kDetectionBytes or the source ends; false,
    // with error() set, when a read fails.
    bool ReadHead() {
        std::string_view bytes;
        if (!rest_.Next(bytes))
            return false;
        head_ = bytes;
        ended_ = bytes.empty() || rest_.Ended(); // then the head needs no copy
        while (!ended_ && head_.size() < kDetectionBytes) {
            if (gathered_.empty())
                gathered_.assign(head_);
            if (!rest_.Next(bytes))
                return false;
            ended_ = bytes.empty();
            gathered_.append(bytes);
            head_ = gathered_;
        }
        return true;
    }
    std::string_view head() const { return head_; }

    bool Next(std::string_view& bytes) override {
        if (!headGiven_) {
            headGiven_ = true;
            if (!head_.empty()) {
                bytes = head_;
                return true;
            }
        }
        if (ended_) {
            bytes = {};
            return true;
        }
        return rest_.Next(bytes);
    }
    const std::string& error() const override { return rest_.error(); }
    bool CanReadAgain() const override { return rest_.CanReadAgain(); }
    bool ReadAgain(std::uint64_t offset, std::size_t length, std::string& out) override {
        return rest_.ReadAgain(offset, length, out);
    }

private:
    ByteSource& rest_;
    std::string_view head_;
    std::string gathered_;
    bool headGiven_ = false;
    bool ended_ = false; // the source gave its last bytes into the head
};

} // namespace ornavex
