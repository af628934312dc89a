#include "clean/real_domains.h"

#include "clean/address_parts.h"

#include <libpsl.h>
#include <string>

namespace ornavex {

// The newest of the list installed with the system and libpsl's built-in copy.
RealDomains::RealDomains() : list_(psl_latest(nullptr)) {
    if (list_ == nullptr)
        list_ = const_cast<psl_ctx_t*>(psl_builtin()); // psl_free leaves it alone
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
        known->second =
            list_ != nullptr && !label.empty() &&
            psl_is_public_suffix2(list_, label.c_str(), PSL_TYPE_ANY | PSL_TYPE_NO_STAR_RULE) != 0;
    return known->second;
}

} // namespace ornavex
