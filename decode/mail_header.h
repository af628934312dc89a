#pragma once

#include <string>
#include <string_view>

namespace ornavex {

// What the header fields of a mail part say of its body.
struct MailPartHeader {
    std::string type = "text/plain"; // media type, lower case
    std::string boundary;            // of a multipart
    std::string charset;
    std::string encoding; // transfer encoding, lower case; empty: none
    bool attachment = false;
    // The fields a name is taken from, as written (only the start of a long one).
    std::string contentType;
    std::string contentDisposition;

    bool Is(std::string_view major) const {
        return type.size() > major.size() && type.starts_with(major) && type[major.size()] == '/';
    }
};

// Takes what a field says of the body (Content-Type, Content-Transfer-
// Encoding, Content-Disposition) into header; other fields are left alone.
void ReadStructureField(std::string_view name, std::string_view value, MailPartHeader& header);

// The value of a parameter ("boundary", "charset") of a structured field's
// value: quoted or not, its name in any letter case; empty when missing.
std::string ParameterOf(std::string_view value, std::string_view name);

} // namespace ornavex
