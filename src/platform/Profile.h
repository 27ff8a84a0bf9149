#pragma once

// Profile (INI) files with the semantics of the Windows profile functions:
// sections and keys match without regard to ASCII case, the first matching
// section and key win, values are read whole however long, a write creates
// the file, section and key as needed and keeps every other line byte for
// byte. Files are UTF-8 on disk; section, key and value are program text.
// Calls are serialised within the process.

#include "runtime/Text.h"

namespace quorvo::platform {

// The value, trimmed of blanks and of one pair of surrounding quotes; empty
// when the file, section or key is missing.
Text readProfile(const Text& file, const Text& section, const Text& key);

// False when the file cannot be written; the file then keeps its old contents.
// CR and LF in the value are replaced by spaces so a value stays one line.
bool writeProfile(const Text& file, const Text& section, const Text& key, const Text& value);

}  // namespace quorvo::platform
