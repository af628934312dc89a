// Reads fuzzed bytes as a PDF: it must never crash or hang.
#include "decode_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    ornavex::fuzz::Decode("pdf", std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
