#include "decode/kinds.h"

#include "decode/detect.h"
#include "decode/library_kinds.h"
#include "decode/manual_page_text.h"
#include "decode/web_page_text.h"

#include <vector>

namespace ornavex {
namespace {

// The kinds read without a library of their own.
constexpr Kind kOwnKinds[] = {
    {"web page", IsWebPage, DecodeWebPage},
    {"manual page", IsManualPage, DecodeManualPage},
};

} // namespace

std::span<const Kind> Kinds() {
    static const std::vector<Kind> table = [] {
        std::vector<Kind> kinds(LibraryKinds().begin(), LibraryKinds().end());
        kinds.insert(kinds.end(), std::begin(kOwnKinds), std::end(kOwnKinds));
        return kinds;
    }();
    return table;
}

const Kind* DetectKind(std::string_view head) {
    for (const Kind& kind : Kinds())
        if (kind.detect(head))
            return &kind;
    return nullptr;
}

} // namespace ornavex
