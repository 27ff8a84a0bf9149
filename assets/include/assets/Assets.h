#pragma once

// The program's embedded pictures and sounds, found by file name.
//
// Names ending in ".png.nosig" are PNG files stored without their 8-byte
// signature (the framework's own strips); load them with the signature
// restored. The frame layouts are in assets/Layout.h.

#include <cstddef>
#include <span>
#include <string_view>

namespace quorvo::assets {

struct Asset {
    std::string_view name;
    std::span<const std::byte> bytes;
};

// The embedded file of that name; empty when there is none.
std::span<const std::byte> find(std::string_view name);

// Every embedded file, in a fixed order.
std::span<const Asset> all();

// True for the files stored without their PNG signature.
constexpr bool lacksPngSignature(std::string_view name)
{
    return name.ends_with(".png.nosig");
}

// The bytes as a string view, for interfaces that take byte strings.
inline std::string_view asStringView(std::span<const std::byte> bytes)
{
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace quorvo::assets
