#pragma once
// Colour numbers: red + 256 * green + 65536 * blue, each level 0 to 255.

#include <cstdint>

namespace rt {

using Colour = std::int32_t;

constexpr Colour rgb(int red, int green, int blue)
{
    return red + 256 * green + 65536 * blue;
}

constexpr int redOf(Colour c) { return c & 0xff; }
constexpr int greenOf(Colour c) { return (c >> 8) & 0xff; }
constexpr int blueOf(Colour c) { return (c >> 16) & 0xff; }

} // namespace rt
