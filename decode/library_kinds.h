#pragma once

#include "decode/kinds.h"

#include <span>

namespace ornavex {

// The rows of the decoding table whose decoders need libraries of their own
// (archives, compressed streams, PDF, mail); none in a build without them,
// which then reads those files as plain text.
std::span<const Kind> LibraryKinds();

} // namespace ornavex
