#include "clean/real_domains.h"

#include "clean/address_parts.h"
#include "clean/top_level_labels.h"
#include "os/loadable_module.h"

#include <fstream>
#include <libpsl.h>
#include <string>
#include <type_traits>

namespace ornavex {
namespace {

// The system's public suffix list as text: the one libpsl was built from, or
// Debian's (the publicsuffix package).
constexpr const char* kListText = "/usr/share/publicsuffix/public_suffix_list.dat";

// libpsl, loaded when the check is first asked for, so that a run without it
// never loads libpsl and the libraries it brings (libidn2, libunistring).
struct PublicSuffixes {
    decltype(&psl_latest) latest = nullptr;
    decltype(&psl_builtin) builtin = nullptr;
    decltype(&psl_builtin_filename) builtinFilename = nullptr;
    decltype(&psl_free) free = nullptr;
    decltype(&psl_is_public_suffix2) isPublicSuffix = nullptr;
    bool loaded = false;
};

const PublicSuffixes& Library() {
    static const PublicSuffixes library = [] {
        PublicSuffixes functions;
        static LoadableModule module;
        std::string error;
        if (!module.Load(ORNAVEX_LIBPSL_SONAME, error))
            return functions;
        const auto take = [&](auto& function, const char* name) {
            function =
                reinterpret_cast<std::remove_reference_t<decltype(function)>>(module.Symbol(name));
            return function != nullptr;
        };
        functions.loaded = take(functions.latest, "psl_latest") &&
                           take(functions.builtin, "psl_builtin") &&
                           take(functions.builtinFilename, "psl_builtin_filename") &&
                           take(functions.free, "psl_free") &&
                           take(functions.isPublicSuffix, "psl_is_public_suffix2");
        return functions;
    }();
    return library;
}

} // namespace

// The newest of the list installed with the system and libpsl's built-in
// copy; and the top-level labels of the system's list, which libpsl cannot
// tell when no rule of their own names them (".za": only "ac.za", "co.za"...).
RealDomains::RealDomains() : list_(nullptr) {
    const PublicSuffixes& psl = Library();
    std::ifstream text;
    if (psl.loaded) {
        list_ = psl.latest(nullptr);
        if (list_ == nullptr)
            list_ = const_cast<psl_ctx_t*>(psl.builtin()); // psl_free leaves it alone
        if (const char* builtin = psl.builtinFilename(); builtin != nullptr)
            text.open(builtin);
    }
    if (!text.is_open())
        text.open(kListText);
    implied_ = TopLevelLabelsOfList(text);
}

bool RealDomains::Available() {
    return true;
}

RealDomains::~RealDomains() {
    if (list_ != nullptr)
        Library().free(list_);
}

bool RealDomains::Has(std::string_view address) const {
    const std::string_view domain = DomainOf(address);
    if (domain.starts_with('['))
        return true;
    const std::size_t dot = domain.rfind('.');
    const std::string label =
        LowerCased(dot == std::string_view::npos ? domain : domain.substr(dot + 1));
    // Neither libpsl nor the system's list to ask: no address is dropped.
    if (list_ == nullptr && implied_.empty())
        return true;
    const auto [known, added] = known_.try_emplace(label, false);
    // Without the "*" rule every unknown label would count as a suffix.
    if (added)
        known->second = !label.empty() &&
                        (implied_.contains(label) ||
                         (list_ != nullptr &&
                          Library().isPublicSuffix(list_, label.c_str(),
                                                   PSL_TYPE_ICANN | PSL_TYPE_NO_STAR_RULE) != 0));
    return known->second;
}

} // namespace ornavex
