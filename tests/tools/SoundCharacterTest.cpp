// The instruments side by side, as a listener compares them: balanced in
// loudness, alike across the switch from one sample to the other, distinct
// from one another, and each creature and machine sounding as it is named.
// Every figure is printed, so that a recipe change can be judged by them.

#include "tools/SoundAnalysis.h"
#include "tools/SoundSpectrum.h"
#include "tools/SoundTable.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <map>
#include <string>

namespace soundtest {
namespace {

Audio load(int number) {
    auto audio = readAudio(resourcePath(number));
    return audio ? *audio : Audio{};
}

std::vector<Expected> lowerSamples() {
    std::vector<Expected> out;
    std::copy_if(kSounds.begin(), kSounds.end(), std::back_inserter(out),
                 [](const Expected& e) { return e.kind == Kind::Lower; });
    return out;
}

TEST(InstrumentBalance, LoudnessAtF4IsWithin1DbOfTheMedianAndPeaksStayUnderMinus1Dbfs) {
    std::vector<double> levels;
    for (const Expected& e : lowerSamples()) {
        levels.push_back(toDb(loudestRms(load(e.number))));
    }
    ASSERT_EQ(levels.size(), 15u);
    std::vector<double> sorted = levels;
    std::sort(sorted.begin(), sorted.end());
    const double median = sorted[7];
    std::size_t k = 0;
    for (const Expected& e : lowerSamples()) {
        std::printf("%-8s loudness %+6.2f dB from the median\n", e.name, levels[k] - median);
        EXPECT_NEAR(levels[k], median, 1.0) << e.name;
        ++k;
    }
    for (const Expected& e : kSounds) {
        EXPECT_LE(toDb(peak(load(e.number))), -1.0) << "sound" << e.number;
    }
}

// Where the player moves from an instrument's lower sample to its upper one:
// the highest note of the lower sample against the lowest of the upper.
struct Switch {
    const char* name;
    int lower;
    int upper;
    double lowerRatio;
    double upperRatio;
    double lowerHz;
    double upperHz;
};

constexpr double kB4 = 493.88;
constexpr double kC5 = 523.25;
constexpr Switch kSwitches[] = {
    {"Zubo", 1, 21, 1.414214, 1 / 1.259921, kB4, kC5},
    {"Rezedo", 2, 28, 1.414214, 1 / 1.259921, kB4, kC5},
    {"Star", 4, 22, 1.414214, 1 / 1.259921, kB4, kC5},
    {"Flower", 5, 23, 1.414214, 1 / 1.259921, kB4, kC5},
    {"Pocket", 6, 24, 1.414214, 1 / 1.259921, kB4, kC5},
    {"Plane", 12, 25, 1.414214, 1 / 1.259921, kB4, kC5},
    {"Ship", 13, 29, 1.122462, 1 / 1.498307, 392.00, 440.00},
    {"Car", 14, 26, 1.414214, 1 / 1.259921, kB4, kC5},
    {"Heart", 15, 27, 1.414214, 1 / 1.259921, kB4, kC5},
};

TEST(InstrumentBalance, BothSamplesMatchInBrightnessAndRingAtTheSwitch) {
    for (const Switch& s : kSwitches) {
        const Audio lowerAudio = load(s.lower);
        const Audio upperAudio = load(s.upper);
        const auto lower = played(lowerAudio.mono(), s.lowerRatio);
        const auto upper = played(upperAudio.mono(), s.upperRatio);
        const double lowerBright = centroid(powerSpectrum(lower), lowerAudio.rate) / s.lowerHz;
        const double upperBright = centroid(powerSpectrum(upper), upperAudio.rate) / s.upperHz;
        const double lowerRing = ringTime(lower, lowerAudio.rate);
        const double upperRing = ringTime(upper, upperAudio.rate);
        std::printf("%-8s brightness %5.2f / %5.2f (%+4.0f %%), to -20 dB %4.2f / %4.2f s "
                    "(%+4.0f %%)\n",
                    s.name, lowerBright, upperBright, 100.0 * (upperBright / lowerBright - 1.0),
                    lowerRing, upperRing, 100.0 * (upperRing / lowerRing - 1.0));
        EXPECT_NEAR(upperBright / lowerBright, 1.0, 0.15) << s.name;
        EXPECT_NEAR(upperRing / lowerRing, 1.0, 0.25) << s.name;
    }
}

TEST(InstrumentBalance, NoTwoInstrumentsHaveSpectraWithin8DbOfEachOther) {
    std::vector<std::vector<double>> bands;
    const auto instruments = lowerSamples();
    for (const Expected& e : instruments) {
        const Audio audio = load(e.number);
        bands.push_back(thirdOctaveBands(powerSpectrum(audio.mono()), audio.rate));
    }
    std::printf("%-8s", "");
    for (const Expected& e : instruments) {
        std::printf("%6.5s", e.name);
    }
    std::printf("\n");
    for (std::size_t a = 0; a < instruments.size(); ++a) {
        std::printf("%-8s", instruments[a].name);
        for (std::size_t b = 0; b < a; ++b) {
            std::printf("%6.1f", bandDistance(bands[a], bands[b]));
        }
        std::printf("\n");
    }
    for (std::size_t a = 0; a < instruments.size(); ++a) {
        for (std::size_t b = 0; b < a; ++b) {
            EXPECT_GE(bandDistance(bands[a], bands[b]), 8.0)
                << instruments[a].name << " and " << instruments[b].name;
        }
    }
}

std::vector<float> slice(const std::vector<float>& x, int rate, double from, double to) {
    const auto first = std::min(x.size(), static_cast<std::size_t>(from * rate));
    const auto last = std::min(x.size(), static_cast<std::size_t>(to * rate));
    return {x.begin() + static_cast<std::ptrdiff_t>(first),
            x.begin() + static_cast<std::ptrdiff_t>(last)};
}

double semitones(const std::vector<float>& x, int rate, double from, double to) {
    return cents(measurePitch(x, rate, from, to).hz, kF4) / 100.0;
}

TEST(Creatures, TheDogBarksShortFromItsOnsetWithAnArchedPitchAndAsMuchNoiseAsTone) {
    const Audio dog = load(7);
    const auto x = dog.mono();
    const double ring = ringTime(x, dog.rate);
    const auto env = envelopeDb(x, dog.rate, 0.02);
    const auto loudest = std::max_element(env.begin(), env.end()) - env.begin();
    bool decays = true;
    for (std::size_t k = 1; k < env.size(); ++k) {
        decays = decays && env[k] <= env[k - 1] + 1.0;
    }
    const double rise = semitones(x, dog.rate, 0.03, 0.09) - semitones(x, dog.rate, 0.0, 0.035);
    const double fall = semitones(x, dog.rate, 0.03, 0.09) - semitones(x, dog.rate, 0.11, 0.17);
    const double tone = periodicity(slice(x, dog.rate, 0.0, 0.15), dog.rate);
    std::printf("Dog: to -20 dB %.3f s, loudest 20 ms block %td, pitch rises %.1f and falls %.1f "
                "semitones, periodicity %.2f\n",
                ring, loudest, rise, fall, tone);
    EXPECT_GE(ring, 0.15);
    EXPECT_LE(ring, 0.2);
    EXPECT_LE(loudest, 1) << "loudest within the first 40 ms";
    EXPECT_TRUE(decays) << "no 20 ms block is more than 1 dB louder than the one before";
    EXPECT_GE(rise, 1.0);
    EXPECT_GE(fall, 1.0);
    EXPECT_GE(tone, 0.3) << "a bark is voiced";
    EXPECT_LE(tone, 0.8) << "a bark is half breath";
}

TEST(Creatures, ThePigGruntsWithALowPulseAndNoise) {
    const Audio pig = load(9);
    const auto grunt = slice(pig.mono(), pig.rate, 0.0, 0.15);
    const auto power = powerSpectrum(grunt);
    const double pulse =
        bandPowerDb(power, pig.rate, 80.0, 120.0) - bandPowerDb(power, pig.rate, 330.0, 370.0);
    const double tone = periodicity(grunt, pig.rate);
    std::printf("Pig: 80-120 Hz against the note %+.1f dB, periodicity %.2f\n", pulse, tone);
    EXPECT_GE(pulse, -10.0) << "the pulse under the note";
    EXPECT_LE(tone, 0.8) << "a grunt is rough";
}

TEST(Creatures, TheGooseHonksWithAPitchBreak) {
    const Audio goose = load(10);
    const auto x = goose.mono();
    const double step = semitones(x, goose.rate, 0.0, 0.055) - semitones(x, goose.rate, 0.1, 0.3);
    std::printf("Goose: breaks %.1f semitones onto the note\n", step);
    EXPECT_GE(std::abs(step), 4.0);
}

TEST(Creatures, RuzedSingsAnAhWhoseFormantsTakeInTheHarmonicsNearThem) {
    // Formants 250 Hz wide or more take in the harmonics nearest them at any
    // pitch: at F4 the second and third harmonics, around the first formant,
    // stand over the fundamental. Narrow ones fall between the harmonics.
    const Audio ruzed = load(11);
    const auto power = powerSpectrum(slice(ruzed.mono(), ruzed.rate, 0.2, 0.8));
    auto harmonic = [&](int h) {
        return bandPowerDb(power, ruzed.rate, h * kF4 - 40.0, h * kF4 + 40.0);
    };
    std::printf("Ruzed: 2nd and 3rd harmonics against the fundamental %+.1f and %+.1f dB\n",
                harmonic(2) - harmonic(1), harmonic(3) - harmonic(1));
    EXPECT_GE(harmonic(2) - harmonic(1), 3.0);
    EXPECT_GE(harmonic(3) - harmonic(1), 3.0);
}

struct Sustained {
    const char* name;
    int number;
};

TEST(Machines, PlaneAndShipHoldTheirLevelWithin3DbInTheirSustain) {
    for (const Sustained s : {Sustained{"Plane", 12}, Sustained{"Plane", 25}, Sustained{"Ship", 13},
                              Sustained{"Ship", 29}}) {
        const Audio audio = load(s.number);
        const auto env = envelopeDb(audio.mono(), audio.rate, 0.1);
        const double loudest = *std::max_element(env.begin(), env.end());
        // The sustain: from the first block within 3 dB of the loudest to the last.
        std::size_t first = env.size();
        std::size_t last = 0;
        for (std::size_t k = 0; k < env.size(); ++k) {
            if (env[k] >= loudest - 3.0) {
                first = std::min(first, k);
                last = k;
            }
        }
        const double quietest =
            *std::min_element(env.begin() + static_cast<std::ptrdiff_t>(first),
                              env.begin() + static_cast<std::ptrdiff_t>(last) + 1);
        std::printf("%s sound%d: sustain of %zu blocks swings %.1f dB\n", s.name, s.number,
                    last - first + 1, loudest - quietest);
        EXPECT_GE(last - first + 1, 3u) << s.name << " sound" << s.number;
        EXPECT_LE(loudest - quietest, 3.0) << s.name << " sound" << s.number;
    }
}

TEST(Machines, TheShipsReedsMoveFromOneSideToTheOther) {
    for (const int number : {13, 29}) {
        const Audio ship = load(number);
        ASSERT_EQ(ship.channels.size(), 2u);
        const auto left = envelopeDb(ship.channels[0], ship.rate, 0.1);
        const auto right = envelopeDb(ship.channels[1], ship.rate, 0.1);
        double most = -100.0;
        double least = 100.0;
        for (std::size_t k = 0; k + 2 < left.size(); ++k) {
            most = std::max(most, left[k] - right[k]);
            least = std::min(least, left[k] - right[k]);
        }
        std::printf("Ship sound%d: left against right from %+.1f to %+.1f dB\n", number, most,
                    least);
        EXPECT_GE(most, 3.0) << "sound" << number;
        EXPECT_LE(least, -3.0) << "sound" << number;
    }
}

} // namespace
} // namespace soundtest
