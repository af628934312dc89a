#include "clean/list_cleaner.h"

#include "clean/address_parts.h"
#include "clean/role_accounts.h"

#include <algorithm>

namespace ornavex {

std::string NormalizedDomain(std::string_view domain) {
    while (!domain.empty() && (domain.front() == '@' || domain.front() == '.'))
        domain.remove_prefix(1);
    while (!domain.empty() && domain.back() == '.')
        domain.remove_suffix(1);
    return LowerCased(domain);
}

bool InDomain(std::string_view address, std::string_view normalizedDomain) {
    const std::string_view domain = DomainOf(address);
    if (normalizedDomain.empty() || domain.size() < normalizedDomain.size())
        return false;
    const std::size_t start = domain.size() - normalizedDomain.size();
    return EqualsIgnoringCase(domain.substr(start), normalizedDomain) &&
           (start == 0 || domain[start - 1] == '.');
}

ListCleaner::ListCleaner(CleaningRules rules) : rules_(std::move(rules)) {
    for (auto* list : {&rules_.onlyDomains, &rules_.dropDomains})
        for (std::string& domain : *list)
            domain = NormalizedDomain(domain);
    if (rules_.realDomains)
        realDomains_ = std::make_unique<RealDomains>();
}

std::optional<CleaningRule> ListCleaner::RuleAgainst(std::string_view address) const {
    return RuleAgainst(address, rules_.doNotMail != nullptr && rules_.doNotMail->Contains(address));
}

std::optional<CleaningRule> ListCleaner::RuleAgainst(std::string_view address,
                                                     bool doNotMail) const {
    const auto inAny = [&](const std::vector<std::string>& domains) {
        return std::any_of(domains.begin(), domains.end(),
                           [&](const std::string& domain) { return InDomain(address, domain); });
    };
    if (realDomains_ && !realDomains_->Has(address))
        return CleaningRule::kNotARealDomain;
    if (doNotMail)
        return CleaningRule::kDoNotMail;
    if ((!rules_.onlyDomains.empty() && !inAny(rules_.onlyDomains)) || inAny(rules_.dropDomains))
        return CleaningRule::kDomainFilter;
    if (rules_.dropRoles && IsRoleAccount(address))
        return CleaningRule::kRoleAccount;
    return std::nullopt;
}

CleaningOutcome
ListCleaner::Clean(std::size_t count,
                   const std::function<std::string_view(std::size_t)>& address) const {
    CleaningOutcome outcome;
    outcome.kept.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (const std::optional<CleaningRule> rule = RuleAgainst(address(i)))
            ++outcome.removed[static_cast<std::size_t>(*rule)];
        else
            outcome.kept.push_back(static_cast<std::uint32_t>(i));
    }
    return outcome;
}

} // namespace ornavex
