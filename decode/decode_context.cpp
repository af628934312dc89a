#include "decode/decode_context.h"

#include "decode/whole_file.h"

namespace ornavex {
namespace {

// A container that fails before it gives anything is read as plain text: so
// much of its start is kept to read again.
constexpr std::size_t kReplayBytes = 256 << 10;

// The file itself: a read that fails is the file's failure, not a part's.
class FileBytes : public ByteSource {
public:
    FileBytes(ByteSource& file, std::string& fileError, bool& stopped)
        : file_(file), fileError_(fileError), stopped_(stopped) {}
    bool Next(std::string_view& bytes) override {
        if (file_.Next(bytes))
            return true;
        if (file_.error().empty())
            stopped_ = true;
        else
            fileError_ = file_.error();
        return false;
    }
    const std::string& error() const override { return file_.error(); }
    bool Ended() const override { return file_.Ended(); }
    bool CanReadAgain() const override { return file_.CanReadAgain(); }
    bool ReadAgain(std::uint64_t offset, std::size_t length, std::string& out) override {
        return file_.ReadAgain(offset, length, out);
    }

private:
    ByteSource& file_;
    std::string& fileError_;
    bool& stopped_;
};

} // namespace

// A member's bytes, each counted as decoded.
class DecodeContext::CountedSource : public ByteSource {
public:
    CountedSource(ByteSource& source, DecodeContext& context)
        : source_(source), context_(context) {}
    bool Next(std::string_view& bytes) override {
        if (!source_.Next(bytes)) {
            error_ = source_.error();
            return false;
        }
        if (!context_.Produced(bytes.size())) {
            error_ = context_.fileError_.empty() ? context_.error_ : context_.fileError_;
            return false;
        }
        return true;
    }
    const std::string& error() const override { return error_; }

private:
    ByteSource& source_;
    DecodeContext& context_;
    std::string error_;
};

// Keeps the first bytes a container reads, to read them again as text
// should it not open.
class DecodeContext::ReplaySource : public ByteSource {
public:
    explicit ReplaySource(ByteSource& source) : source_(source) {}

    bool Next(std::string_view& bytes) override {
        if (replaying_) {
            replaying_ = false;
            if (!kept_.empty()) {
                bytes = kept_;
                return true;
            }
        }
        if (!source_.Next(bytes))
            return false;
        if (keeping_) {
            if (kept_.size() + bytes.size() > kReplayBytes)
                StopKeeping(true);
            else
                kept_.append(bytes);
        }
        return true;
    }
    const std::string& error() const override { return source_.error(); }
    bool CanReadAgain() const override { return source_.CanReadAgain(); }
    bool ReadAgain(std::uint64_t offset, std::size_t length, std::string& out) override {
        return source_.ReadAgain(offset, length, out);
    }

    // The container opened: it is what its first bytes say.
    void StopKeeping(bool overflowed = false) {
        keeping_ = false;
        lost_ = lost_ || overflowed;
        if (overflowed)
            std::string().swap(kept_);
    }
    // Gives the bytes from the start again; false when too many are gone.
    bool Rewind() {
        if (lost_ || !keeping_)
            return false;
        keeping_ = false;
        replaying_ = true;
        return true;
    }

private:
    ByteSource& source_;
    std::string kept_;
    bool keeping_ = true;
    bool lost_ = false;
    bool replaying_ = false;
};

bool DecodeContext::CountedSink::Text(std::string_view text) {
    if (!context_.Produced(text.size()))
        return false;
    return context_.out_.Text(text) || context_.SinkRefused();
}

bool DecodeContext::CountedSink::PartEnd() {
    return context_.out_.PartEnd() || context_.SinkRefused();
}

DecodeContext::DecodeContext(TextSink& sink, std::function<std::uint64_t()> storedBytes,
                             const std::filesystem::path* file, DecodeLimits limits)
    : out_(sink), storedBytes_(std::move(storedBytes)), file_(file), limits_(limits) {
    levels_.emplace_back();
}

DecodeResult DecodeContext::DecodeFile(ByteSource& file, bool readInside) {
    FileBytes bytes(file, fileError_, stopped_);
    DecodeResult result;
    if (!readInside) {
        Part part{bytes};
        result = DecodePlainText(part, *this);
    } else {
        HeadSource head(bytes);
        result = head.ReadHead() ? Dispatch(DetectKind(head.head()), head) : SourceFailed(head);
    }
    if (stopped_)
        return DecodeResult::kStopped;
    if (!fileError_.empty()) {
        error_ = fileError_;
        return DecodeResult::kFailed;
    }
    if (result != DecodeResult::kFailed)
        return result == DecodeResult::kDone ? DecodeResult::kDone : DecodeResult::kPartFailed;
    // The file's own decoder failed after members of it were read: those
    // stay, and what it gave since is left out.
    if (!namedMembers_)
        return DecodeResult::kFailed;
    out_.PartFailed("", error_);
    return DecodeResult::kPartFailed;
}

DecodeResult DecodeContext::DecodeAs(const Kind& kind, ByteSource& source, int depth) {
    extraDepth_ = depth;
    levels_.front().extraDepth = depth;
    HeadSource head(source);
    return head.ReadHead() ? Dispatch(&kind, head) : SourceFailed(head);
}

DecodeResult DecodeContext::Dispatch(const Kind* kind, ByteSource& source) {
    if (kind == nullptr) {
        Part part{source};
        return DecodePlainText(part, *this);
    }
    if (depth() >= limits_.depth)
        return Fail(std::string(kExpandsTooFar)); // containers nested too deep
    ReplaySource replay(source);
    levels_.back().replay = &replay;
    const DecodeResult result = Decode(*kind, replay);
    levels_.back().replay = nullptr;
    if (result != DecodeResult::kNotThisKind)
        return result;
    if (!replay.Rewind())
        return Fail(notThisKind_);
    error_.clear();
    Part part{replay};
    return DecodePlainText(part, *this);
}

DecodeResult DecodeContext::Decode(const Kind& kind, ByteSource& source) {
    if (!kind.wholeFile) {
        Part part{source};
        return kind.decode(part, *this);
    }
    WholeFile whole;
    std::string error;
    readFileItself_ = depth() == 0 && file_ != nullptr;
    const bool ready = readFileItself_ ? whole.Use(*file_, error) : whole.Copy(source, error);
    if (!ready)
        return error.empty() ? SourceFailed(source) : Fail(error);
    Part part{source, &whole};
    return kind.decode(part, *this);
}

DecodeResult DecodeContext::Nested(std::string_view name, ByteSource& source, Decoder decode,
                                   bool documentPart) {
    if (stopped_)
        return DecodeResult::kStopped;
    if (!fileError_.empty())
        return DecodeResult::kFailed;
    // The container has opened: it is of its kind.
    if (ReplaySource* replay = levels_.back().replay)
        replay->StopKeeping();
    const Level& parent = levels_.back();
    Level level;
    level.path = name.empty()          ? parent.path
                 : parent.path.empty() ? std::string(name)
                                       : parent.path + ": " + std::string(name);
    level.member = name.empty() || documentPart ? parent.member : level.path;
    level.keptAtEntry = kept_;
    level.partsAtEntry = parts_;
    levels_.push_back(std::move(level));
    // A named member is a stretch of text of its own, which fails alone.
    const bool alone = !name.empty();
    if (alone) {
        namedMembers_ = true;
        out_.Member(levels_.back().member);
    }
    CountedSource counted(source, *this);
    DecodeResult result;
    if (decode != nullptr) {
        Part part{counted};
        result = decode(part, *this);
    } else {
        HeadSource head(counted);
        result = head.ReadHead() ? Dispatch(DetectKind(head.head()), head) : SourceFailed(head);
    }
    const Level done = std::move(levels_.back());
    levels_.pop_back();
    extraDepth_ -= done.extraDepth;
    if (stopped_)
        result = DecodeResult::kStopped;
    else if (!fileError_.empty())
        result = DecodeResult::kFailed;
    else if (result == DecodeResult::kFailed && alone) {
        out_.PartFailed(done.path, error_);
        error_.clear();
        kept_ = done.keptAtEntry; // what it decoded is given back
        parts_ = done.partsAtEntry;
        result = DecodeResult::kPartFailed;
    } else if (result == DecodeResult::kPartFailed) {
        result = DecodeResult::kDone; // a failure inside it was its own
    }
    if (alone)
        out_.Member(levels_.back().member);
    return result;
}

DecodeResult DecodeContext::Unreadable(std::string_view name, const std::string& reason) {
    const std::string& outer = levels_.back().path;
    const std::string path = name.empty() || outer.empty() ? outer + std::string(name)
                                                           : outer + ": " + std::string(name);
    namedMembers_ = true;
    out_.Member(name.empty() ? levels_.back().member : path);
    out_.PartFailed(path, reason);
    out_.Member(levels_.back().member);
    return DecodeResult::kPartFailed;
}

DecodeResult DecodeContext::Fail(std::string reason) {
    error_ = std::move(reason);
    return DecodeResult::kFailed;
}

DecodeResult DecodeContext::Halted() const {
    return stopped_ ? DecodeResult::kStopped : DecodeResult::kFailed;
}

DecodeResult DecodeContext::SourceFailed(const ByteSource& source) {
    if (stopped_)
        return DecodeResult::kStopped;
    if (!error_.empty() || !fileError_.empty())
        return DecodeResult::kFailed; // told already
    return Fail(source.error().empty() ? std::string("Damaged file") : source.error());
}

DecodeResult DecodeContext::NotThisKind(std::string reason) {
    notThisKind_ = std::move(reason);
    return DecodeResult::kNotThisKind;
}

bool DecodeContext::AddLevels(int levels) {
    levels_.back().extraDepth += levels;
    extraDepth_ += levels;
    if (depth() < limits_.depth)
        return true;
    Fail(std::string(kExpandsTooFar));
    return false;
}

bool DecodeContext::Work(std::uint64_t units, std::uint64_t partBytes) {
    std::uint64_t& work = levels_.back().work;
    work += units;
    if (work <= limits_.workFloor || work / limits_.workRatio <= partBytes)
        return true;
    Fail(std::string(kTooMuchWork));
    return false;
}

bool DecodeContext::PlainText(std::string_view text) {
    return out_.Text(text) || SinkRefused();
}

bool DecodeContext::Produced(std::uint64_t bytes) {
    produced_ += bytes;
    kept_ += bytes;
    if (produced_ > limits_.most) {
        fileError_ = kExpandsTooFar; // the whole file ends
        return false;
    }
    const std::uint64_t stored = storedBytes_ ? storedBytes_() : 0;
    if (kept_ > limits_.floor && kept_ / limits_.ratio > stored) {
        Fail(std::string(kExpandsTooFar));
        return false;
    }
    return true;
}

bool DecodeContext::SinkRefused() {
    const std::string why = out_.failure();
    if (why.empty())
        stopped_ = true;
    else
        fileError_ = why;
    return false;
}

} // namespace ornavex
