#pragma once
// The eight pure colours, picked by an index of 1 to 8 drawn at random.

#include "runtime/colour.h"
#include "runtime/services.h"

#include <array>

inline constexpr std::array<rt::Colour, 8> kPureColours{
    rt::rgb(0, 0, 0),         // 1 black
    rt::rgb(255, 0, 0),       // 2 red
    rt::rgb(0, 255, 0),       // 3 green
    rt::rgb(255, 255, 0),     // 4 yellow
    rt::rgb(0, 0, 255),       // 5 blue
    rt::rgb(255, 0, 255),     // 6 magenta
    rt::rgb(0, 255, 255),     // 7 cyan
    rt::rgb(255, 255, 255),   // 8 white
};

// 1 to 8 from r in [0, 1). Formed in double precision: in single precision
// the largest r below 1 would give 9.
inline int pureColourIndex(float r)
{
    return rt::floorToInt(static_cast<double>(r) * 8 + 1);
}

inline rt::Colour pureColour(int index)
{
    return kPureColours.at(static_cast<std::size_t>(index - 1));
}
