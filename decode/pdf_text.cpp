#include "decode/pdf_text.h"

#include "decode/shown_spaces.h"
#include "decode/spool.h"

#include <memory>
#include <mutex>
#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page.h>

namespace ornavex {
namespace {

// poppler tells its troubles on the standard error: a damaged file is
// reported once, by the run, instead.
void Quiet(const std::string&, void*) {}

void SilencePoppler() {
    static std::once_flag silenced;
    std::call_once(silenced, [] { poppler::set_debug_error_function(Quiet, nullptr); });
}

} // namespace

DecodeResult DecodePdf(ByteSource& source, TextSink& sink, DecodeContext& context, int depth) {
    SilencePoppler();
    // poppler reads a whole file: the file itself, or a copy of the member.
    std::optional<SpooledFile> spooled;
    std::filesystem::path file;
    if (depth == 0 && context.file()) {
        file = *context.file();
    } else {
        spooled.emplace();
        if (!spooled->Fill(source, context))
            return DecodeResult::kFailed;
        file = spooled->path();
    }
    const std::unique_ptr<poppler::document> document(
        poppler::document::load_from_file(file.string()));
    if (!document) {
        context.Fail("Damaged PDF");
        return DecodeResult::kFailed;
    }
    if (document->is_locked()) {
        context.Fail("Encrypted");
        return DecodeResult::kFailed;
    }
    ShownSpaces shown(sink);
    for (int index = 0; index < document->pages(); ++index) {
        const std::unique_ptr<poppler::page> page(document->create_page(index));
        if (!page)
            continue;
        const poppler::byte_array text =
            page->text(poppler::rectf(), poppler::page::non_raw_non_physical_layout).to_utf8();
        if (!shown.Text(std::string_view(text.data(), text.size())) || !shown.PartEnd())
            return DecodeResult::kStopped;
        context.CountPart();
    }
    return DecodeResult::kDone;
}

} // namespace ornavex
