#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

struct psl_ctx_st;

namespace ornavex {

// Tells whether an address's domain ends in a real top-level domain: one
// that a rule of the public suffix list's ICANN section ends in, wildcard
// rules included (the system's copy, or libpsl's own when that is missing or
// older). "logo@2x.png" has none; ".za" has, though no rule names "za"
// alone; an address with a bracketed IP address for a domain is kept.
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
    std::unordered_set<std::string> implied_; // top-level labels of the system's list
    // Lists hold few top-level domains many times over: each is asked once.
    mutable std::unordered_map<std::string, bool> known_;
};

} // namespace ornavex
