#pragma once

// The reviewer's picture of every asset: each image at 1x and enlarged 3x on
// a checkerboard and on the window background, the three pages mocked up
// with the real pictures in place, and the two sounds' waveforms.

#include "Catalogue.h"

#include <string>
#include <vector>

namespace quorvo::art {

// Returns false when the file cannot be written.
bool writeContactSheet(const std::vector<GeneratedAsset>& assets, const std::string& path);

}  // namespace quorvo::art
