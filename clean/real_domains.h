#pragma once

#include <string_view>

struct psl_ctx_st;

namespace ornavex {

// Tells whether an address's domain ends in a real top-level domain: one the
// public suffix list names (the system's copy, or libpsl's own when that is
// missing or older). "logo@2x.png" has none; an address with a bracketed IP
// address for a domain is kept.
class RealDomains {
public:
    RealDomains();
    ~RealDomains();
    RealDomains(const RealDomains&) = delete;
    RealDomains& operator=(const RealDomains&) = delete;

    bool Has(std::string_view address) const;

private:
    psl_ctx_st* list_;
};

} // namespace ornavex
