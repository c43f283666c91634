// The animal and voice instruments: Dog, Cat, Pig, Goose, Ruzed. Each is a
// voice: a pulse-like source (harmonics at k^-tilt) shaped by formants that
// stay put while the pitch moves, as a throat's resonances do.

#include "tools/soundgen/Dsp.h"
#include "tools/soundgen/Instruments.h"

#include <array>
#include <cmath>

namespace soundgen {

namespace {

Sound mono(int rate, std::vector<double> buffer) {
    return Sound{rate, {std::move(buffer)}};
}

double source(std::size_t k, double tilt) {
    return std::pow(static_cast<double>(k + 1), -tilt);
}

} // namespace

// Dog: a bark, "woof". The pitch falls five semitones onto its note in the
// first 50 ms and sags at the end; the mouth opens from "w" (F1 350 Hz) to an
// open "ou" (F1 750 Hz) and half closes again; rough breath noise rides on
// the voice, and a soft clipper makes it gruff. 0.4 s.
Sound dog(const Voicing& v) {
    Rng rng(v.seed);
    const double f0 = v.pitch;
    const std::array<Formant, 3> closed{
        {{350.0, 150.0, 1.0}, {900.0, 200.0, 0.4}, {2500.0, 300.0, 0.2}}};
    const std::array<Formant, 3> open{
        {{750.0, 200.0, 1.0}, {1400.0, 250.0, 0.6}, {2600.0, 300.0, 0.3}}};
    const Sustain level{0.006, 0.08, 0.7, 0.22, 0.38};
    Additive bark{v.rate,
                  0.4,
                  v.bandLimit,
                  harmonics(40),
                  [f0](double t) {
                      return transpose(f0, 5.0 * std::exp(-t / 0.02) - 3.0 * riseAt(t, 0.26, 0.1));
                  },
                  [&](std::size_t k, double t, double hz) {
                      const double mouth = riseAt(t, 0.0, 0.05) - 0.6 * riseAt(t, 0.22, 0.12);
                      const auto formants = blend(closed, open, mouth);
                      return level.at(t) * source(k, 1.0) * formantGain(formants, hz, 0.05);
                  }};
    std::vector<double> out = bark.render(rng);
    addShapedNoise(out, v.rate, 0.4, v.bandLimit, Biquad::bandpass(v.rate, 1100.0, 1.5), level,
                   2.0, rng);
    saturate(v.rate, v.bandLimit, 3.0, out);
    return mono(v.rate, std::move(out));
}

// Cat: a meow, "mi-a-ow". A soft nasal start glides up four semitones onto
// the note while the vowel opens from "i" to "a"; the held "a" gets a
// vibrato; then the pitch slides down five semitones as the mouth rounds to
// "u". 0.8 s.
Sound cat(const Voicing& v) {
    Rng rng(v.seed);
    const double f0 = v.pitch;
    const std::array<Formant, 3> ee{
        {{400.0, 100.0, 1.0}, {2200.0, 200.0, 0.7}, {3200.0, 300.0, 0.4}}};
    const std::array<Formant, 3> ah{
        {{800.0, 120.0, 1.0}, {1400.0, 150.0, 0.8}, {3000.0, 300.0, 0.4}}};
    const std::array<Formant, 3> oo{
        {{450.0, 100.0, 1.0}, {900.0, 150.0, 0.5}, {2800.0, 300.0, 0.2}}};
    const Sustain level{0.06, 0.2, 0.8, 0.5, 0.8};
    Additive meow{v.rate,
                  0.8,
                  v.bandLimit,
                  harmonics(40),
                  [f0](double t) {
                      const double rise = -4.0 * (1.0 - riseAt(t, 0.0, 0.07));
                      const double vibrato =
                          0.15 * riseAt(t, 0.15, 0.1) * std::sin(2.0 * kPi * 6.0 * (t - 0.15));
                      return transpose(f0, rise + vibrato - 5.0 * riseAt(t, 0.45, 0.3));
                  },
                  [&](std::size_t k, double t, double hz) {
                      const auto opening = blend(ee, ah, riseAt(t, 0.03, 0.12));
                      const auto formants = blend(opening, oo, riseAt(t, 0.4, 0.3));
                      return level.at(t) * source(k, 1.2) * formantGain(formants, hz, 0.03);
                  }};
    std::vector<double> out = meow.render(rng);
    addShapedNoise(out, v.rate, 0.8, v.bandLimit, Biquad::bandpass(v.rate, 3000.0, 1.0), level,
                   0.05, rng);
    return mono(v.rate, std::move(out));
}

// Pig: an oink. A buzzy source (k^-0.8) through nasal resonances with a
// notch at 900 Hz, the second formant rising "o" to "i" as the pitch lifts
// onto the note; a 37 Hz flutter gives the grunt its roughness, and the tail
// drops four semitones into the "nk". 0.42 s.
Sound pig(const Voicing& v) {
    Rng rng(v.seed);
    const double f0 = v.pitch;
    const Sustain level{0.015, 0.1, 0.7, 0.28, 0.42};
    Additive oink{
        v.rate,
        0.42,
        v.bandLimit,
        harmonics(40),
        [f0](double t) {
            return transpose(f0, -2.0 * (1.0 - riseAt(t, 0.0, 0.05)) - 4.0 * riseAt(t, 0.25, 0.15));
        },
        [&](std::size_t k, double t, double hz) {
            const double f2 = 1000.0 + 800.0 * riseAt(t, 0.05, 0.15);
            const Formant nose[] = {{550.0, 150.0, 1.0}, {f2, 250.0, 0.6}, {2800.0, 300.0, 0.3}};
            const double x = (hz - 900.0) / 120.0;
            const double notch = 1.0 - 0.8 / (1.0 + x * x);
            const double flutter = 1.0 - 0.35 * (0.5 + 0.5 * std::sin(2.0 * kPi * 37.0 * t));
            return level.at(t) * flutter * source(k, 0.8) * notch * formantGain(nose, hz, 0.04);
        }};
    std::vector<double> out = oink.render(rng);
    addShapedNoise(out, v.rate, 0.42, v.bandLimit, Biquad::bandpass(v.rate, 500.0, 1.0), level,
                   0.3, rng);
    return mono(v.rate, std::move(out));
}

// Goose: a honk. A harsh reedy source (k^-0.6) through bright nasal
// formants at 1.0, 1.9 and 3.0 kHz; it scoops up a semitone and a half onto
// the note and drops at the end as the honk breaks off, with breath noise. 0.5 s.
Sound goose(const Voicing& v) {
    Rng rng(v.seed);
    const double f0 = v.pitch;
    const Sustain level{0.02, 0.1, 0.8, 0.34, 0.5};
    const Formant beak[] = {{1000.0, 300.0, 1.0}, {1900.0, 400.0, 0.8}, {3000.0, 500.0, 0.4}};
    Additive honk{v.rate,
                  0.5,
                  v.bandLimit,
                  harmonics(40),
                  [f0](double t) {
                      return transpose(f0, -1.5 * (1.0 - riseAt(t, 0.0, 0.05)) -
                                               1.5 * riseAt(t, 0.36, 0.12));
                  },
                  [&](std::size_t k, double t, double hz) {
                      return level.at(t) * source(k, 0.6) * formantGain(beak, hz, 0.08);
                  }};
    std::vector<double> out = honk.render(rng);
    addShapedNoise(out, v.rate, 0.5, v.bandLimit, Biquad::bandpass(v.rate, 2000.0, 1.0), level,
                   0.15, rng);
    return mono(v.rate, std::move(out));
}

// Ruzed: a sung "ah". A glottal source (k^-1.3) through the formants of a
// bright cartoon voice (850, 1250, 2900, 3900 Hz); a small scoop onto the
// note, a vibrato that blooms after 0.3 s (5.2 Hz, a fifth of a semitone),
// a breathy edge. 1.2 s.
Sound ruzed(const Voicing& v) {
    Rng rng(v.seed);
    const double f0 = v.pitch;
    const Sustain level{0.07, 0.3, 0.85, 0.85, 1.2};
    const Formant ah[] = {
        {850.0, 90.0, 1.0}, {1250.0, 110.0, 0.7}, {2900.0, 180.0, 0.35}, {3900.0, 250.0, 0.2}};
    Additive voice{v.rate,
                   1.2,
                   v.bandLimit,
                   harmonics(40),
                   [f0](double t) {
                       const double scoop = -0.3 * std::exp(-t / 0.02);
                       const double vibrato =
                           0.2 * riseAt(t, 0.3, 0.25) * std::sin(2.0 * kPi * 5.2 * (t - 0.3));
                       return transpose(f0, scoop + vibrato);
                   },
                   [&](std::size_t k, double t, double hz) {
                       return level.at(t) * source(k, 1.3) * formantGain(ah, hz, 0.02);
                   }};
    std::vector<double> out = voice.render(rng);
    addShapedNoise(out, v.rate, 1.2, v.bandLimit, Biquad::bandpass(v.rate, 3000.0, 1.0), level,
                   0.03, rng);
    return mono(v.rate, std::move(out));
}

} // namespace soundgen
