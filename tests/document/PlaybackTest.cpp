#include "document/MyDocument.h"
#include "document/Preferences.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "document/AllocationCounter.h"
#include "document/DocumentTestUtil.h"
#include "sound/VoiceTestUtil.h"

namespace {

using doctest::DocumentTest;
using doctest::leftOf;
using doctest::levelOf;

constexpr int kStep120 = 22050; // frames per step at tempo 120

TEST(StepLength, FollowsTempoAndEmulation) {
    struct {
        int tempo;
        int frames[4]; // coefficient 0, 32, 48, 64
    } const cases[] = {
        {100, {26460, 27562, 26643, 26873}},
        {120, {22050, 22050, 22050, 22050}},
        {150, {17640, 17915, 18375, 17915}},
        {90, {29400, 30318, 29400, 29629}},
    };
    const int coefficients[] = {0, 32, 48, 64};
    for (const auto& c : cases) {
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(MyDocument::stepLength(c.tempo, coefficients[k]), c.frames[k])
                << c.tempo << " " << coefficients[k];
        }
    }
    // (60/144)/(1/48) is a hair above 20 in double precision: 21 units.
    EXPECT_EQ(MyDocument::stepLength(144, 48), 19293);
    EXPECT_EQ(MyDocument::stepLength(72, 48), 37668);
    // A tempo below 1 plays as tempo 1 and never faults.
    for (int tempo : {0, -5, -2147483647 - 1}) {
        EXPECT_EQ(MyDocument::stepLength(tempo, 0), 2646000) << tempo;
        EXPECT_EQ(MyDocument::stepLength(tempo, 48), 2646000) << tempo;
    }
    EXPECT_EQ(MyDocument::stepLength(2147483647, 0), 1);
}

class Playback : public DocumentTest {
protected:
    void SetUp() override {
        DocumentTest::SetUp();
        doc = std::make_unique<MyDocument>(&prefs);
        doc->updateVolume();
        doc->updateTempoEmurationCoefficient();
        score().setTempo(120);
    }

    OrnScore& score() { return doc->editableScore(); }

    // Renders frames up to and including frame `last` (counted from the
    // start of playback); returns the left value of the last one.
    float renderTo(int last) {
        float l = 0;
        while (rendered <= last) {
            frame(*doc, &l);
            ++rendered;
        }
        return l;
    }

    void start() {
        doc->startPlaying();
        rendered = 0;
    }

    std::unique_ptr<MyDocument> doc;
    int rendered = 0;
};

TEST_F(Playback, PositionAdvancesByWholeSteps) {
    start();
    renderTo(0);
    EXPECT_EQ(doc->syncData()->playingIndex(), 0);
    EXPECT_EQ(doc->syncData()->floatPlayingIndex(), 0.0f);
    renderTo(kStep120 - 1);
    EXPECT_EQ(doc->syncData()->playingIndex(), 0);
    renderTo(kStep120);
    EXPECT_EQ(doc->syncData()->playingIndex(), 1);
    EXPECT_EQ(doc->syncData()->floatPlayingIndex(), 1.0f);
    renderTo(kStep120 + kStep120 / 2);
    EXPECT_EQ(doc->syncData()->floatPlayingIndex(), 1.5f);
    renderTo(2 * kStep120);
    EXPECT_EQ(doc->syncData()->playingIndex(), 2);
}

// A short score rendered frame by frame against what its notes must give:
// each voice starts on the first frame of its step and lasts its sample's
// length unless the next voice on its track replaces it.
TEST_F(Playback, ReferenceRenderOfAShortScore) {
    score().setEnd(4);
    score().addNoteAt(0, 9, 1); // sound1 at ratio 1.0
    score().addNoteAt(1, 9, 2); // sound2, replaces it on track 0
    score().addNoteAt(3, 9, 3); // sound3, after a silent step 2
    struct Window {
        int from, to, level;
    };
    const Window windows[] = {
        {0, kStep120, levelOf(1)},
        {kStep120, kStep120 + doctest::kSampleFrames, levelOf(2)},
        {3 * kStep120, 3 * kStep120 + doctest::kSampleFrames, levelOf(3)},
    };
    start();
    const int total = 3 * kStep120 + doctest::kSampleFrames + 100;
    int mismatches = 0;
    for (int i = 0; i < total; ++i) {
        float l = 0, r = 0;
        const float m = frame(*doc, &l, &r);
        double expected = 0.0;
        for (const auto& w : windows) {
            if (i >= w.from && i < w.to) {
                expected = leftOf(w.level);
            }
        }
        if (std::abs(l - expected) > 1e-6 || std::abs(r - expected * 64.0 / 63.0) > 1e-6 ||
            m != (l + r) * 0.5f) {
            if (++mismatches < 5) {
                ADD_FAILURE() << "frame " << i << ": " << l << " " << r << " expected " << expected;
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(doc->syncData()->playingIndex(), total / kStep120);
    EXPECT_LE(doc->mixerDuration(), 0);
}

TEST_F(Playback, LoopRestartsAtStepZeroWithAClearedMixer) {
    score().setEnd(4);
    score().setLoop(true);
    score().addNoteAt(0, 9, 1);
    score().addNoteAt(3, 9, 3);
    start();
    renderTo(4 * kStep120 - 1);
    EXPECT_EQ(doc->syncData()->playingIndex(), 3);
    const float left = renderTo(4 * kStep120);
    EXPECT_EQ(doc->syncData()->playingIndex(), 0);
    // Only step 0's voice sounds: step 3's was cut by the clear.
    EXPECT_NEAR(left, leftOf(levelOf(1)), 1e-6);
    EXPECT_EQ(doc->mixerDuration(), doctest::kSampleFrames - 1);
}

TEST_F(Playback, WithoutLoopTheStepsGoOnWhileVoicesRingOut) {
    score().setEnd(4);
    score().addNoteAt(3, 9, 3);
    start();
    const float left = renderTo(4 * kStep120);
    EXPECT_EQ(doc->syncData()->playingIndex(), 4);
    EXPECT_NEAR(left, leftOf(levelOf(3)), 1e-6);
    EXPECT_EQ(doc->mixerDuration(), 3 * kStep120 + doctest::kSampleFrames - (4 * kStep120 + 1));
    renderTo(5 * kStep120);
    EXPECT_EQ(doc->syncData()->playingIndex(), 5);
}

TEST_F(Playback, TempoChangeTakesEffectAtTheNextFrame) {
    start();
    renderTo(15000);
    score().setTempo(240); // 11025 frames: step 0 is already longer
    renderTo(15001);
    EXPECT_EQ(doc->syncData()->playingIndex(), 1);
    EXPECT_EQ(doc->syncData()->indexInCounter(), 1);
}

TEST_F(Playback, RestartWhilePlayingBeginsStepZeroAgain) {
    score().addNoteAt(0, 9, 1);
    start();
    renderTo(3 * kStep120);
    doc->startPlaying();
    EXPECT_TRUE(doc->restartPending());
    float l = 0;
    frame(*doc, &l);
    EXPECT_FALSE(doc->restartPending());
    EXPECT_EQ(doc->syncData()->playingIndex(), 0);
    EXPECT_NEAR(l, leftOf(levelOf(1)), 1e-6);
    EXPECT_EQ(doc->mixerDuration(), doctest::kSampleFrames - 1);
}

TEST_F(Playback, PreviewAndVolume) {
    auto preview = voiceOf({4000, 4000, 4000});
    // Stopped without a preview: silence.
    EXPECT_EQ(frame(*doc), 0.0f);

    score().addNoteAt(0, 9, 1);
    prefs.setValue(Preferences::kVolume, 50);
    start();
    doc->syncData()->setTone(preview);
    float l = 0, r = 0;
    const float m = frame(*doc, &l, &r);
    EXPECT_NEAR(l, 0.5 * (leftOf(levelOf(1)) + leftOf(4000)), 1e-6);
    EXPECT_NEAR(r, 0.5 * 64.0 / 63.0 * (leftOf(levelOf(1)) + leftOf(4000)), 1e-6);
    // The preview's mono value is its plain channel mix, without the gains.
    const double scoreMono = (leftOf(levelOf(1)) * (1.0 + 64.0 / 63.0)) / 2;
    EXPECT_NEAR(m, 0.5 * (scoreMono + 4000.0 / 65536.0), 1e-6);

    // Stopped, the preview alone sounds, at the volume.
    doc->stopPlaying();
    frame(*doc, &l);
    EXPECT_NEAR(l, 0.5 * leftOf(4000), 1e-6);
    frame(*doc, &l);
    EXPECT_EQ(frame(*doc, &l), 0.0f);
}

TEST_F(Playback, AllocatesOnlyTheVoicesOfNewSteps) {
    score().setTempo(600); // 4410 frames a step
    for (int index = 0; index < 20; ++index) {
        score().addNoteAt(index, 1 + index % 5, 1 + index % 15);
        score().addNoteAt(index, 7, 2);
        score().addNoteAt(index, 12, 3);
    }
    score().setEnd(20);
    // Smooth playback fades the voices it drops from the voices it holds.
    for (const bool smooth : {false, true}) {
        doc->setSmoothPlayback(smooth);
        start();
        std::size_t total = 0;
        int voices = 0;
        for (int i = 0; i < 21 * 4410; ++i) {
            alloccount::start();
            frame(*doc);
            const std::size_t made = alloccount::stop();
            total += made;
            if (doc->syncData()->indexInCounter() != 1) {
                ASSERT_EQ(made, 0u)
                    << "frame " << i << " is not a step boundary, smooth " << smooth;
            } else if (doc->syncData()->playingIndex() < 20) {
                voices += 3;
            }
        }
        EXPECT_EQ(voices, 60) << smooth;
        EXPECT_LE(total, 60u) << smooth;
        EXPECT_GT(total, 0u) << smooth;
    }
}

// Restarts, stops, previews, tempo and volume changes from this thread while
// another thread renders: nothing may fault, tear or race (the thread
// sanitizer build checks the last).
TEST_F(Playback, TwoThreadStress) {
    for (int index = 0; index < 64; ++index) {
        score().addNoteAt(index, 1 + index % 13, 1 + index % 15);
        score().addNoteAt(index, 1 + (index + 5) % 13, 1 + (index + 3) % 15);
    }
    score().setEnd(64);
    score().setTempo(3000);
    std::atomic<bool> done{false};
    std::atomic<long> frames{0};
    std::thread audio([&] {
        float l = 0, r = 0;
        while (!done.load(std::memory_order_acquire)) {
            for (int i = 0; i < 256; ++i) {
                doc->toneLeft(&l, &r);
            }
            frames.fetch_add(256, std::memory_order_relaxed);
        }
    });
    for (int round = 0; round < 2000; ++round) {
        switch (round % 8) {
        case 0: doc->startPlaying(); break;
        case 1: doc->syncData()->setTone(OrnWaves::tone(1 + round % 15, 1 + round % 13)); break;
        case 2: score().setTempo(500 + round % 4000); break;
        case 3: prefs.setValue(Preferences::kVolume, round % 150); break;
        case 4: prefs.setValue(Preferences::kTempoEmurationType, round % 4); break;
        case 5: score().setLoop(round % 3 == 0); break;
        case 6: (void)doc->syncData()->whenToneEnds(); (void)doc->mixerDuration(); break;
        default: if (round % 5 == 0) { doc->stopPlaying(); } break;
        }
        (void)doc->syncData()->floatPlayingIndex();
        if (round % 64 == 0) {
            std::this_thread::yield();
        }
    }
    const long target = frames.load() + 100000;
    while (frames.load() < target) {
        std::this_thread::yield();
    }
    done.store(true, std::memory_order_release);
    audio.join();
    EXPECT_GT(frames.load(), 100000);
}

} // namespace
