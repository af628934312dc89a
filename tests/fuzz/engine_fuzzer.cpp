// Compares the engine with the plain reference on any bytes, with either
// address pattern: the addresses found, their order and spelling, and the
// counts must be the same; and its fastest word check with the plain one:
// every address, repeats included.
#include "extract_emails.h"
#include "test_support.h"

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const ornavex::AddressPattern pattern :
         {ornavex::AddressPattern::kSubAddresses, ornavex::AddressPattern::kClassic}) {
        ornavex::AddressSet seen;
        std::set<std::string> referenceSeen;
        const auto found = ornavex::ExtractEmailToArray(text, seen, nullptr, pattern);
        const auto expected = ornavex::testing::ReferenceExtract(text, referenceSeen, pattern);
        if (found != expected || seen.size() != referenceSeen.size()) {
            std::fprintf(stderr, "engine and reference differ: %zu vs %zu addresses\n",
                         found.size(), expected.size());
            std::abort();
        }
        // The same text again in the same run adds nothing.
        if (!ornavex::ExtractEmailToArray(text, seen, nullptr, pattern).empty())
            std::abort();
        std::vector<std::string> fastest, scalar;
        ornavex::FindAddresses(
            text, [&](std::string_view a) { fastest.emplace_back(a); },
            ornavex::WordCheck::kFastest, pattern);
        ornavex::FindAddresses(
            text, [&](std::string_view a) { scalar.emplace_back(a); }, ornavex::WordCheck::kScalar,
            pattern);
        if (fastest != scalar) {
            std::fprintf(stderr, "word checks differ: %zu vs %zu addresses\n", fastest.size(),
                         scalar.size());
            std::abort();
        }
    }
    return 0;
}
