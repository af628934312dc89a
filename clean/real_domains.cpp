#include "clean/real_domains.h"

#include "clean/address_parts.h"
#include "clean/top_level_labels.h"

#include <fstream>
#include <libpsl.h>
#include <string>

namespace ornavex {
namespace {

// The system's public suffix list as text: the one libpsl was built from, or
// Debian's (the publicsuffix package).
constexpr const char* kListText = "/usr/share/publicsuffix/public_suffix_list.dat";

} // namespace

// The newest of the list installed with the system and libpsl's built-in
// copy; and the top-level labels of the system's list, which libpsl cannot
// tell when no rule of their own names them (".za": only "ac.za", "co.za"...).
RealDomains::RealDomains() : list_(psl_latest(nullptr)) {
    if (list_ == nullptr)
        list_ = const_cast<psl_ctx_t*>(psl_builtin()); // psl_free leaves it alone
    std::ifstream text(psl_builtin_filename());
    if (!text)
        text.open(kListText);
    implied_ = TopLevelLabelsOfList(text);
}

bool RealDomains::Available() {
    return true;
}

RealDomains::~RealDomains() {
    psl_free(list_);
}

bool RealDomains::Has(std::string_view address) const {
    const std::string_view domain = DomainOf(address);
    if (domain.starts_with('['))
        return true;
    const std::size_t dot = domain.rfind('.');
    const std::string label =
        LowerCased(dot == std::string_view::npos ? domain : domain.substr(dot + 1));
    const auto [known, added] = known_.try_emplace(label, false);
    // Without the "*" rule every unknown label would count as a suffix.
    if (added)
        known->second = !label.empty() &&
                        (implied_.contains(label) ||
                         (list_ != nullptr &&
                          psl_is_public_suffix2(list_, label.c_str(),
                                                PSL_TYPE_ICANN | PSL_TYPE_NO_STAR_RULE) != 0));
    return known->second;
}

} // namespace ornavex
