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

// An upper-range sample is its recipe rendered kUpperSpeed times slower, at
// a rate and a pitch that much lower, and then played at the full rate: its
// envelopes run that much faster and its resonances lie that much higher. So
// where the player moves from an instrument's lower sample, pitched up, to
// its upper one, pitched down, the two match in brightness and ring (a real
// instrument's resonances also follow its register, at least in part).
inline constexpr double kUpperSpeed = 1.0 / 0.58;

// The sound of one entry, at the entry's rate.
Sound render(const Entry& entry);

} // namespace soundgen
