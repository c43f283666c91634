#pragma once

// The 27 sound resources: which recipe makes each, at which pitch and rate.

#include "tools/soundgen/Sound.h"

#include <span>

namespace soundgen {

// F4 (MIDI 65) and E5 (MIDI 76): the pitches at which the player sounds a
// lower-range and an upper-range sample unchanged (ratio 1.0).
inline constexpr double kLowerPitch = 349.228231433;
inline constexpr double kUpperPitch = 659.255113826;

struct Entry {
    int number; // the resource is "sound<number>.wav"
    Recipe recipe;
    double pitch; // 0 for the effect sounds, which carry their own pitches
    int rate;
    double maxRatio; // the highest ratio the player applies to this sample
};

std::span<const Entry> catalogue();

// The request for one entry: its band limit keeps every partial below the
// output's Nyquist frequency at the entry's highest ratio.
Voicing voicingFor(const Entry& entry);

} // namespace soundgen
