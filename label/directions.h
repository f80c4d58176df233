#pragma once
// The label's direction codes, one lowercase letter each, compared as texts.

#include <string>

inline const std::string kUp = "u";
inline const std::string kDown = "d";
inline const std::string kLeft = "l";
inline const std::string kRight = "r";
