#include "sound/SimpleOrnMixer.h"

#include <gtest/gtest.h>

#include "sound/VoiceTestUtil.h"

namespace {

struct Frame {
    float left, right, mono;
};

Frame mix(SimpleOrnMixer& mixer) {
    Frame f{};
    f.mono = mixer.toneLeft(&f.left, &f.right);
    return f;
}

// Which tracks sound at the mixer's counter: each test voice has its own
// level, so the left sum tells them apart.
float leftOf(const std::shared_ptr<ToneGenerator>& voice) {
    return voice->pcmLeftAt(0);
}

TEST(SimpleOrnMixer, ClearedMixerIsSilentAndCounts) {
    SimpleOrnMixer mixer;
    for (int i = 0; i < 3; ++i) {
        const Frame f = mix(mixer);
        EXPECT_EQ(f.left, 0.0f);
        EXPECT_EQ(f.right, 0.0f);
        EXPECT_EQ(f.mono, 0.0f);
    }
    EXPECT_EQ(mixer.counter(), 3);
    EXPECT_EQ(mixer.duration(), -3);
    mixer.clear();
    EXPECT_EQ(mixer.counter(), 0);
    EXPECT_EQ(mixer.duration(), 0);
    EXPECT_EQ(mixer.samplingRate(), 44100);
}

TEST(SimpleOrnMixer, PlacedVoiceStartsInTheVeryNextFrame) {
    SimpleOrnMixer mixer;
    mix(mixer);
    auto voice = voiceOf({1000, 2000, 3000});
    voice->setRate(22050);
    mixer.setToneOn(0, 0, voice);
    EXPECT_EQ(voice->rate(), 44100); // the mixer's rate is given to every voice
    for (int j = 0; j < 3; ++j) {
        const Frame f = mix(mixer);
        EXPECT_EQ(f.left, voice->pcmLeftAt(j)) << j;
        EXPECT_EQ(f.right, voice->pcmRightAt(j)) << j;
        EXPECT_EQ(f.mono, (voice->pcmLeftAt(j) + voice->pcmRightAt(j)) * 0.5f) << j;
    }
    EXPECT_EQ(mix(mixer).left, 0.0f);
}

TEST(SimpleOrnMixer, VoiceSoundsForItsLengthFromItsStart) {
    SimpleOrnMixer mixer;
    mixer.setCounter(50);
    mixer.setToneOn(0, 1, flatVoice(100, 5000));
    EXPECT_EQ(mixer.duration(), 100);
    EXPECT_EQ(mixer.durationFromStart(), 150);
    float l = 0, r = 0;
    EXPECT_EQ(mixer.toneLeft(&l, &r, 49), 0.0f);
    EXPECT_NE(mixer.toneLeft(&l, &r, 50), 0.0f);
    EXPECT_NE(mixer.toneLeft(&l, &r, 149), 0.0f);
    EXPECT_EQ(mixer.toneLeft(&l, &r, 150), 0.0f);
    EXPECT_EQ(mixer.counter(), 50); // mixing at a frame does not count
    mixer.setCounter(150);
    EXPECT_EQ(mixer.duration(), 0);
    mix(mixer);
    EXPECT_EQ(mixer.duration(), -1);
}

TEST(SimpleOrnMixer, ParityCut) {
    struct Place {
        int step, track;
    };
    struct {
        const char* name;
        std::vector<Place> places;
        std::vector<int> sounding; // tracks heard afterwards
    } const cases[] = {
        {"4 then 5 cuts the other track of 4", {{4, 0}, {4, 1}, {5, 0}}, {0}},
        {"0 then 2 keeps same parity", {{0, 0}, {0, 1}, {0, 2}, {2, 0}}, {0, 1, 2}},
        {"then 3 cuts them", {{0, 0}, {0, 1}, {0, 2}, {2, 0}, {3, 0}}, {0}},
        {"index -1 cuts nothing", {{4, 0}, {4, 1}, {-1, 2}}, {0, 1, 2}},
        {"a later voice of other parity is cut too", {{5, 1}, {6, 0}}, {0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimpleOrnMixer mixer;
        std::shared_ptr<ToneGenerator> voices[3];
        for (const auto& p : c.places) {
            voices[p.track] = flatVoice(1000, 1000 * (1 << p.track));
            mixer.setToneOn(p.step, p.track, voices[p.track]);
        }
        float expected = 0.0f;
        for (int track : c.sounding) {
            expected += leftOf(voices[track]);
        }
        EXPECT_EQ(mix(mixer).left, expected);
    }
}

TEST(SimpleOrnMixer, NullVoiceSilencesItsTrackAndStillCuts) {
    SimpleOrnMixer mixer;
    mixer.setToneOn(4, 0, flatVoice(1000, 1000));
    mixer.setToneOn(4, 1, flatVoice(1000, 2000));
    mixer.setToneOn(5, 0, nullptr);
    EXPECT_EQ(mix(mixer).left, 0.0f);
    EXPECT_EQ(mixer.duration(), -1);
}

TEST(SimpleOrnMixer, LeftAndRightAreSummedSeparately) {
    auto stereo = std::make_shared<Wave>();
    stereo->loadMem(WavSpec().channels(2).data(pcm16({8000, -2000})).image());
    auto a = std::make_shared<ToneGenerator>(stereo);
    auto b = flatVoice(1, 3000);
    SimpleOrnMixer mixer;
    mixer.setToneOn(0, 0, a);
    mixer.setToneOn(0, 2, b);
    const Frame f = mix(mixer);
    EXPECT_EQ(f.left, a->pcmLeftAt(0) + b->pcmLeftAt(0));
    EXPECT_EQ(f.right, a->pcmRightAt(0) + b->pcmRightAt(0));
    EXPECT_EQ(f.mono,
              (((a->pcmLeftAt(0) + a->pcmRightAt(0)) + b->pcmLeftAt(0)) + b->pcmRightAt(0)) * 0.5f);
}

TEST(SimpleOrnMixer, TrackOutsideTheThreeIsIgnored) {
    SimpleOrnMixer mixer;
    mixer.setToneOn(0, 3, flatVoice(10, 1000));
    mixer.setToneOn(0, -1, flatVoice(10, 1000));
    EXPECT_EQ(mix(mixer).left, 0.0f);
}

} // namespace

namespace {

// Mixing a block gives the frames of as many single mixes, voices starting
// and ending inside the block included.
TEST(SimpleOrnMixer, BlockMixMatchesFrameByFrame) {
    auto build = [](SimpleOrnMixer& mixer) {
        mixer.setCounter(10);
        mixer.setToneOn(0, 0, voiceOf({100, -200, 300, -400, 500}), 12);
        mixer.setToneOn(0, 1, flatVoice(30, 7000), 5);
        mixer.setToneOn(2, 2, voiceOf({-9000, 9000}), 39);
    };
    SimpleOrnMixer single;
    SimpleOrnMixer block;
    build(single);
    build(block);
    std::vector<float> left(40), right(40);
    block.render(40, left.data(), right.data());
    for (int k = 0; k < 40; ++k) {
        float l = 0, r = 0;
        single.toneLeft(&l, &r);
        ASSERT_EQ(left[static_cast<std::size_t>(k)], l) << k;
        ASSERT_EQ(right[static_cast<std::size_t>(k)], r) << k;
    }
    EXPECT_EQ(block.counter(), single.counter());
    EXPECT_EQ(block.duration(), single.duration());
}

} // namespace
