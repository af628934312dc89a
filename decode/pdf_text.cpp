#include "decode/pdf_text.h"

#include "decode/decode_context.h"
#include "decode/shown_spaces.h"
#include "decode/whole_file.h"

#include <cctype>
#include <memory>
#include <mutex>
#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page.h>
#include <unordered_set>

namespace ornavex {
namespace {

// The layout work of a page: some for the page itself, and more for each
// byte of its text, the more so when a page repeats one before it (pages
// that share one content stream are the way to make a small file take
// minutes).
constexpr std::uint64_t kPageWork = 1024;
constexpr std::uint64_t kTextWork = 4;
constexpr std::uint64_t kRepeatedTextWork = 64;
constexpr std::size_t kRepeatedPageBytes = 1024; // shorter pages repeat in any document

// poppler reads a file by name in 256-byte reads, a system call each; a file
// up to this size is read into memory first, which takes a third off the
// time of a typical manual. Larger files are read by name, so memory stays
// bounded.
constexpr std::uint64_t kInMemoryBytes = 16 << 20;

// poppler tells its troubles on the standard error: a damaged file is
// reported once, by the run, instead.
void Quiet(const std::string&, void*) {}

void SilencePoppler() {
    static std::once_flag silenced;
    std::call_once(silenced, [] { poppler::set_debug_error_function(Quiet, nullptr); });
}

bool IsWordByte(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

// Typeset text breaks a long address after one of its own hyphens
// ("ann@mail-" then "server.example.org"); the line break is taken out and
// the hyphen kept, which is right for addresses and harmless for words.
void JoinLinesBrokenAtHyphens(poppler::byte_array& text) {
    std::size_t kept = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '\n' && at >= 2 && text[at - 1] == '-' && IsWordByte(text[at - 2]) &&
            at + 1 < text.size() && IsWordByte(text[at + 1]))
            continue;
        text[kept++] = text[at];
    }
    text.resize(kept);
}

} // namespace

DecodeResult DecodePdf(Part& part, DecodeContext& context) {
    SilencePoppler();
    const std::uint64_t size = part.file->size();
    // Outlives the document, which reads from it.
    std::string bytes;
    if (size > 0 && size <= kInMemoryBytes) {
        bytes.resize(size);
        std::string error;
        std::size_t done = 0;
        while (done < bytes.size()) {
            const long long got =
                part.file->ReadAt(bytes.data() + done, bytes.size() - done, done, error);
            if (got < 0)
                return context.Fail(error);
            if (got == 0)
                break; // shortened while read: poppler finds the damage
            done += static_cast<std::size_t>(got);
        }
        bytes.resize(done);
    }
    const std::unique_ptr<poppler::document> document(
        bytes.empty()
            ? poppler::document::load_from_file(part.file->path().string())
            : poppler::document::load_from_raw_data(bytes.data(), static_cast<int>(bytes.size())));
    if (!document)
        return context.Fail("Damaged PDF");
    if (document->is_locked())
        return context.Fail("Encrypted");
    ShownSpaces shown(context.sink());
    std::unordered_set<std::size_t> pagesSeen;
    for (int index = 0; index < document->pages(); ++index) {
        const std::unique_ptr<poppler::page> page(document->create_page(index));
        if (!page)
            continue;
        // The order the page draws its text in: as good for finding words as
        // the reading order poppler works out, at less work per character.
        poppler::byte_array text =
            page->text(poppler::rectf(), poppler::page::raw_order_layout).to_utf8();
        JoinLinesBrokenAtHyphens(text);
        const std::string_view shownText(text.data(), text.size());
        if (!shown.Text(shownText) || !shown.PartEnd())
            return context.Halted();
        context.CountPart();
        const bool repeated = text.size() >= kRepeatedPageBytes &&
                              !pagesSeen.insert(std::hash<std::string_view>()(shownText)).second;
        if (!context.Work(kPageWork + text.size() * (repeated ? kRepeatedTextWork : kTextWork),
                          size))
            return DecodeResult::kFailed;
    }
    return DecodeResult::kDone;
}

} // namespace ornavex
