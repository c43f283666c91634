// Smooth playback: a dropped voice fades out over 3 ms instead of stopping
// dead, and pitched voices are interpolated. Classic playback is untouched.

#include "sound/SimpleOrnMixer.h"
#include "sound/VoiceTestUtil.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <numbers>

namespace {

constexpr int kFade = 44100 * SimpleOrnMixer::kFadeMilliseconds / 1000;

struct Drop {
    const char* what;
    // Drops the voice on track 0 (placed for step 0) at the mixer's counter.
    std::function<void(SimpleOrnMixer&)> act;
};

const Drop kDrops[] = {
    {"a new voice on its track", [](SimpleOrnMixer& m) { m.setToneOn(2, 0, nullptr); }},
    {"the parity cut", [](SimpleOrnMixer& m) { m.setToneOn(1, 1, nullptr); }},
    {"a clear", [](SimpleOrnMixer& m) { m.clear(); }},
};

// The left output of a voice of flat samples at 16384.
const float kLevel = flatVoice(1, 16384)->pcmLeftAt(0);

// Left output of the frames after the drop, with a voice of level kLevel
// playing on track 0 for 100 frames before it.
std::vector<float> afterDrop(bool smooth, const Drop& drop) {
    SimpleOrnMixer mixer;
    mixer.setSmooth(smooth);
    mixer.setToneOn(0, 0, flatVoice(1000, 16384));
    float l = 0.0f;
    float r = 0.0f;
    for (int i = 0; i < 100; ++i) {
        mixer.toneLeft(&l, &r);
    }
    drop.act(mixer);
    EXPECT_EQ(mixer.duration() > 0, smooth) << drop.what << ": a fade is still to sound";
    std::vector<float> out;
    for (int i = 0; i < 2 * kFade; ++i) {
        mixer.toneLeft(&l, &r);
        out.push_back(l);
    }
    EXPECT_LE(mixer.duration(), 0) << drop.what;
    return out;
}

TEST(SmoothPlayback, ADroppedVoiceFadesOutOver3MsInsteadOfStopping) {
    for (const Drop& drop : kDrops) {
        const auto classic = afterDrop(false, drop);
        EXPECT_EQ(classic.front(), 0.0f) << drop.what << ": the classic mixer stops dead";

        const auto smooth = afterDrop(true, drop);
        EXPECT_NEAR(smooth.front(), kLevel, kLevel / kFade + 1e-6f) << drop.what;
        int sounding = 0;
        for (std::size_t k = 1; k < smooth.size(); ++k) {
            EXPECT_LE(smooth[k], smooth[k - 1]) << drop.what << ", frame " << k;
            EXPECT_LE(smooth[k - 1] - smooth[k], kLevel / kFade + 1e-6f)
                << drop.what << ", frame " << k;
            sounding += smooth[k - 1] > 0.0f ? 1 : 0;
        }
        EXPECT_EQ(sounding, kFade) << drop.what;
    }
}

TEST(SmoothPlayback, AFadeEndsWithItsVoiceAndBlocksMatchFrames) {
    // A voice with 40 frames left fades for those 40 frames only, and the
    // block path adds the fade exactly as the per-frame path does.
    SimpleOrnMixer perFrame;
    SimpleOrnMixer blocks;
    std::vector<float> expected;
    for (SimpleOrnMixer* m : {&perFrame, &blocks}) {
        m->setSmooth(true);
        m->setToneOn(0, 0, flatVoice(140, 12000));
        m->setToneOn(0, 1, flatVoice(400, -9000));
        m->setCounter(100);
        m->setToneOn(1, 2, flatVoice(400, 3000)); // cuts tracks 0 and 1
    }
    for (int i = 0; i < 300; ++i) {
        float l = 0.0f;
        float r = 0.0f;
        perFrame.toneLeft(&l, &r);
        expected.push_back(l);
    }
    std::vector<float> left(300);
    std::vector<float> right(300);
    blocks.render(37, left.data(), right.data());
    blocks.render(263, left.data() + 37, right.data() + 37);
    EXPECT_EQ(left, expected);
    const float track2 = flatVoice(1, 3000)->pcmLeftAt(0);
    const float track0 = flatVoice(1, 12000)->pcmLeftAt(0);
    EXPECT_GT(expected[39] - expected[40], 0.6f * track0) << "the 140-frame voice ends mid-fade";
    EXPECT_FLOAT_EQ(expected[kFade + 10], track2) << "both fades are over";
}

// Signal-to-distortion of a 1 kHz sine sample played 1.5 times faster.
double distortionDb(bool smooth) {
    constexpr double hz = 1000.0;
    std::vector<int> samples;
    for (int n = 0; n < 20000; ++n) {
        samples.push_back(static_cast<int>(
            std::lround(30000.0 * std::sin(2.0 * std::numbers::pi * hz * n / 44100.0))));
    }
    auto voice = voiceOf(samples);
    voice->setTone(1.5f);
    voice->setSmooth(smooth);
    // The output level of a full-scale sample frame of 30000.
    const double amplitude = voiceOf({30000})->pcmLeftAt(0);
    double signal = 0.0;
    double error = 0.0;
    for (int i = 0; i < voice->duration() - 1; ++i) {
        const double ideal = amplitude * std::sin(2.0 * std::numbers::pi * hz * 1.5 * i / 44100.0);
        const double e = voice->pcmLeftAt(i) - ideal;
        signal += ideal * ideal;
        error += e * e;
    }
    return 10.0 * std::log10(signal / error);
}

TEST(SmoothPlayback, PitchedUpSineKeepsItsSignalToDistortionAbove30Db) {
    EXPECT_LT(distortionDb(false), 30.0) << "frames skipped when pitching up";
    EXPECT_GT(distortionDb(true), 30.0);
}

TEST(SmoothPlayback, OnlyRatiosOtherThanOneAreInterpolated) {
    // Ratio 1.0 plays the sample as it is; below 1.0 both modes already
    // interpolate; above 1.0 only a smooth voice does.
    const std::vector<int> samples{0, 8000, -12000, 20000, 4000, -30000, 16000, 2000};
    const struct {
        float ratio;
        bool differs;
    } cases[] = {{1.0f, false}, {0.5f, false}, {0.7f, false}, {1.5f, true}, {2.3f, true}};
    for (const auto& c : cases) {
        auto classic = voiceOf(samples);
        auto smooth = voiceOf(samples);
        classic->setTone(c.ratio);
        smooth->setTone(c.ratio);
        smooth->setSmooth(true);
        bool differs = false;
        for (int i = 0; i < classic->duration(); ++i) {
            differs = differs || classic->pcmLeftAt(i) != smooth->pcmLeftAt(i);
            float l = 0.0f;
            float r = 0.0f;
            smooth->pcmLeftRightAt(i, &l, &r);
            EXPECT_EQ(l, smooth->pcmLeftAt(i)) << c.ratio << ", frame " << i;
        }
        EXPECT_EQ(differs, c.differs) << c.ratio;
    }
}

TEST(SmoothPlayback, TheMixerMakesItsVoicesSmoothOrClassic) {
    for (const bool smooth : {false, true}) {
        SimpleOrnMixer mixer;
        mixer.setSmooth(smooth);
        auto voice = flatVoice(10, 1);
        voice->setSmooth(!smooth);
        mixer.setToneOn(0, 0, voice);
        EXPECT_EQ(voice->smooth(), smooth);
    }
}

} // namespace
