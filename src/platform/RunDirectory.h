#pragma once

// Where the program keeps config.ini and its default Download/ folder: the
// executable's directory, or $XDG_DATA_HOME/quorvo (default
// ~/.local/share/quorvo) when that directory is not writable or the program
// is installed (PREFIX/bin beside PREFIX/share/quorvo).

#include "runtime/Text.h"

#include <string>

namespace quorvo::platform {

// The directory of the running executable (a native path, no trailing "/"
// except for the root); empty when it cannot be read.
std::string executableDirectory();

// The run directory, without a trailing "/". Worked out once per process.
const Text& runDirectory();

// The executable runs from an installation: PREFIX/bin/ with PREFIX/share/quorvo/.
bool isInstalledLayout();

// run directory + "/" + name.
Text runPath(const Text& name);

}  // namespace quorvo::platform
