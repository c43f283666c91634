// The meters the sound tests rely on, checked on signals whose answers are
// known, so that a detuned or clipped recipe cannot slip through them.

#include "tools/SoundAnalysis.h"

#include "tools/SoundSpectrum.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace soundtest {
namespace {

struct Partial {
    double ratio;
    double gain;
};

std::vector<float> tone(int rate, double hz, std::initializer_list<Partial> partials,
                        double seconds = 0.4) {
    std::vector<float> x(static_cast<std::size_t>(seconds * rate));
    for (std::size_t n = 0; n < x.size(); ++n) {
        double v = 0.0;
        for (const Partial& p : partials) {
            v += p.gain *
                 std::sin(2.0 * std::numbers::pi * hz * p.ratio * static_cast<double>(n) / rate);
        }
        x[n] = static_cast<float>(0.3 * v);
    }
    return x;
}

struct PitchCase {
    const char* what;
    int rate;
    double hz;
    std::initializer_list<Partial> partials;
};

TEST(SoundAnalysis, MeasuresPitchToAFractionOfACent) {
    const PitchCase cases[] = {
        {"sine F4", 44100, 349.23, {{1, 1}}},
        {"sine 6 cents sharp", 44100, 349.23 * std::exp2(6.0 / 1200.0), {{1, 1}}},
        {"sine 4 cents flat, E5 at 22050", 22050, 659.26 * std::exp2(-4.0 / 1200.0), {{1, 1}}},
        {"sawtooth-like", 44100, 349.23, {{1, 1}, {2, 0.5}, {3, 0.33}, {4, 0.25}, {5, 0.2}}},
        {"strong second harmonic", 44100, 659.26, {{1, 0.4}, {2, 1}, {3, 0.3}}},
        {"bar with an inharmonic mode", 44100, 349.23, {{1, 1}, {2.756, 0.4}}},
    };
    for (const PitchCase& c : cases) {
        const Pitch p = measurePitch(tone(c.rate, c.hz, c.partials), c.rate, 0.06, 0.26);
        EXPECT_NEAR(cents(p.hz, c.hz), 0.0, 0.5) << c.what;
        EXPECT_NEAR(cents(p.coarseHz, c.hz), 0.0, 100.0) << c.what;
    }
}

TEST(SoundAnalysis, HearsTheOctaveOfAToneWithAWeakFundamental) {
    // A missing octave error would pass a sample an octave off its note.
    const Pitch p = measurePitch(tone(44100, 349.23, {{1, 0.3}, {2, 1}, {3, 0.5}, {4, 0.4}}), 44100,
                                 0.06, 0.26);
    EXPECT_NEAR(cents(p.coarseHz, 349.23), 0.0, 100.0);
}

TEST(SoundAnalysis, LevelsMatchTheirDefinitions) {
    Audio a;
    a.rate = 1000;
    a.channels = {std::vector<float>(1000, 0.0f), std::vector<float>(1000, 0.0f)};
    for (std::size_t n = 0; n < 200; ++n) {
        a.channels[1][300 + n] = (n % 2 == 0) ? 0.5f : -0.5f; // 0.2 s at RMS 0.5
    }
    EXPECT_DOUBLE_EQ(peak(a), 0.5);
    // The loudest 400 ms window holds all 0.2 s: RMS 0.5 x sqrt(0.2 / 0.4).
    EXPECT_NEAR(loudestRms(a), 0.5 * std::sqrt(0.5), 1e-6);
    EXPECT_NEAR(toDb(0.5), -6.0206, 1e-3);
    EXPECT_NEAR(mean(std::vector<float>{0.25f, 0.75f}), 0.5, 1e-9);
    EXPECT_EQ(a.mono()[301], -0.25f);
}

TEST(SoundAnalysis, TellsToneFromNoiseAndDarkFromBright) {
    const int rate = 44100;
    std::vector<float> noise(8820);
    unsigned state = 12345;
    for (float& v : noise) {
        state = state * 1664525u + 1013904223u;
        v = static_cast<float>(state >> 8) / 16777216.0f - 0.5f;
    }
    const auto low = tone(rate, 400.0, {{1, 1}}, 0.2);
    EXPECT_GT(periodicity(low, rate), 0.9);
    EXPECT_LT(periodicity(noise, rate), 0.2);
    EXPECT_NEAR(rmsFrequency(low, rate), 400.0, 5.0);
    EXPECT_NEAR(rmsFrequency(tone(rate, 3000.0, {{1, 1}}, 0.2), rate), 3000.0, 20.0);
    EXPECT_GT(rmsFrequency(noise, rate), 8000.0);
}

TEST(SoundSpectrum, CentroidBandsAndRingMatchSignalsOfKnownShape) {
    const int rate = 44100;
    const auto sine = tone(rate, 1000.0, {{1, 1}});
    const auto pair = tone(rate, 1000.0, {{1, 1}, {3, 1}});
    EXPECT_NEAR(centroid(powerSpectrum(sine), rate), 1000.0, 15.0);
    EXPECT_NEAR(centroid(powerSpectrum(pair), rate), 2000.0, 30.0);
    // Half the power of the pair lies in the band around 3 kHz.
    EXPECT_NEAR(bandPowerDb(powerSpectrum(pair), rate, 2800.0, 3200.0), -3.0, 0.2);
    const auto bands = thirdOctaveBands(powerSpectrum(sine), rate);
    EXPECT_DOUBLE_EQ(bandDistance(bands, bands), 0.0);
    EXPECT_NEAR(bandDistance(bands, thirdOctaveBands(powerSpectrum(pair), rate)),
                std::sqrt((3.0 * 3.0 + 57.0 * 57.0) / static_cast<double>(bands.size())), 1.0);

    // An exponential decay with time constant tau is 20 dB down at 2.3 tau.
    std::vector<float> decay(rate);
    for (std::size_t n = 0; n < decay.size(); ++n) {
        decay[n] = static_cast<float>(std::exp(-static_cast<double>(n) / rate / 0.1) *
                                      std::sin(0.1 * static_cast<double>(n)));
    }
    EXPECT_NEAR(ringTime(decay, rate), 0.23, 0.015);

    // Played twice as fast, a tone lasts half as long an octave up.
    const auto twice = played(sine, 2.0);
    EXPECT_NEAR(static_cast<double>(twice.size()), static_cast<double>(sine.size()) / 2.0, 1.0);
    EXPECT_NEAR(cents(measurePitch(twice, rate, 0.02, 0.18).hz, 2000.0), 0.0, 1.0);
}

} // namespace
} // namespace soundtest
