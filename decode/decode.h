#pragma once

#include "decode/byte_source.h"
#include "decode/detect.h"
#include "decode/text_sink.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ornavex {

// What bounds one file's decoding: a file stops when what it decodes to
// passes both ratio times its stored size and floor bytes, or most bytes
// whatever its size, or when containers nest deeper than depth.
struct DecodeLimits {
    std::uint64_t ratio = 200;
    std::uint64_t floor = std::uint64_t{1} << 30;
    std::uint64_t most = std::uint64_t{64} << 30;
    int depth = 4;
};

// One file's decoding, shared by all its levels: what it has decoded, how
// many parts it read, and why it failed.
class DecodeContext {
public:
    // storedBytes tells the bytes of the file read so far, its stored size;
    // file is the file itself, when the bytes decoded are those on disk.
    DecodeContext(std::function<std::uint64_t()> storedBytes,
                  std::optional<std::filesystem::path> file, DecodeLimits limits = {})
        : storedBytes_(std::move(storedBytes)), file_(std::move(file)), limits_(limits) {}

    // Counts bytes a decoder has produced; false, with the reason, past the
    // limits.
    bool Produced(std::uint64_t bytes);
    const DecodeLimits& limits() const { return limits_; }
    // The file on disk, for the decoders that read a whole file at once.
    const std::optional<std::filesystem::path>& file() const { return file_; }

    void CountPart() { ++parts_; }
    std::uint64_t parts() const { return parts_; }

    // The reason a decoding failed, the inner member's path in front.
    const std::string& error() const { return error_; }
    void Fail(std::string reason) { error_ = std::move(reason); }
    // Puts a member's name in front of the reason a decoding inside it failed.
    void FailedIn(const std::string& member) {
        if (!member.empty())
            error_ = member + ": " + error_;
    }

    // Enters a member, giving its whole path; leaving gives the path of the
    // member it is in. A compressed stream's one member has no name.
    const std::string& EnterMember(const std::string& name) {
        const std::string outer = members_.empty() ? std::string() : members_.back();
        members_.push_back(outer.empty() || name.empty() ? outer + name : outer + ": " + name);
        return members_.back();
    }
    std::string LeaveMember() {
        members_.pop_back();
        return members_.empty() ? std::string() : members_.back();
    }

private:
    std::vector<std::string> members_;
    std::function<std::uint64_t()> storedBytes_;
    std::optional<std::filesystem::path> file_;
    DecodeLimits limits_;
    std::uint64_t produced_ = 0;
    std::uint64_t parts_ = 0;
    std::string error_;
};

enum class DecodeResult { kDone, kFailed, kStopped };

inline constexpr const char* kExpandsTooFar = "Expands too far";

// Gives every piece of source to feed until the source ends: kFailed, the
// reason told to context, when a read fails; kStopped when feed returns
// false.
template <class Feed>
DecodeResult FeedAll(ByteSource& source, DecodeContext& context, Feed&& feed) {
    std::string_view bytes;
    for (;;) {
        if (!source.Next(bytes)) {
            context.Fail(source.error());
            return DecodeResult::kFailed;
        }
        if (bytes.empty())
            return DecodeResult::kDone;
        if (!feed(bytes))
            return DecodeResult::kStopped;
    }
}

// Reads source, a file or a member of one whose first bytes say it is of
// kind, and writes its text to sink, part by part. depth counts the
// containers around it. A plain file's text is read by its reader; plain
// members are read here.
DecodeResult DecodeKind(InputKind kind, ByteSource& source, TextSink& sink, DecodeContext& context,
                        int depth);

// Tells a member's kind from its first bytes, then reads it.
DecodeResult DecodeMember(ByteSource& source, TextSink& sink, DecodeContext& context, int depth);

} // namespace ornavex
