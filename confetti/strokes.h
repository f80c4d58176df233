#pragma once
// The strokes of the red figure, seven block capitals near the top of the
// window. A stroke is the range of top-left corners its squares may take.

#include <algorithm>
#include <array>

struct Stroke {
    int letter;     // num1, 1 to 7
    int number;     // num, 1 to 4
    float xOffset;
    float xSpan;
    float yOffset;
    float ySpan;
};

inline constexpr std::array<Stroke, 24> kStrokes{{
    {1, 1, 300, 200, 500, 2000},    // E stem
    {1, 2, 300, 750, 500, 200},     // E top bar
    {1, 3, 300, 750, 2300, 200},    // E bottom bar
    {1, 4, 300, 750, 1200, 200},    // E middle bar
    {2, 1, 1600, 200, 500, 2000},   // O left side
    {2, 2, 2500, 200, 500, 2000},   // O right side
    {2, 3, 1750, 750, 500, 200},    // O top bar
    {2, 4, 1750, 750, 2300, 200},   // O bottom bar
    {3, 1, 2900, 200, 500, 2000},   // L stem
    {3, 2, 2900, 950, 2300, 200},   // L bottom bar
    {4, 1, 4000, 200, 500, 2000},   // A left side
    {4, 2, 4700, 200, 500, 2000},   // A right side
    {4, 3, 4150, 750, 500, 200},    // A top bar
    {4, 4, 4150, 750, 1200, 200},   // A cross bar
    {5, 1, 5200, 200, 500, 2000},   // F stem
    {5, 2, 5200, 950, 500, 200},    // F top bar
    {5, 3, 5200, 750, 1200, 200},   // F middle bar
    {6, 1, 6875, 200, 500, 2000},   // I stem
    {6, 2, 6500, 950, 500, 200},    // I top bar
    {6, 3, 6500, 950, 2300, 200},   // I bottom bar
    {7, 1, 7700, 200, 500, 2000},   // E stem
    {7, 2, 7890, 400, 1200, 200},   // E middle bar
    {7, 3, 7700, 950, 500, 200},    // E top bar
    {7, 4, 7700, 950, 2300, 200},   // E bottom bar
}};

// The stroke for a letter and stroke number, or none.
inline const Stroke* findStroke(int letter, int number)
{
    const auto it = std::ranges::find_if(kStrokes, [&](const Stroke& s) { return s.letter == letter && s.number == number; });
    return it == kStrokes.end() ? nullptr : &*it;
}
