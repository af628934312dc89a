// Reads fuzzed bytes as an office document's XML member, in the dialect the
// first byte picks, whole and cut into random pieces: the text must not
// depend on the cuts, and entity bombs must end.
#include "decode/xml_text.h"
#include "decode_fuzz.h"

#include <random>

namespace {

// The source gives the bytes in pieces of random size.
class CutSource : public ornavex::ByteSource {
public:
    CutSource(std::string_view bytes, std::mt19937* cuts) : bytes_(bytes), cuts_(cuts) {}
    bool Next(std::string_view& bytes) override {
        const std::size_t size = cuts_ == nullptr ? bytes_.size() : 1 + (*cuts_)() % 16;
        bytes = bytes_.substr(0, size);
        bytes_.remove_prefix(bytes.size());
        return true;
    }
    const std::string& error() const override { return error_; }

private:
    std::string_view bytes_;
    std::mt19937* cuts_;
    std::string error_;
};

std::string Read(std::string_view xml, ornavex::XmlDialect dialect, std::mt19937* cuts) {
    CutSource source(xml, cuts);
    ornavex::fuzz::TextCollector sink;
    ornavex::DecodeContext context(
        sink, [&] { return xml.size(); }, nullptr, ornavex::fuzz::SmallLimits());
    const bool done = ornavex::DecodeXml(source, dialect, context) == ornavex::DecodeResult::kDone;
    return done ? sink.all : "(failed)";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (size < 1)
        return 0;
    const auto dialect = static_cast<ornavex::XmlDialect>(data[0] % 6);
    std::mt19937 cuts(data[0]);
    const std::string_view xml(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (Read(xml, dialect, nullptr) != Read(xml, dialect, &cuts))
        ornavex::fuzz::Fail("cuts changed the member's text");
    return 0;
}
