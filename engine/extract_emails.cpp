#include "engine/extract_emails.h"

namespace ornavex {

std::vector<std::string> ExtractEmailToArray(std::string_view text, AddressSet& seen) {
    std::vector<std::string> addresses;
    ExtractionCounts counts;
    ExtractEmails(text, seen, counts,
                  [&](std::string_view address) { addresses.emplace_back(address); });
    return addresses;
}

} // namespace ornavex
