#include "assets/Assets.h"

#include <algorithm>
#include <array>

// The symbols come from the generated assembler file, which includes each
// file's bytes between a begin and an end label.
#define QUORVO_ASSET(index, name)                                                                                      \
    extern "C" const std::byte quorvo_asset_##index##_begin[];                                                         \
    extern "C" const std::byte quorvo_asset_##index##_end[];
#include "AssetList.inc"
#undef QUORVO_ASSET

namespace quorvo::assets {

namespace {

#define QUORVO_ASSET(index, name)                                                                                      \
    Asset {name, std::span<const std::byte>(quorvo_asset_##index##_begin, quorvo_asset_##index##_end)},
const std::array index {
#include "AssetList.inc"
};
#undef QUORVO_ASSET

}  // namespace

std::span<const std::byte> find(std::string_view name)
{
    const auto found = std::ranges::find(index, name, &Asset::name);
    return found == index.end() ? std::span<const std::byte> {} : found->bytes;
}

std::span<const Asset> all()
{
    return index;
}

}  // namespace quorvo::assets
