#pragma once

// The first two steps of start-up, before any window exists: create
// config.ini with its defaults and the Download folder on first run, and
// repair a save directory that is missing or no longer a directory.

#include "runtime/Text.h"

namespace quorvo::app {

// `runDir` is the run directory without a trailing "/"; the save directory
// is created as `defaultSaveDir` (ending in "/") when there is none,
// runDir + "/Download/" unless given.
void prepareConfiguration(const Text& runDir);
void prepareConfiguration(const Text& runDir, const Text& defaultSaveDir);

}  // namespace quorvo::app
