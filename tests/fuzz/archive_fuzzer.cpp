// Reads fuzzed bytes as an archive, then as a compressed stream, members
// nested in turn: it must never crash, hang or run past its limits.
#include "decode_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ornavex::fuzz::Decode("zip", bytes);
    ornavex::fuzz::Decode("tar", bytes);
    ornavex::fuzz::Decode("gzip", bytes);
    return 0;
}
