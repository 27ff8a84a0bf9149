#pragma once

// The complete list of generated assets, in a fixed order.

#include <string>
#include <vector>

namespace quorvo::art {

enum class AssetKind { Png, PngWithoutSignature, Jpeg, Wave };

struct GeneratedAsset {
    std::string name;
    AssetKind kind = AssetKind::Png;
    std::string bytes;
};

// Names ending in ".png.nosig" are PNG files stored without their 8-byte
// signature: the framework's own strips, which it loads with the signature
// restored.
std::vector<GeneratedAsset> generateAll();

}  // namespace quorvo::art
