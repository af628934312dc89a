#include "decode/library_kinds.h"

#include "decode/decode_context.h"
#include "decode/detect.h"
#include "decode/library_decoders.h"
#include "os/loadable_module.h"

#include <mutex>
#include <string>

namespace ornavex {
namespace {

// The module beside the program: lib/ornavex under the folder above bin/,
// in a build tree as in an installed one.
struct LoadedDecoders {
    const LibraryDecoders* decoders = nullptr;
    std::string error;
};

const LoadedDecoders& Loaded() {
    static LoadedDecoders loaded;
    static std::once_flag once;
    std::call_once(once, [] {
        static LoadableModule module;
        const std::filesystem::path path =
            ProgramFolder().parent_path() / "lib" / "ornavex" / kDecodersModule;
        if (!module.Load(path, loaded.error)) {
            loaded.error = "Cannot load the readers of this kind: " + loaded.error;
            return;
        }
        const auto entry = reinterpret_cast<DecodersEntry>(module.Symbol(kDecodersEntry));
        if (entry == nullptr) {
            loaded.error = "Cannot load the readers of this kind: " + path.string() + " has no " +
                           kDecodersEntry;
            return;
        }
        loaded.decoders = entry();
    });
    return loaded;
}

// A row's decoder: the module's, loaded on first use.
template <Decoder LibraryDecoders::*which>
DecodeResult FromModule(Part& part, DecodeContext& context) {
    const LoadedDecoders& loaded = Loaded();
    if (loaded.decoders == nullptr)
        return context.Fail(loaded.error);
    return (loaded.decoders->*which)(part, context);
}

constexpr Kind kLibraryKinds[] = {
    {"zip", IsZip, FromModule<&LibraryDecoders::archive>},
    {"7z", IsSevenZip, FromModule<&LibraryDecoders::archive>, true}, // its index is at its end
    {"rar", IsRar, FromModule<&LibraryDecoders::archive>},
    {"cpio", IsCpio, FromModule<&LibraryDecoders::archive>},
    {"cab", IsCab, FromModule<&LibraryDecoders::archive>},
    {"xar", IsXar, FromModule<&LibraryDecoders::archive>},
    {"tar", IsTar, FromModule<&LibraryDecoders::archive>},
    {"gzip", IsGzip, FromModule<&LibraryDecoders::compressed>},
    {"bzip2", IsBzip2, FromModule<&LibraryDecoders::compressed>},
    {"xz", IsXz, FromModule<&LibraryDecoders::compressed>},
    {"zstd", IsZstd, FromModule<&LibraryDecoders::compressed>},
    {"pdf", IsPdf, FromModule<&LibraryDecoders::pdf>, true},
    {"mail", IsMail, FromModule<&LibraryDecoders::mail>},
};

} // namespace

std::span<const Kind> LibraryKinds() {
    return kLibraryKinds;
}

} // namespace ornavex
