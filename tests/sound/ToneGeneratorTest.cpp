#include "sound/ToneGenerator.h"

#include "sound/WavImage.h"

#include <climits>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <numeric>

namespace {

// A mono 16-bit wave of `frames` frames whose frame k holds k * 10.
std::shared_ptr<Wave> ramp(int frames, int rate = 44100) {
    std::vector<int> samples(static_cast<std::size_t>(frames));
    std::iota(samples.begin(), samples.end(), 0);
    for (int& s : samples) {
        s = (s * 10) % 32768;
    }
    auto wave = std::make_shared<Wave>();
    EXPECT_TRUE(wave->loadMem(mono16(samples, rate)));
    return wave;
}

float mean(float a, float b) {
    return (a + b) / 2;
}

TEST(ToneGenerator, RatioOneAtTheOutputRateCopiesTheSample) {
    const auto wave = ramp(100);
    ToneGenerator voice(wave);
    for (int i : {0, 1, 37, 99}) {
        EXPECT_EQ(voice.pcmLeftAt(i), wave->pcmAt(i, 1));
        EXPECT_EQ(voice.pcmRightAt(i), wave->pcmAt(i, 2));
        EXPECT_EQ(voice.pcmMonoAt(i), wave->pcmAt(i, 0));
    }
    EXPECT_EQ(voice.pcmLeftAt(100), 0.0f);
    EXPECT_EQ(voice.duration(), 100);
}

TEST(ToneGenerator, StretchedSamplesAreInterpolated) {
    const auto wave = ramp(100);
    ToneGenerator voice(wave);
    voice.setTone(0.5f);
    EXPECT_FLOAT_EQ(voice.pcmLeftAt(1), mean(wave->pcmAt(0, 1), wave->pcmAt(1, 1)));
    EXPECT_EQ(voice.pcmLeftAt(2), wave->pcmAt(1, 1));
    // The last frame is interpolated towards silence.
    EXPECT_FLOAT_EQ(voice.pcmLeftAt(199), wave->pcmAt(99, 1) / 2);

    const auto slow = ramp(100, 22050);
    ToneGenerator low(slow);
    EXPECT_FLOAT_EQ(low.pcmRightAt(3), mean(slow->pcmAt(1, 2), slow->pcmAt(2, 2)));
    EXPECT_EQ(low.duration(), 200);
}

// The interpolation's first product and the sum are taken in double
// precision; the expected values were worked out independently.
TEST(ToneGenerator, InterpolationRoundsOnlyTheSum) {
    std::vector<int> samples;
    for (int k = 0; k < 64; ++k) {
        samples.push_back((k * 2311) % 65536 - 32768);
    }
    ToneGenerator voice(std::make_shared<Wave>());
    auto wave = std::make_shared<Wave>();
    ASSERT_TRUE(wave->loadMem(mono16(samples)));
    voice.setWave(wave);
    voice.setTone(0.3f);
    EXPECT_EQ(voice.pcmLeftAt(2), -0.427564591f);
    EXPECT_EQ(voice.pcmLeftAt(7), -0.380334288f);
    EXPECT_EQ(voice.pcmLeftAt(9), -0.361442178f);
}

TEST(ToneGenerator, PitchingUpSkipsFrames) {
    const auto wave = ramp(100);
    ToneGenerator voice(wave);
    voice.setTone(2.0f);
    EXPECT_EQ(voice.pcmLeftAt(7), wave->pcmAt(14, 1));
    voice.setTone(1.0f);
    voice.setRate(22050);
    EXPECT_EQ(voice.pcmLeftAt(7), wave->pcmAt(14, 1));
    EXPECT_EQ(voice.duration(), 50);
}

TEST(ToneGenerator, DurationFollowsRatioAndRate) {
    const auto second = ramp(44100);
    struct Case {
        float ratio;
        int rate;
        int frames;
    };
    for (const auto& c :
         {Case{1.0f, 44100, 44100}, Case{2.0f, 44100, 22050}, Case{1.059463f, 44100, 41624},
          Case{0.5f, 44100, 88200}, Case{1.0f, 48000, 48000}, Case{1e-30f, 44100, INT_MAX}}) {
        ToneGenerator voice(second);
        voice.setTone(c.ratio);
        voice.setRate(c.rate);
        EXPECT_EQ(voice.duration(), c.frames) << c.ratio << " " << c.rate;
    }
}

TEST(ToneGenerator, ReleaseFadesLinearlyToSilence) {
    auto wave = std::make_shared<Wave>();
    ASSERT_TRUE(wave->loadMem(mono16(std::vector<int>(4000, 16384))));
    const float full = wave->pcmAt(0, 1);
    ToneGenerator voice(wave);
    voice.setRelease(1000, 500);
    EXPECT_EQ(voice.pcmLeftAt(1000), full);
    EXPECT_FLOAT_EQ(voice.pcmLeftAt(1250), full / 2);
    EXPECT_EQ(voice.pcmLeftAt(1500), 0.0f);
    EXPECT_EQ(voice.pcmLeftAt(1501), 0.0f);
    EXPECT_EQ(voice.duration(), 1500);

    voice.setRelease(1000, 0);
    EXPECT_EQ(voice.pcmLeftAt(1000), full);
    EXPECT_EQ(voice.pcmLeftAt(1001), 0.0f);
    voice.setRelease(INT_MAX, INT_MAX);
    EXPECT_EQ(voice.duration(), 4000);
    voice.setRelease(-5, 0);
    EXPECT_EQ(voice.duration(), 0);
    voice.resetRelease();
    EXPECT_EQ(voice.pcmLeftAt(3000), full);
}

TEST(ToneGenerator, SetWaveResetsAllButTheReleaseDuration) {
    ToneGenerator voice;
    voice.setRate(22050);
    voice.setTone(2.0f);
    voice.changeTone(1.5f);
    EXPECT_EQ(voice.tone(), 3.0f);
    voice.setRelease(10, 20);
    const auto wave = ramp(10);
    voice.setWave(wave);
    EXPECT_EQ(voice.wave(), wave);
    EXPECT_EQ(voice.rate(), 44100);
    EXPECT_EQ(voice.tone(), 1.0f);
    EXPECT_EQ(voice.release(), -1);
    EXPECT_EQ(voice.releaseDuration(), 20);
}

TEST(ToneGenerator, VoicesThatCannotSoundAreSilentAndLastNoFrames) {
    auto failed = ramp(10);
    testing::internal::CaptureStderr();
    failed->loadMem({}); // keeps the old size, drops the data
    testing::internal::GetCapturedStderr();
    const auto waveOf = [](WavSpec layout) {
        layout.data(pcm16(std::vector<int>(8, 1000)));
        auto wave = std::make_shared<Wave>();
        EXPECT_TRUE(wave->loadMem(layout.image()));
        return wave;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        std::shared_ptr<Wave> wave;
        int rate;
        float ratio;
    };
    for (const auto& c :
         {Case{nullptr, 44100, 1.0f}, Case{std::make_shared<Wave>(), 44100, 1.0f},
          Case{failed, 44100, 1.0f}, Case{waveOf(WavSpec().samplingRate(0)), 44100, 1.0f},
          Case{waveOf(WavSpec().samplingRate(-8)), 44100, 1.0f},
          Case{waveOf(WavSpec().channels(0)), 44100, 1.0f},
          Case{waveOf(WavSpec().blockSize(0)), 44100, 1.0f}, Case{waveOf(WavSpec()), 0, 1.0f},
          Case{waveOf(WavSpec()), -44100, 1.0f}, Case{waveOf(WavSpec()), 44100, 0.0f},
          Case{waveOf(WavSpec()), 44100, -1.0f}, Case{waveOf(WavSpec()), 44100, nan},
          Case{waveOf(WavSpec()), 44100, inf}}) {
        ToneGenerator voice(c.wave);
        voice.setRate(c.rate);
        voice.setTone(c.ratio);
        EXPECT_EQ(voice.duration(), 0);
        for (int i : {0, 1, 5, INT_MAX}) {
            EXPECT_EQ(voice.pcmAt(i, 0) + voice.pcmLeftAt(i) + voice.pcmRightAt(i), 0.0f);
        }
    }
    ToneGenerator fast(waveOf(WavSpec()));
    fast.setTone(1e30f);
    EXPECT_EQ(fast.duration(), 0);
    EXPECT_EQ(fast.pcmLeftAt(INT_MAX), 0.0f);
}

} // namespace

namespace {

// The mixer's combined and block reads must give exactly the values of the
// two single-channel reads, for every kind of sample and setting.
TEST(ToneGenerator, LeftRightReadMatchesTheSingleChannelReads) {
    std::vector<int> ramp;
    for (int i = 0; i < 400; ++i) {
        ramp.push_back((i * 7919) % 65536 - 32768);
    }
    struct Case {
        const char* name;
        Bytes image;
        float ratio;
        int pan, expression, release, releaseDuration;
    };
    const Case cases[] = {
        {"mono 16-bit at 1.0", mono16(ramp), 1.0f, 64, 100, -1, 0},
        {"mono pitched down", mono16(ramp), 0.793701f, 64, 100, -1, 0},
        {"mono pitched up", mono16(ramp), 2.244924f, 64, 100, -1, 0},
        {"22050 Hz interpolated", mono16(ramp, 22050), 1.0f, 64, 100, -1, 0},
        {"stereo", WavSpec().channels(2).data(pcm16(ramp)).image(), 0.667420f, 64, 100, -1, 0},
        {"8-bit", WavSpec().bitsPerSample(8).data(Bytes(ramp.size(), 200)).image(), 1.5f, 64, 100,
         -1, 0},
        {"24-bit stereo", WavSpec().channels(2).bitsPerSample(24).data(Bytes(1200, 77)).image(),
         0.9f, 64, 100, -1, 0},
        {"panned with expression", mono16(ramp), 1.0f, 20, 70, -1, 0},
        {"released", mono16(ramp), 0.8f, 64, 100, 100, 57},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto wave = std::make_shared<Wave>();
        ASSERT_TRUE(wave->loadMem(c.image));
        wave->setPan(c.pan);
        wave->setExpression(c.expression);
        ToneGenerator voice(wave);
        voice.setTone(c.ratio);
        if (c.release != -1) {
            voice.setRelease(c.release, c.releaseDuration);
        }
        for (int i = -1; i <= voice.duration() + 2; ++i) {
            float l = 1, r = 1;
            voice.pcmLeftRightAt(i, &l, &r);
            ASSERT_EQ(l, voice.pcmLeftAt(i)) << i;
            ASSERT_EQ(r, voice.pcmRightAt(i)) << i;
        }
        // The block read adds the same values onto what is there.
        const int count = voice.duration() + 4;
        std::vector<float> left(static_cast<std::size_t>(count), 0.25f);
        std::vector<float> right(static_cast<std::size_t>(count), -0.5f);
        voice.addLeftRight(-1, count, left.data(), right.data());
        for (int k = 0; k < count; ++k) {
            ASSERT_EQ(left[static_cast<std::size_t>(k)], 0.25f + voice.pcmLeftAt(k - 1)) << k;
            ASSERT_EQ(right[static_cast<std::size_t>(k)], -0.5f + voice.pcmRightAt(k - 1)) << k;
        }
    }
}

} // namespace
