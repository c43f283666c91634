#pragma once

#include <array>

// The fifteen instruments in palette order: a note's prog is its index + 1.
inline constexpr std::array<const char*, 15> kInstrumentNames = {
    "Zubo", "Rezedo", "Dozevid", "Star",  "Flower", "Pocket", "Dog",  "Cat",
    "Pig",  "Goose",  "Ruzed",   "Plane", "Ship",   "Car",    "Heart"};
