// Reads fuzzed bytes as a web page, whole and cut into random pieces: the
// text must not depend on the cuts.
#include "decode/web_page_text.h"
#include "decode_fuzz.h"

#include <random>

namespace {

std::string Read(std::string_view page, std::mt19937* cuts) {
    ornavex::fuzz::TextCollector sink;
    ornavex::WebPageText reader(sink);
    for (std::size_t at = 0; at < page.size();) {
        const std::size_t size = cuts == nullptr ? page.size() : 1 + (*cuts)() % 16;
        reader.Feed(page.substr(at, size));
        at += size;
    }
    reader.Finish();
    return sink.all;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (size < 1)
        return 0;
    std::mt19937 cuts(data[0]);
    const std::string_view page(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (Read(page, nullptr) != Read(page, &cuts))
        ornavex::fuzz::Fail("cuts changed the page's text");
    return 0;
}
