// The melodic instruments: Zubo, Rezedo, Dozevid, Star, Flower, Pocket, Heart.

#include "tools/soundgen/Dsp.h"
#include "tools/soundgen/Instruments.h"

#include <cmath>

namespace soundgen {

namespace {

Sound mono(int rate, std::vector<double> buffer) {
    return Sound{rate, {std::move(buffer)}};
}

// Decay times shrink gently with pitch, as they do on real bars and strings,
// so the upper sample of an instrument rings a little shorter than the lower.
double registerScale(double pitch) {
    return std::pow(349.23 / pitch, 0.35);
}

} // namespace

// Zubo: a bright plucked lead. Harmonics of a string plucked a fifth of the
// way along (|sin(k pi / 5)| / k), each decaying faster the higher it lies
// (above 5 kHz), through a small body resonance at 500 Hz and a strong one
// at 2.5 kHz, over a light 5 ms
// pick noise; a soft pick (4 ms) keeps the first peak from towering over
// the tone, and the body answers with a low thump at 110 Hz. The string is stopped over the last
// 0.2 s. 1.2 s.
constexpr double kZuboBodyHz = 110.0;

Sound zubo(const Voicing& v) {
    Rng rng(v.seed);
    const double f0 = v.pitch;
    const Formant body[] = {{500.0, 400.0, 0.6}, {2500.0, 1500.0, 2.5}};
    Additive pluck{v.rate,
                   1.2,
                   v.bandLimit,
                   harmonics(48),
                   [f0](double) { return f0; },
                   [&body](std::size_t k, double t, double hz) {
                       const double n = static_cast<double>(k + 1);
                       const double shape = (std::abs(std::sin(n * kPi / 5.0)) + 0.08) / n;
                       const double tau = 0.75 / (1.0 + std::pow(hz / 5000.0, 1.5));
                       return shape * formantGain(body, hz, 1.0) * strike(t, 0.004, tau);
                   }};
    std::vector<double> out = pluck.render(rng);
    mixInto(out,
            shapedNoise(
                v.rate, 0.02, v.bandLimit, Biquad::bandpass(v.rate, 7000.0, 0.8),
                [](double t) { return strike(t, 0.001, 0.004); }, rng),
            0.15);
    // The body's air resonance answers the pluck with a short low thump.
    std::vector<double> thump(out.size());
    for (std::size_t n = 0; n < thump.size(); ++n) {
        const double t = static_cast<double>(n) / v.rate;
        thump[n] = std::sin(2.0 * kPi * kZuboBodyHz * t) * strike(t, 0.003, 0.04);
    }
    mixInto(out, thump, 0.25);
    damp(v.rate, 0.2, out);
    return mono(v.rate, std::move(out));
}

// Rezedo: a marimba-like pop. A wooden bar's tuned modes 1 : 4 : 10 with
// short decays (the tube keeps the fundamental longest), a bend of half a
// semitone down in the first 10 ms for the pop, and a soft mallet knock of
// band-passed noise. 0.9 s.
Sound rezedo(const Voicing& v) {
    Rng rng(v.seed);
    const double f0 = v.pitch;
    const double scale = registerScale(f0);
    const double gains[] = {1.0, 0.32, 0.1};
    const double taus[] = {0.32 * scale, 0.07 * scale, 0.025 * scale};
    Additive bar{
        v.rate,
        0.9,
        v.bandLimit,
        {1.0, 4.0, 10.0},
        [f0](double t) { return transpose(f0, 0.5 * std::exp(-t / 0.01)); },
        [&](std::size_t k, double t, double) { return gains[k] * strike(t, 0.001, taus[k]); }};
    std::vector<double> out = bar.render(rng);
    mixInto(out,
            shapedNoise(
                v.rate, 0.03, v.bandLimit, Biquad::bandpass(v.rate, 1800.0, 1.2),
                [](double t) { return strike(t, 0.0005, 0.006); }, rng),
            0.5);
    damp(v.rate, 0.25, out);
    return mono(v.rate, std::move(out));
}

// Dozevid: a rubbery blip. A near-sine whose brightness (harmonics at
// b^(k-1)) dies away quickly, dropping an octave onto its note in the first
// 40 ms and wobbling around it like a plucked rubber band (11 Hz, a third of a
// semitone, fading). 0.55 s.
Sound dozevid(const Voicing& v) {
    Rng rng(v.seed);
    const double f0 = v.pitch;
    Additive blip{v.rate,
                  0.55,
                  v.bandLimit,
                  harmonics(8),
                  [f0](double t) {
                      const double drop = 12.0 * std::exp(-t / 0.012);
                      const double wobble =
                          0.35 * std::exp(-t / 0.07) * std::sin(2.0 * kPi * 11.0 * t);
                      return transpose(f0, drop + wobble);
                  },
                  [](std::size_t k, double t, double) {
                      const double bright = 0.15 + 0.45 * std::exp(-t / 0.04);
                      return std::pow(bright, static_cast<double>(k)) *
                             Sustain{0.003, 0.12, 0.45, 0.3, 0.55}.at(t);
                  }};
    return mono(v.rate, blip.render(rng));
}

// Star: a glockenspiel sparkle. A free steel bar's modes 1 : 2.76 : 5.40 :
// 8.93, the upper ones dying first, a bright metallic tick, and three tiny
// harmonic twinkles (4th, 6th, 8th harmonic) striking 50 ms apart. 1.4 s.
Sound star(const Voicing& v) {
    Rng rng(v.seed);
    const double f0 = v.pitch;
    const double scale = registerScale(f0);
    const double gains[] = {1.0, 0.4, 0.2, 0.1, 0.07, 0.06, 0.05};
    const double taus[] = {0.55, 0.22, 0.08, 0.04, 0.06, 0.05, 0.04};
    const double onsets[] = {0.0, 0.0, 0.0, 0.0, 0.05, 0.10, 0.15};
    Additive bar{v.rate,
                 1.4,
                 v.bandLimit,
                 {1.0, 2.756, 5.404, 8.933, 4.0, 6.0, 8.0},
                 [f0](double) { return f0; },
                 [&](std::size_t k, double t, double) {
                     return gains[k] * strike(t - onsets[k], 0.0008, taus[k] * scale);
                 }};
    std::vector<double> out = bar.render(rng);
    mixInto(out,
            shapedNoise(
                v.rate, 0.02, v.bandLimit,
                Biquad::bandpass(v.rate, std::min(6000.0, v.bandLimit), 2.0),
                [](double t) { return strike(t, 0.0003, 0.002); }, rng),
            0.3);
    damp(v.rate, 0.35, out);
    return mono(v.rate, std::move(out));
}

// Flower: a brass-like tone. Harmonics whose reach grows with loudness
// (exp(-(k-1) / (0.8 + 8 x level))), as a horn brightens when blown harder,
// under a 1.8 kHz bell resonance that gives it its brassy edge; a lip scoop up from 40 cents flat,
// then a vibrato that starts after 0.3 s; a breath of noise. 0.85 s.
Sound flower(const Voicing& v) {
    Rng rng(v.seed);
    const double f0 = v.pitch;
    const Sustain level{0.045, 0.15, 0.75, 0.55, 0.85};
    const Formant bell[] = {{1800.0, 800.0, 1.0}};
    Additive horn{v.rate,
                  0.85,
                  v.bandLimit,
                  harmonics(40),
                  [f0](double t) {
                      const double scoop = -0.4 * std::exp(-t / 0.015);
                      const double vibrato =
                          0.12 * riseAt(t, 0.3, 0.2) * std::sin(2.0 * kPi * 5.5 * (t - 0.3));
                      return transpose(f0, scoop + vibrato);
                  },
                  [&](std::size_t k, double t, double hz) {
                      const double e = level.at(t);
                      const double reach = 0.8 + 8.0 * e;
                      return e * std::exp(-static_cast<double>(k) / reach) *
                             formantGain(bell, hz, 0.15);
                  }};
    std::vector<double> out = horn.render(rng);
    addShapedNoise(out, v.rate, 0.85, v.bandLimit, Biquad::bandpass(v.rate, 1500.0, 1.0), level,
                   0.04, rng);
    return mono(v.rate, std::move(out));
}

// Pocket: a square-wave chip tone at 22050 Hz. Odd harmonics at 1/k up to
// the eleventh (a band-limited square, with as many harmonics in the upper
// sample as in the lower, so both are equally bright); the attack jumps an octave up for one 60 Hz
// frame, and the volume steps through sixteen levels once a frame, as on a handheld game's sound
// chip; a light vibrato after 0.25 s. 0.6 s.
constexpr int kPocketHarmonics = 11;

Sound pocket(const Voicing& v) {
    Rng rng(v.seed);
    const double f0 = v.pitch;
    const Sustain level{0.004, 0.1, 0.45, 0.38, 0.6};
    Additive chip{v.rate,
                  0.6,
                  v.bandLimit,
                  harmonics(kPocketHarmonics),
                  [f0](double t) {
                      if (t < 1.0 / 60.0) {
                          return 2.0 * f0;
                      }
                      const double vibrato =
                          0.1 * riseAt(t, 0.25, 0.1) * std::sin(2.0 * kPi * 6.0 * (t - 0.25));
                      return transpose(f0, vibrato);
                  },
                  [&level](std::size_t k, double t, double) {
                      if (k % 2 == 1) {
                          return 0.0;
                      }
                      // The chip sets its volume at the middle of each frame.
                      const double frame = (std::floor(t * 60.0) + 0.5) / 60.0;
                      const double stepped = std::round(15.0 * level.at(frame)) / 15.0;
                      return stepped * riseAt(t, 0.0, 0.004) / static_cast<double>(k + 1);
                  }};
    return mono(v.rate, chip.render(rng));
}

// Heart: a soft bell, in stereo. A fundamental with a little octave and
// twelfth and two inharmonic partials (-10 and -15 dB) that give the bell
// its colour before they die away, a soft 8 ms
// attack and a long ring, and a slow tremolo (4.2 Hz) a quarter cycle apart
// on the two sides so the tone gently sways. 1.4 s.
Sound heart(const Voicing& v) {
    Rng rng(v.seed);
    const double f0 = v.pitch;
    const double scale = registerScale(f0);
    const double gains[] = {1.0, 0.3, 0.12, 0.3, 0.18};
    const double taus[] = {0.45, 0.3, 0.2, 0.15, 0.1};
    Additive bell{v.rate,
                  1.4,
                  v.bandLimit,
                  {1.0, 2.0, 3.0, 4.16, 5.43},
                  [f0](double) { return f0; },
                  [&](std::size_t k, double t, double) {
                      return gains[k] * strike(t, 0.008, taus[k] * scale);
                  }};
    std::vector<double> tone = bell.render(rng);
    damp(v.rate, 0.4, tone);
    Sound out{v.rate, {tone, tone}};
    for (std::size_t side = 0; side < 2; ++side) {
        const double phase = 0.5 * kPi * static_cast<double>(side);
        for (std::size_t n = 0; n < tone.size(); ++n) {
            const double t = static_cast<double>(n) / v.rate;
            out.channels[side][n] *=
                1.0 - 0.22 * (0.5 + 0.5 * std::sin(2.0 * kPi * 4.2 * t + phase));
        }
    }
    return out;
}

} // namespace soundgen
