#include "clean/role_accounts.h"

#include "clean/address_parts.h"

#include <algorithm>

namespace ornavex {

bool IsRoleAccount(std::string_view address) {
    const std::string_view local = LocalPart(address);
    return std::any_of(kRoleAccounts.begin(), kRoleAccounts.end(),
                       [&](std::string_view role) { return EqualsIgnoringCase(local, role); });
}

} // namespace ornavex
