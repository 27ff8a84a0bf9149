#pragma once

// Where the program keeps config.ini and its default Download/ folder: the
// executable's directory, or $XDG_DATA_HOME/quorvo (default
// ~/.local/share/quorvo) when that directory is not writable or the program
// is installed (PREFIX/bin beside PREFIX/share/quorvo).

#include "runtime/Text.h"

namespace quorvo::platform {

// The run directory, without a trailing "/". Worked out once per process.
const Text& runDirectory();

// The executable runs from an installation: PREFIX/bin/ with PREFIX/share/quorvo/.
bool isInstalledLayout();

// run directory + "/" + name.
Text runPath(const Text& name);

}  // namespace quorvo::platform
