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

// Breath nearly as loud as the voice, for the rough calls.
constexpr double kBreathToVoice = 0.7;
// The Pig's grunt against its oink, by RMS.
constexpr double kGruntToOink = 1.3;

} // namespace

// Dog: a bark, "wuf". Struck at once and decaying from its onset (down
// 20 dB after 0.15 to 0.2 s), its pitch arches: up three semitones onto the note
// in 30 ms, held for 60 ms, then falling four; the mouth opens from "w" (F1
// 350 Hz) to an open "a" (F1 750 Hz); rough breath noise as strong as the
// voice, and a soft clipper for the gruffness. 0.24 s.
Sound dog(const Voicing& v) {
    Rng rng(v.seed);
    const double f0 = v.pitch;
    const std::array<Formant, 3> closed{
        {{350.0, 150.0, 1.0}, {900.0, 200.0, 0.4}, {2500.0, 300.0, 0.2}}};
    const std::array<Formant, 3> open{
        {{750.0, 200.0, 1.0}, {1400.0, 250.0, 0.6}, {2600.0, 300.0, 0.3}}};
    // Falling from the onset, slowly at first and then ever faster (a cosine
    // quarter, squared): a bark that keeps its body and still ends short.
    auto level = [](double t) {
        return riseAt(t, 0.0, 0.004) * std::pow(std::cos(0.5 * kPi * std::min(t / 0.2, 1.0)), 2.0);
    };
    Additive bark{v.rate,
                  0.24,
                  v.bandLimit,
                  harmonics(40),
                  [f0](double t) {
                      return transpose(f0, -3.0 * (1.0 - riseAt(t, 0.0, 0.03)) -
                                               4.0 * riseAt(t, 0.09, 0.08));
                  },
                  [&](std::size_t k, double t, double hz) {
                      const auto formants = blend(closed, open, riseAt(t, 0.0, 0.04));
                      return level(t) * source(k, 1.0) * formantGain(formants, hz, 0.05);
                  }};
    std::vector<double> out = bark.render(rng);
    const std::vector<double> breath =
        shapedNoise(v.rate, 0.24, v.bandLimit, Biquad::bandpass(v.rate, 1100.0, 0.8), level, rng);
    mixInto(out, breath, kBreathToVoice * rms(out) / rms(breath));
    saturate(v.rate, v.bandLimit, 2.5, out);
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

// Pig: a grunt, then an oink. The grunt is a low pulse two octaves under
// the note (a buzz at a quarter of its pitch, 87 Hz at F4) through the nasal
// resonances, with breath noise as strong as the voice; the oink then
// rises onto the note through the same nose, the second formant moving from
// "o" to "i", and drops four semitones into the "nk". 0.55 s.
Sound pig(const Voicing& v) {
    Rng rng(v.seed);
    const double f0 = v.pitch;
    const Sustain gruntLevel{0.01, 0.05, 0.8, 0.1, 0.18};
    const Sustain oinkLevel{0.12, 0.1, 0.7, 0.4, 0.55};
    auto nose = [](double t, double hz) {
        const double f2 = 1000.0 + 800.0 * riseAt(t, 0.17, 0.15);
        const Formant formants[] = {{550.0, 200.0, 1.0}, {f2, 250.0, 0.6}, {2800.0, 300.0, 0.3}};
        const double x = (hz - 900.0) / 120.0;
        return (1.0 - 0.8 / (1.0 + x * x)) * formantGain(formants, hz, 0.1);
    };
    Additive grunt{v.rate,
                   0.2,
                   v.bandLimit,
                   harmonics(120),
                   [f0](double) { return f0 / 4.0; },
                   [&](std::size_t k, double t, double hz) {
                       return gruntLevel.at(t) * source(k, 0.5) * nose(t, hz);
                   }};
    std::vector<double> rough = grunt.render(rng);
    const std::vector<double> breath = shapedNoise(
        v.rate, 0.2, v.bandLimit, Biquad::bandpass(v.rate, 600.0, 0.8),
        [&gruntLevel](double t) { return gruntLevel.at(t); }, rng);
    mixInto(rough, breath, kBreathToVoice * rms(rough) / rms(breath));
    // Clipped, for the grunt's gruffness and to keep its pulses from
    // towering over the oink.
    saturate(v.rate, v.bandLimit, 2.5, rough);
    Additive oink{v.rate,
                  0.55,
                  v.bandLimit,
                  harmonics(40),
                  [f0](double t) {
                      return transpose(f0, -2.0 * (1.0 - riseAt(t, 0.12, 0.06)) -
                                               4.0 * riseAt(t, 0.4, 0.15));
                  },
                  [&](std::size_t k, double t, double hz) {
                      return oinkLevel.at(t) * source(k, 0.8) * nose(t, hz);
                  }};
    std::vector<double> out = oink.render(rng);
    mixInto(out, rough, kGruntToOink * rms(out) / rms(rough));
    addShapedNoise(out, v.rate, 0.55, v.bandLimit, Biquad::bandpass(v.rate, 500.0, 1.0), oinkLevel,
                   0.3, rng);
    return mono(v.rate, std::move(out));
}

// Goose: a honk with a break. A harsh reedy source (k^-0.4) through bright
// nasal formants at 1.1, 2.4 and 3.4 kHz starts as a squawk seven semitones
// up and breaks down onto the note within 10 ms, as a goose's voice
// flips; it sags at the end as the honk breaks off, with breath noise. 0.5 s.
Sound goose(const Voicing& v) {
    Rng rng(v.seed);
    const double f0 = v.pitch;
    const Sustain level{0.015, 0.1, 0.8, 0.34, 0.5};
    const Formant beak[] = {{1100.0, 300.0, 0.7}, {2400.0, 400.0, 1.0}, {3400.0, 500.0, 0.6}};
    Additive honk{v.rate,
                  0.5,
                  v.bandLimit,
                  harmonics(40),
                  [f0](double t) {
                      return transpose(f0, 7.0 * (1.0 - riseAt(t, 0.06, 0.01)) -
                                               1.5 * riseAt(t, 0.36, 0.12));
                  },
                  [&](std::size_t k, double t, double hz) {
                      return level.at(t) * source(k, 0.4) * formantGain(beak, hz, 0.05);
                  }};
    std::vector<double> out = honk.render(rng);
    addShapedNoise(out, v.rate, 0.5, v.bandLimit, Biquad::bandpass(v.rate, 2500.0, 1.0), level,
                   0.15, rng);
    return mono(v.rate, std::move(out));
}

// Ruzed: a sung "ah". A glottal source (k^-1.1) through the sharp
// resonances of a round cartoon voice (850, 1250, and faint 2900, 3900 Hz),
// 300 to 400 Hz wide so that harmonics fall within them at any note and the
// vowel stands out over the fundamental; a small scoop onto the
// note, a vibrato that blooms after 0.3 s (5.2 Hz, a fifth of a semitone),
// a breathy edge. 1.2 s.
Sound ruzed(const Voicing& v) {
    Rng rng(v.seed);
    const double f0 = v.pitch;
    const Sustain level{0.07, 0.3, 0.85, 0.85, 1.2};
    const Formant ah[] = {
        {850.0, 300.0, 1.0}, {1250.0, 350.0, 0.8}, {2900.0, 400.0, 0.04}, {3900.0, 400.0, 0.02}};
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
                       double vowel = 0.003;
                       for (const Formant& f : ah) {
                           vowel += f.peakAt(hz);
                       }
                       return level.at(t) * source(k, 1.1) * vowel;
                   }};
    std::vector<double> out = voice.render(rng);
    addShapedNoise(out, v.rate, 1.2, v.bandLimit, Biquad::bandpass(v.rate, 3000.0, 1.0), level,
                   0.05, rng);
    return mono(v.rate, std::move(out));
}

} // namespace soundgen
