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

// How a sound's level is set. Instruments are set by loudness, so that they
// sound equally loud side by side whatever their crest; the effect sounds,
// short ticks and chimes, by their peak.
enum class Level { Loudness, Peak };

// The loudness of an instrument: the RMS of its loudest 400 ms (a momentary
// loudness meter), in dB below full scale.
inline constexpr double kLoudnessDbfs = -13.5;
// The highest peak of an effect sound, in dB below full scale.
inline constexpr double kPeakDbfs = -2.0;

// Removes any DC drift, fades the first 2 ms in from exactly zero and the last
// 20 ms out to exactly zero (no click when a voice starts or is cut), sets the
// level and rounds to 16 bits.
Pcm finish(const Sound& sound, Level level);

} // namespace soundgen
