// The machine instruments: Plane, Ship, Car.

#include "tools/soundgen/Dsp.h"
#include "tools/soundgen/Instruments.h"

#include <cmath>

namespace soundgen {

// Plane: a buzzy propeller engine. A sawtooth-like engine (k^-1.2) under an
// engine growl at 600 Hz and 1.5 kHz, with a second, quieter engine five
// cents sharp: it colours the tone without making it swing in level. A 26 Hz
// propeller flutter chops the tone, and low wind noise rides under it. 1.0 s.
Sound plane(const Voicing& v) {
    Rng rng(v.seed);
    const Sustain level{0.08, 0.2, 0.85, 0.7, 1.0};
    const Formant growl[] = {{600.0, 400.0, 1.0}, {1500.0, 600.0, 0.5}};
    auto engine = [&](double cents) {
        const double f = transpose(v.pitch, cents / 100.0);
        return Additive{v.rate,
                        1.0,
                        v.bandLimit,
                        harmonics(40),
                        [f](double) { return f; },
                        [&](std::size_t k, double t, double hz) {
                            const double flutter =
                                1.0 - 0.35 * (0.5 + 0.5 * std::sin(2.0 * kPi * 26.0 * t));
                            return level.at(t) * flutter *
                                   std::pow(static_cast<double>(k + 1), -1.2) *
                                   formantGain(growl, hz, 0.15);
                        }};
    };
    std::vector<double> out = engine(0.0).render(rng);
    mixInto(out, engine(5.0).render(rng), 0.08);
    addShapedNoise(out, v.rate, 1.0, v.bandLimit, Biquad::lowpass(v.rate, 1000.0, 0.7), level, 0.15,
                   rng);
    return Sound{v.rate, {std::move(out)}};
}

// Ship: a two-tone ship's horn, in stereo. Two dark reeds (k^-1.5 under a
// 450 Hz resonance) an octave apart, so that they blend without beating, the
// lower one sweeping from left to right while the upper, quieter one crosses
// the other way; a slow swell from a little flat, and the pitch sags a
// semitone as the air runs out at the end. The pan is linear, so the two
// sides always add up to the same sound. 1.3 s.
Sound ship(const Voicing& v) {
    Rng rng(v.seed);
    const Sustain level{0.07, 0.3, 0.9, 0.95, 1.3};
    const Formant throat[] = {{450.0, 300.0, 1.0}, {1000.0, 500.0, 0.35}};
    auto reed = [&](double octave) {
        const double f = v.pitch * octave;
        return Additive{v.rate,
                        1.3,
                        v.bandLimit,
                        harmonics(40),
                        [f](double t) {
                            return transpose(f, -0.3 * std::exp(-t / 0.025) -
                                                    1.0 * riseAt(t, 1.05, 0.25));
                        },
                        [&](std::size_t k, double t, double hz) {
                            return level.at(t) * std::pow(static_cast<double>(k + 1), -1.5) *
                                   formantGain(throat, hz, 0.02);
                        }};
    };
    const std::vector<double> low = reed(1.0).render(rng);
    const std::vector<double> high = reed(2.0).render(rng);
    std::vector<double> left(low.size());
    std::vector<double> right(low.size());
    for (std::size_t n = 0; n < low.size(); ++n) {
        const double t = static_cast<double>(n) / v.rate;
        const double across = 0.1 + 0.8 * riseAt(t, 0.1, 1.0);
        const double upper = 0.4 * high[n];
        left[n] = (1.0 - across) * low[n] + across * upper;
        right[n] = across * low[n] + (1.0 - across) * upper;
    }
    return Sound{v.rate, {std::move(left), std::move(right)}};
}

// Car: an electric honk-horn. A bright buzz (k^-0.3) through the horn's
// diaphragm resonances at 2.8 and 4.2 kHz with a faint 700 Hz body, switched on
// and off hard like a horn button, settling from a fifth of a semitone
// flat. 0.45 s.
Sound car(const Voicing& v) {
    Rng rng(v.seed);
    const double f0 = v.pitch;
    const Sustain level{0.008, 0.05, 0.9, 0.36, 0.43};
    const Formant horn[] = {{2800.0, 500.0, 1.0}, {4200.0, 600.0, 0.7}, {700.0, 300.0, 0.2}};
    Additive buzz{v.rate,
                  0.45,
                  v.bandLimit,
                  harmonics(48),
                  [f0](double t) { return transpose(f0, -0.2 * std::exp(-t / 0.008)); },
                  [&](std::size_t k, double t, double hz) {
                      return level.at(t) * std::pow(static_cast<double>(k + 1), -0.3) *
                             formantGain(horn, hz, 0.1);
                  }};
    return Sound{v.rate, {buzz.render(rng)}};
}

} // namespace soundgen
