#pragma once

// What a recipe renders and how it is asked to render it.

#include <cstdint>
#include <vector>

namespace soundgen {

// One rendered sound: one buffer per channel (one or two), any level; the
// finishing stage sets its level and edges.
struct Sound {
    int rate = 44100;
    std::vector<std::vector<double>> channels;
};

// The request a recipe renders: the recording rate, the pitch the sample
// sounds at ratio 1.0, the highest frequency it may contain (so that the
// player's highest ratio for it does not alias) and its noise seed.
struct Voicing {
    int rate = 44100;
    double pitch = 0.0;
    double bandLimit = 20000.0;
    std::uint64_t seed = 1;
};

using Recipe = Sound (*)(const Voicing&);

} // namespace soundgen
