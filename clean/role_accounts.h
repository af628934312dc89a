#pragma once

#include <array>
#include <string_view>

namespace ornavex {

// Local parts that name a role or a machine, not a person who reads mail.
inline constexpr std::array<std::string_view, 24> kRoleAccounts = {
    "abuse",    "bounce",      "bounces",  "do-not-reply",  "do_not_reply", "donotreply",
    "ftp",      "hostmaster",  "listserv", "mailer-daemon", "majordomo",    "news",
    "no-reply", "no_reply",    "noc",      "noreply",       "postmaster",   "root",
    "security", "unsubscribe", "usenet",   "uucp",          "webmaster",    "www"};

// Whether the address's local part is one of them, in any letter case.
bool IsRoleAccount(std::string_view address);

} // namespace ornavex
