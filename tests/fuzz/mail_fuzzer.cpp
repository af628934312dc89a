// Reads fuzzed bytes as a mail message or mbox file, parts, encodings and
// attachments decoded: it must never crash or hang.
#include "decode_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    ornavex::fuzz::Decode("mail", std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
