#pragma once

#include "run/input_source.h"

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace ornavex {

// The addresses of do-not-mail files: each file is read as the run reads any
// input (an address per line, or any text, document or archive), and an
// address matches in any letter case.
class DoNotMail {
public:
    // Reads the files; the reasons of those that could not be read, each
    // "NAME: reason", go to failures.
    void Load(const std::vector<InputSource>& files, bool readInside,
              std::vector<std::string>& failures);

    bool Contains(std::string_view address) const;
    std::size_t size() const { return addresses_.size(); }

private:
    std::unordered_set<std::string> addresses_; // lower-cased
};

} // namespace ornavex
