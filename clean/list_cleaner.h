#pragma once

#include "clean/do_not_mail.h"
#include "clean/real_domains.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ornavex {

// The rules that clean a list, in the order they are tried: an address
// removed counts against the first rule that removes it.
enum class CleaningRule { kNotARealDomain, kDoNotMail, kDomainFilter, kRoleAccount };
inline constexpr std::size_t kCleaningRules = 4;

struct CleaningRules {
    bool realDomains = false;
    const DoNotMail* doNotMail = nullptr;
    // Domains to keep only (none: all), and to drop; each with its subdomains.
    std::vector<std::string> onlyDomains;
    std::vector<std::string> dropDomains;
    bool dropRoles = false;

    bool any() const {
        return realDomains || (doNotMail != nullptr && doNotMail->size() > 0) ||
               !onlyDomains.empty() || !dropDomains.empty() || dropRoles;
    }
};

// "example.com", "@example.com" and ".Example.com." all name example.com.
std::string NormalizedDomain(std::string_view domain);
// Whether the address is at the domain or one of its subdomains.
bool InDomain(std::string_view address, std::string_view normalizedDomain);

struct CleaningOutcome {
    std::vector<std::uint32_t> kept; // indexes of the addresses kept, in order
    std::array<std::uint64_t, kCleaningRules> removed{};
};

class ListCleaner {
public:
    explicit ListCleaner(CleaningRules rules);

    // The rule that removes the address, if any.
    std::optional<CleaningRule> RuleAgainst(std::string_view address) const;
    // The same, told whether the address is on the do-not-mail list (by a
    // caller that matched a long list on disk against its addresses in order).
    std::optional<CleaningRule> RuleAgainst(std::string_view address, bool doNotMail) const;

    // Cleans the addresses [0, count) given by address(i).
    CleaningOutcome Clean(std::size_t count,
                          const std::function<std::string_view(std::size_t)>& address) const;

private:
    CleaningRules rules_;
    std::unique_ptr<RealDomains> realDomains_;
};

} // namespace ornavex
