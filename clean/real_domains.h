#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

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

    // Whether this build can tell: false without libpsl, and then the check
    // is not offered.
    static bool Available();

    // Not to be called from two threads at once.
    bool Has(std::string_view address) const;

private:
    psl_ctx_st* list_;
    // Lists hold few top-level domains many times over: each is asked once.
    mutable std::unordered_map<std::string, bool> known_;
};

} // namespace ornavex
