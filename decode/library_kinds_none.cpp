// A build without the libraries that read archives, documents, PDF and mail
// reads those files as plain text: an address in a stored member, an
// uncompressed page or a mail header is still found.
#include "decode/library_kinds.h"

namespace ornavex {

std::span<const Kind> LibraryKinds() {
    return {};
}

} // namespace ornavex
