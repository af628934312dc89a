#pragma once

#include <string>
#include <string_view>

namespace ornavex {

// A name (of a file, a folder, a member inside a file), or a message that
// holds names, as it is shown to a person: in a terminal, a report or a
// window. Control bytes are written as escapes, so a name can neither move
// the cursor, retitle or clear a terminal nor start a line of its own: TAB,
// LF, CR and ESC as \t, \n, \r and \e, every other C0 control, DEL and the
// C1 controls (U+0080 to U+009F, in UTF-8) as \xNN a byte. Every other
// byte, those of UTF-8 letters and those that are not UTF-8 alike, stays as
// it is; so does a backslash (Windows paths are full of them), unless
// doubleBackslashes asks for it as \\, for a table that must read back to
// one name only (the --report rows).
std::string ShownName(std::string_view name, bool doubleBackslashes = false);

} // namespace ornavex
