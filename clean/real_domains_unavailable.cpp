// A build without libpsl: the check is not offered, so nothing asks it.
#include "clean/real_domains.h"

namespace ornavex {

bool RealDomains::Available() {
    return false;
}

RealDomains::RealDomains() : list_(nullptr) {}
RealDomains::~RealDomains() = default;

bool RealDomains::Has(std::string_view) const {
    return true;
}

} // namespace ornavex
