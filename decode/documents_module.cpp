// The entry of the module that holds the decoders needing libraries.
#include "decode/archive_text.h"
#include "decode/library_decoders.h"
#include "decode/mail_text.h"
#include "decode/pdf_text.h"

extern "C" __attribute__((visibility("default"))) const ornavex::LibraryDecoders*
ornavex_library_decoders() {
    static constexpr ornavex::LibraryDecoders kDecoders = {
        ornavex::DecodeArchive, ornavex::DecodeCompressed, ornavex::DecodePdf, ornavex::DecodeMail};
    return &kDecoders;
}
