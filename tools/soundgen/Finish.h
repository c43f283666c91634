#pragma once

// The finishing stage every sound goes through before it is written.

#include "tools/soundgen/Sound.h"

#include <cstdint>
#include <vector>

namespace soundgen {

// 16-bit frames, channels interleaved.
struct Pcm {
    int rate = 44100;
    int channels = 1;
    std::vector<std::int16_t> samples;
};

// The level every sound is set to: its highest peak, in dB below full scale.
inline constexpr double kPeakDbfs = -2.0;

// Removes any DC drift, fades the first 2 ms in from exactly zero and the last
// 20 ms out to exactly zero (no click when a voice starts or is cut), sets the
// loudest peak of all channels to kPeakDbfs and rounds to 16 bits.
Pcm finish(const Sound& sound);

} // namespace soundgen
