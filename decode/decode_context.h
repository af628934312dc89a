#pragma once

#include "decode/byte_source.h"
#include "decode/kinds.h"
#include "decode/text_sink.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ornavex {

// What bounds one file's decoding. Output: what a file decodes to (every
// member's bytes at every level, and the text of every decoder but plain
// text) may pass ratio times its stored size or floor bytes, but not both;
// a part that takes it past both fails alone and gives its share back.
// Whatever its size, a file stops at most bytes. Nesting: containers (and
// the compressed streams stacked in one) nest at most depth levels. Work: a
// part's decoding work may pass workRatio times its size or workFloor, but
// not both.
struct DecodeLimits {
    std::uint64_t ratio = 200;
    std::uint64_t floor = std::uint64_t{1} << 30;
    std::uint64_t most = std::uint64_t{64} << 30;
    int depth = 4;
    std::uint64_t workRatio = 64;
    std::uint64_t workFloor = std::uint64_t{8} << 20;
};

inline constexpr std::string_view kExpandsTooFar = "Expands too far";
inline constexpr std::string_view kTooMuchWork = "Too much work for its size";

// One file's decoding: it owns the nesting of parts inside parts, the names
// of the members they are in, and the budget every decoder answers to.
// Decoders write text through sink(), read members through Nested, ask for
// a seekable file through the table's wholeFile, and say why they failed
// with Fail. A member that fails is reported with its path and left out,
// while its siblings and the rest of its container are read; only the file
// itself failing (it cannot be read, or passes the most bytes) ends it all.
class DecodeContext {
public:
    // sink takes the text; storedBytes tells how many bytes the file has on
    // disk (or has given so far); file names it when it is a file on disk
    // (null otherwise), and outlives the context.
    DecodeContext(TextSink& sink, std::function<std::uint64_t()> storedBytes,
                  const std::filesystem::path* file, DecodeLimits limits = {});
    DecodeContext(const DecodeContext&) = delete;
    DecodeContext& operator=(const DecodeContext&) = delete;

    // Reads the file: its kind told by its first bytes (or plain text, when
    // not asked to read inside), then decoded. kFailed: the file gives
    // nothing (error() says why); kPartFailed: a part of it failed and was
    // reported, the rest was read.
    DecodeResult DecodeFile(ByteSource& file, bool readInside = true);
    // Reads source as the given kind, as a member at depth would be.
    DecodeResult DecodeAs(const Kind& kind, ByteSource& source, int depth);

    // For decoders: where text goes, counted against the budget. When it
    // says no, the decoder returns Halted().
    TextSink& sink() { return counted_; }
    DecodeResult Halted() const;
    // Plain text's own bytes, already counted as the part's bytes, and
    // whether they can be read again.
    bool PlainText(std::string_view text);
    void ReadAgainFrom(BlockFinder::Rereadable* again) { out_.ReadAgainFrom(again); }
    // Reads a member of the part being decoded: its kind told by its first
    // bytes, or read by decode. An empty name is a compressed stream's one
    // member: its failure is its container's. A document part
    // (documentPart) is named in failures but its text counts as the
    // document's own. kPartFailed: the member failed alone.
    DecodeResult Nested(std::string_view name, ByteSource& source, Decoder decode = nullptr,
                        bool documentPart = false);
    // A member that cannot be read at all (encrypted, say): reported, and
    // the container goes on.
    DecodeResult Unreadable(std::string_view name, const std::string& reason);
    // The part failed; returns kFailed.
    DecodeResult Fail(std::string reason);
    // A read of source failed: the part fails with its reason (or the run
    // was stopped).
    DecodeResult SourceFailed(const ByteSource& source);
    // The bytes are not of the kind their first bytes suggest (a container
    // that does not open): they are read as plain text instead.
    DecodeResult NotThisKind(std::string reason);
    // Compressed streams stacked inside one part: each is a level of its own.
    bool AddLevels(int levels);
    // Counts work done on a part of partBytes; false (the part failed) past
    // the bound.
    bool Work(std::uint64_t units, std::uint64_t partBytes);
    void CountPart() { ++parts_; }
    int depth() const { return static_cast<int>(levels_.size()) - 1 + extraDepth_; }
    const DecodeLimits& limits() const { return limits_; }

    // After DecodeFile: why it failed, the parts read, and whether a decoder
    // read the file itself from disk, not its bytes as given.
    const std::string& error() const { return error_; }
    std::uint64_t parts() const { return parts_; }
    bool readFileItself() const { return readFileItself_; }

private:
    // Text from a decoder, counted.
    class CountedSink : public TextSink {
    public:
        explicit CountedSink(DecodeContext& context) : context_(context) {}
        bool Text(std::string_view text) override;
        bool PartEnd() override;

    private:
        DecodeContext& context_;
    };
    class CountedSource;
    class ReplaySource;
    struct Level {
        std::string path;   // the member path that failures name
        std::string member; // what the sink is told the text is in
        std::uint64_t keptAtEntry = 0;
        std::uint64_t partsAtEntry = 0;
        std::uint64_t work = 0;
        int extraDepth = 0;
        ReplaySource* replay = nullptr; // while its container may still turn out to be text
    };

    DecodeResult Dispatch(const Kind* kind, ByteSource& source);
    DecodeResult Decode(const Kind& kind, ByteSource& source);
    // Counts decoded bytes; false, with the reason set, past the budget.
    bool Produced(std::uint64_t bytes);
    bool SinkRefused();

    TextSink& out_;
    std::function<std::uint64_t()> storedBytes_;
    const std::filesystem::path* file_; // the file on disk, for a whole-file kind read at the top
    DecodeLimits limits_;
    std::vector<Level> levels_;
    int extraDepth_ = 0;
    std::uint64_t kept_ = 0;     // decoded bytes of the parts that did not fail
    std::uint64_t produced_ = 0; // every decoded byte
    std::uint64_t parts_ = 0;
    std::string error_;       // the failing part's reason
    std::string notThisKind_; // why bytes were not of their kind
    std::string fileError_;   // the file itself failed
    bool stopped_ = false;
    bool namedMembers_ = false; // a named member was entered
    bool readFileItself_ = false;
    CountedSink counted_{*this};
};

} // namespace ornavex
