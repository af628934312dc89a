#include "decode/pdf_text.h"

#include "decode/decode_context.h"
#include "decode/shown_spaces.h"
#include "decode/whole_file.h"

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

// poppler tells its troubles on the standard error: a damaged file is
// reported once, by the run, instead.
void Quiet(const std::string&, void*) {}

void SilencePoppler() {
    static std::once_flag silenced;
    std::call_once(silenced, [] { poppler::set_debug_error_function(Quiet, nullptr); });
}

} // namespace

DecodeResult DecodePdf(Part& part, DecodeContext& context) {
    SilencePoppler();
    const std::unique_ptr<poppler::document> document(
        poppler::document::load_from_file(part.file->path().string()));
    if (!document)
        return context.Fail("Damaged PDF");
    if (document->is_locked())
        return context.Fail("Encrypted");
    ShownSpaces shown(context.sink());
    const std::uint64_t size = part.file->size();
    std::unordered_set<std::size_t> pagesSeen;
    for (int index = 0; index < document->pages(); ++index) {
        const std::unique_ptr<poppler::page> page(document->create_page(index));
        if (!page)
            continue;
        const poppler::byte_array text =
            page->text(poppler::rectf(), poppler::page::non_raw_non_physical_layout).to_utf8();
        if (!shown.Text(std::string_view(text.data(), text.size())) || !shown.PartEnd())
            return context.Halted();
        context.CountPart();
        const std::string_view shownText(text.data(), text.size());
        const bool repeated = text.size() >= kRepeatedPageBytes &&
                              !pagesSeen.insert(std::hash<std::string_view>()(shownText)).second;
        if (!context.Work(kPageWork + text.size() * (repeated ? kRepeatedTextWork : kTextWork),
                          size))
            return DecodeResult::kFailed;
    }
    return DecodeResult::kDone;
}

} // namespace ornavex
