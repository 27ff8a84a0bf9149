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

// Where the program keeps what it remembers between runs (the download
// list): the run directory when that is the executable's own (run from the
// build tree), else $XDG_STATE_HOME/quorvo (default ~/.local/state/quorvo),
// created here. No trailing "/".
const Text& stateDirectory();

// run directory + "/" + name.
Text runPath(const Text& name);

}  // namespace quorvo::platform
