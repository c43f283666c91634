// The three effect sounds: the end mark's chime, the switches' click and
// the eraser's swish.

#include "tools/soundgen/Dsp.h"
#include "tools/soundgen/Instruments.h"

#include <cmath>

namespace soundgen {

// End: a short bright chime. Four steel-bar strikes (modes 1 : 2.76 :
// 5.40) rising C6 E6 G6 C7, 60 ms apart, each ringing out. 0.7 s.
Sound endChime(const Voicing& v) {
    Rng rng(v.seed);
    const double notes[] = {1046.5, 1318.51, 1567.98, 2093.0};
    std::vector<double> out(frames(v.rate, 0.7), 0.0);
    for (int i = 0; i < 4; ++i) {
        const double onset = 0.06 * i;
        const double gains[] = {1.0, 0.3, 0.12};
        const double taus[] = {0.14, 0.06, 0.03};
        Additive bar{v.rate,
                     0.7,
                     v.bandLimit,
                     {1.0, 2.756, 5.404},
                     [&notes, i](double) { return notes[i]; },
                     [&](std::size_t k, double t, double) {
                         return gains[k] * strike(t - onset, 0.0008, taus[k]);
                     }};
        mixInto(out, bar.render(rng), 1.0);
    }
    return Sound{v.rate, {std::move(out)}};
}

// Click: a tick. A 3 kHz ping and a burst of high noise, both gone within
// a few milliseconds. 30 ms.
Sound click(const Voicing& v) {
    Rng rng(v.seed);
    std::vector<double> out = shapedNoise(
        v.rate, 0.03, v.bandLimit, Biquad::highpass(v.rate, 2500.0, 0.7),
        [](double t) { return strike(t, 0.0003, 0.0015); }, rng);
    for (std::size_t n = 0; n < out.size(); ++n) {
        const double t = static_cast<double>(n) / v.rate;
        out[n] += 0.8 * std::sin(2.0 * kPi * 3000.0 * t) * strike(t, 0.0003, 0.003);
    }
    return Sound{v.rate, {std::move(out)}};
}

// Eraser: a swish. White noise through a band-pass that sweeps from 1.2 to
// 6 kHz, swelling and fading like a quick wipe. 0.24 s.
Sound eraserSwish(const Voicing& v) {
    Rng rng(v.seed);
    std::vector<double> out = noise(v.rate, 0.24, rng);
    Biquad sweep = Biquad::bandpass(v.rate, 1200.0, 1.5);
    for (std::size_t n = 0; n < out.size(); ++n) {
        const double t = static_cast<double>(n) / v.rate;
        const double x = t / 0.24;
        sweep.retuneBandpass(v.rate, 1200.0 * std::pow(5.0, x), 1.5);
        out[n] = sweep.process(out[n]) * std::sin(kPi * x) * std::sin(kPi * x);
    }
    return Sound{v.rate, {std::move(out)}};
}

} // namespace soundgen
