#pragma once

// The 27 sounds the build generates and what each must be.

#include <array>
#include <cstdlib>
#include <ostream>
#include <string>

namespace soundtest {

enum class Kind { Lower, Upper, Effect };

struct Expected {
    int number;
    const char* name;
    Kind kind;
    // Where the tone has settled on its note, in seconds: after attacks,
    // scoops and breaks, before vibratos and falls.
    double settledFrom = 0.06;
    double settledTo = 0.26;
};

// F4 and E5: lower-range samples sound F4 at ratio 1.0, upper-range ones E5.
inline constexpr double kF4 = 349.23;
inline constexpr double kE5 = 659.26;

inline constexpr std::array<Expected, 27> kSounds{{
    {1, "Zubo", Kind::Lower},
    {21, "Zubo", Kind::Upper},
    {2, "Rezedo", Kind::Lower},
    {28, "Rezedo", Kind::Upper},
    {3, "Dozevid", Kind::Lower},
    {4, "Star", Kind::Lower},
    {22, "Star", Kind::Upper},
    {5, "Flower", Kind::Lower},
    {23, "Flower", Kind::Upper},
    {6, "Pocket", Kind::Lower},
    {24, "Pocket", Kind::Upper},
    {7, "Dog", Kind::Lower, 0.03, 0.09},
    {8, "Cat", Kind::Lower},
    {9, "Pig", Kind::Lower, 0.25, 0.4},
    {10, "Goose", Kind::Lower, 0.1, 0.3},
    {11, "Ruzed", Kind::Lower},
    {12, "Plane", Kind::Lower},
    {25, "Plane", Kind::Upper},
    {13, "Ship", Kind::Lower},
    {29, "Ship", Kind::Upper},
    {14, "Car", Kind::Lower},
    {26, "Car", Kind::Upper},
    {15, "Heart", Kind::Lower},
    {27, "Heart", Kind::Upper},
    {16, "End", Kind::Effect},
    {18, "Click", Kind::Effect},
    {20, "Eraser", Kind::Effect},
}};

inline void PrintTo(const Expected& e, std::ostream* os) {
    *os << e.name << " sound" << e.number;
}

inline std::string fileName(int number) {
    return "sound" + std::to_string(number) + ".wav";
}

// The build's resource folder, as the test environment names it.
inline std::string resourcePath(int number) {
    const char* dir = std::getenv("ZUBO_RESOURCES");
    return std::string(dir != nullptr ? dir : ".") + "/" + fileName(number);
}

} // namespace soundtest
