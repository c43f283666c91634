// The generated sounds as the build left them in the resource folder: their
// file layout, edges, level, length and pitch, measured on the files.

#include "tools/SoundAnalysis.h"
#include "tools/SoundTable.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <sndfile.h>
#include <utility>

namespace soundtest {
namespace {

class GeneratedSound : public ::testing::TestWithParam<Expected> {
  protected:
    void SetUp() override {
        const auto audio = readAudio(resourcePath(GetParam().number));
        ASSERT_TRUE(audio.has_value()) << "cannot read " << resourcePath(GetParam().number);
        _audio = *audio;
    }
    Audio _audio;
};

std::uint32_t le32(const std::vector<unsigned char>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

TEST_P(GeneratedSound, Is16BitPcmWithTheDataChunkRightAfterAFormatChunkOf16Bytes) {
    const auto bytes = readBytes(resourcePath(GetParam().number));
    ASSERT_GE(bytes.size(), 44u);
    EXPECT_EQ(std::memcmp(bytes.data(), "RIFF", 4), 0);
    EXPECT_EQ(std::memcmp(bytes.data() + 8, "WAVE", 4), 0);
    EXPECT_EQ(std::memcmp(bytes.data() + 12, "fmt ", 4), 0);
    EXPECT_EQ(le32(bytes, 16), 16u);
    EXPECT_EQ(bytes[20] | (bytes[21] << 8), 1) << "format tag: integer PCM";
    EXPECT_EQ(bytes[34] | (bytes[35] << 8), 16) << "bits per sample";
    EXPECT_EQ(std::memcmp(bytes.data() + 36, "data", 4), 0);
    EXPECT_EQ(le32(bytes, 40), bytes.size() - 44);
    EXPECT_EQ(_audio.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_TRUE(_audio.rate == 44100 || _audio.rate == 22050) << _audio.rate;
    EXPECT_TRUE(_audio.channels.size() == 1 || _audio.channels.size() == 2);
}

TEST_P(GeneratedSound, StartsAtZeroAndFadesToSilence) {
    const std::size_t tail = static_cast<std::size_t>(0.01 * _audio.rate);
    for (const auto& c : _audio.channels) {
        ASSERT_GT(c.size(), tail);
        EXPECT_EQ(c.front(), 0.0f);
        EXPECT_LT(peakIn(c, 0, 10), 0.05) << "a step at the start clicks";
        EXPECT_EQ(c.back(), 0.0f);
        EXPECT_LT(toDb(peakIn(c, c.size() - tail, c.size())), -40.0)
            << "the last 10 ms must be near silence";
    }
}

TEST_P(GeneratedSound, HasNoDcOffset) {
    for (const auto& c : _audio.channels) {
        EXPECT_LT(std::abs(mean(c)), 0.01);
    }
}

// Instruments are set by loudness, so their peaks differ; none may come
// near full scale, and none may be left far below the others.
TEST_P(GeneratedSound, PeaksBetweenMinus8AndMinus1Dbfs) {
    const double db = toDb(peak(_audio));
    EXPECT_GE(db, GetParam().kind == Kind::Effect ? -3.0 : -8.0);
    EXPECT_LE(db, -1.0);
}

// The instruments' own properties; every instrument sample is a note.
using GeneratedInstrument = GeneratedSound;

TEST_P(GeneratedInstrument, LastsFrom0point15To1point5Seconds) {
    EXPECT_GE(_audio.seconds(), 0.15);
    EXPECT_LE(_audio.seconds(), 1.5);
}

// The settled window of each sound holds its steady tone: attacks, scoops
// and breaks onto the note are over by then, and vibratos start later or
// average out.
TEST_P(GeneratedInstrument, SoundsItsReferencePitchWithin5Cents) {
    const Expected& e = GetParam();
    const double reference = e.kind == Kind::Lower ? kF4 : kE5;
    const Pitch p = measurePitch(_audio.mono(), _audio.rate, e.settledFrom, e.settledTo);
    std::printf("sound%-2d %-8s %7.2f Hz (%+.2f cents), peak %.2f dBFS, "
                "loudest 400 ms RMS %.2f dBFS\n",
                e.number, e.name, p.hz, cents(p.hz, reference), toDb(peak(_audio)),
                toDb(loudestRms(_audio)));
    EXPECT_LT(std::abs(cents(p.coarseHz, reference)), 100.0)
        << "the period heard is " << p.coarseHz << " Hz, not the note";
    EXPECT_LT(std::abs(cents(p.hz, reference)), 5.0) << p.hz << " Hz";
}

std::string testName(const ::testing::TestParamInfo<Expected>& p) {
    return std::string(p.param.name) + "_sound" + std::to_string(p.param.number);
}

std::vector<Expected> instruments() {
    std::vector<Expected> out;
    std::copy_if(kSounds.begin(), kSounds.end(), std::back_inserter(out),
                 [](const Expected& e) { return e.kind != Kind::Effect; });
    return out;
}

INSTANTIATE_TEST_SUITE_P(Resources, GeneratedSound, ::testing::ValuesIn(kSounds), testName);
INSTANTIATE_TEST_SUITE_P(Resources, GeneratedInstrument, ::testing::ValuesIn(instruments()),
                         testName);

Audio load(int number) {
    auto audio = readAudio(resourcePath(number));
    return audio ? *audio : Audio{};
}

TEST(GeneratedSounds, BothSamplesOfAnInstrumentShareTheirFormat) {
    std::map<std::string, std::pair<int, std::size_t>> formats;
    for (const Expected& e : kSounds) {
        const Audio audio = load(e.number);
        const auto format = std::make_pair(audio.rate, audio.channels.size());
        const auto [it, added] = formats.emplace(e.name, format);
        EXPECT_EQ(it->second, format) << e.name << ", sound" << e.number;
    }
}

// Moving across an instrument's split from one sample to the other must not
// jump in level.
TEST(GeneratedSounds, BothSamplesOfAnInstrumentAreWithin2point5DbOfEachOther) {
    std::map<std::string, double> lower;
    for (const Expected& e : kSounds) {
        if (e.kind == Kind::Lower) {
            lower[e.name] = toDb(loudestRms(load(e.number)));
        }
    }
    int pairs = 0;
    for (const Expected& e : kSounds) {
        if (e.kind == Kind::Upper) {
            ++pairs;
            EXPECT_NEAR(toDb(loudestRms(load(e.number))), lower.at(e.name), 2.5) << e.name;
        }
    }
    EXPECT_EQ(pairs, 9);
}

TEST(GeneratedSounds, IncludeAStereoAndA22050HzSampleAmongTheInstruments) {
    int stereo = 0;
    int halfRate = 0;
    for (const Expected& e : kSounds) {
        const Audio audio = load(e.number);
        if (e.kind != Kind::Effect) {
            stereo += audio.channels.size() == 2 ? 1 : 0;
            halfRate += audio.rate == 22050 ? 1 : 0;
        }
    }
    EXPECT_GE(stereo, 1);
    EXPECT_GE(halfRate, 1);
}

TEST(GeneratedSounds, EndIsAShortBrightChime) {
    const Audio end = load(16);
    EXPECT_GE(end.seconds(), 0.2);
    EXPECT_LE(end.seconds(), 1.0);
    EXPECT_GT(rmsFrequency(end.mono(), end.rate), 1500.0);
    EXPECT_GT(periodicity(end.mono(), end.rate), 0.5) << "a chime is tonal";
}

TEST(GeneratedSounds, ClickIsATickUnder50Ms) {
    const Audio click = load(18);
    ASSERT_GT(click.frames(), 0u);
    EXPECT_LT(click.seconds(), 0.05);
    const auto x = click.mono();
    const auto loudest = std::max_element(
        x.begin(), x.end(), [](float a, float b) { return std::abs(a) < std::abs(b); });
    EXPECT_LT(static_cast<double>(loudest - x.begin()) / click.rate, 0.01) << "struck at once";
}

TEST(GeneratedSounds, EraserIsANoisySwishUnder300Ms) {
    const Audio eraser = load(20);
    ASSERT_GT(eraser.frames(), 0u);
    EXPECT_LT(eraser.seconds(), 0.3);
    EXPECT_GT(rmsFrequency(eraser.mono(), eraser.rate), 2000.0);
    EXPECT_LT(periodicity(eraser.mono(), eraser.rate), 0.5) << "a swish is noise, not a tone";
}

} // namespace
} // namespace soundtest
