#include "sound/MyDocumentSyncData.h"

#include <gtest/gtest.h>

#include "sound/VoiceTestUtil.h"

namespace {

TEST(MyDocumentSyncData, NewRecordIsAtRestAndSilent) {
    MyDocumentSyncData sync;
    EXPECT_EQ(sync.playingIndex(), -1);
    EXPECT_EQ(sync.indexInCounter(), 0);
    EXPECT_EQ(sync.floatPlayingIndex(), 0.0f);
    EXPECT_EQ(sync.whenToneEnds(), 0.0f);
    float l = 1, r = 1;
    EXPECT_EQ(sync.toneLeft(&l, &r), 0.0f);
    EXPECT_EQ(l, 0.0f);
    EXPECT_EQ(r, 0.0f);
}

TEST(MyDocumentSyncData, ClearCounterResetsThePosition) {
    MyDocumentSyncData sync;
    sync.setPlayingIndex(7);
    sync.setIndexInCounter(99);
    sync.setFloatPlayingIndex(7.5f);
    sync.clearCounter();
    EXPECT_EQ(sync.playingIndex(), -1);
    EXPECT_EQ(sync.indexInCounter(), 0);
    EXPECT_EQ(sync.floatPlayingIndex(), 0.0f);
}

TEST(MyDocumentSyncData, PreviewPlaysFrameByFrameAndEndsAtSilence) {
    MyDocumentSyncData sync;
    auto voice = voiceOf({1000, 2000, 3000, 4000});
    sync.setTone(voice);
    EXPECT_FLOAT_EQ(sync.whenToneEnds(), 4.0f / 44100.0f);
    for (int i = 0; i < 4; ++i) {
        float l = 0, r = 0;
        EXPECT_EQ(sync.toneLeft(&l, &r), voice->pcmMonoAt(i));
        EXPECT_EQ(l, voice->pcmLeftAt(i));
        EXPECT_EQ(r, voice->pcmRightAt(i));
    }
    EXPECT_EQ(sync.whenToneEnds(), 0.0f);
    float l = 0, r = 0;
    EXPECT_EQ(sync.toneLeft(&l, &r), 0.0f); // frame 4: silent and past the end
    EXPECT_EQ(sync.toneIndex(), 0);
    EXPECT_EQ(sync.whenToneEnds(), 0.0f); // the voice is gone
}

TEST(MyDocumentSyncData, PreviewGoesOnWhileItsSoundIsNotZero) {
    // A voice whose length was cut short by a release still plays on
    // while its samples are not exactly zero.
    MyDocumentSyncData sync;
    auto voice = voiceOf({1000, 2000, 3000, 0, 5});
    voice->setRelease(1, 0);
    sync.setTone(voice);
    float l = 0, r = 0;
    sync.toneLeft(&l, &r);
    sync.toneLeft(&l, &r);
    EXPECT_EQ(sync.toneIndex(), 2); // frame 1 lies past the length but still sounds
    EXPECT_LT(sync.whenToneEnds(), 0.0f);
    sync.toneLeft(&l, &r); // frame 2: faded to 0.0 and past the length: ended
    EXPECT_EQ(sync.toneIndex(), 0);
}

TEST(MyDocumentSyncData, NewPreviewCutsTheOldAndNullSilences) {
    MyDocumentSyncData sync;
    auto first = flatVoice(100, 1000);
    auto second = voiceOf({7000, 6000});
    sync.setTone(first);
    float l = 0, r = 0;
    sync.toneLeft(&l, &r);
    sync.toneLeft(&l, &r);
    sync.setTone(second);
    EXPECT_EQ(sync.toneIndex(), 0);
    EXPECT_EQ(sync.toneLeft(&l, &r), second->pcmMonoAt(0));
    sync.setTone(nullptr);
    EXPECT_EQ(sync.toneLeft(&l, &r), 0.0f);
    EXPECT_EQ(l, 0.0f);
    EXPECT_EQ(sync.whenToneEnds(), 0.0f);
}

TEST(MyDocumentSyncData, AnEndedPreviewIsLetGoOnlyByTheMainThread) {
    // Ended by rendering (the audio thread), then let go by each way the
    // main thread has.
    for (const bool bySetTone : {false, true}) {
        MyDocumentSyncData sync;
        std::weak_ptr<ToneGenerator> watch;
        {
            auto voice = voiceOf({1000, 2000});
            watch = voice;
            sync.setTone(std::move(voice));
        }
        float l = 0, r = 0;
        for (int i = 0; i < 4; ++i) {
            sync.toneLeft(&l, &r);
        }
        EXPECT_FALSE(sync.hasTone());
        EXPECT_EQ(sync.whenToneEnds(), 0.0f);
        EXPECT_EQ(sync.toneLeft(&l, &r), 0.0f);
        EXPECT_FALSE(watch.expired()) << "freed while rendering";
        if (bySetTone) {
            sync.setTone(nullptr);
        } else {
            sync.releaseEndedTone();
        }
        EXPECT_TRUE(watch.expired());
    }
}

TEST(MyDocumentSyncData, ASoundingPreviewIsNotLetGo) {
    MyDocumentSyncData sync;
    auto voice = voiceOf({1000, 2000, 3000});
    sync.setTone(voice);
    float l = 0, r = 0;
    sync.toneLeft(&l, &r);
    sync.releaseEndedTone();
    EXPECT_TRUE(sync.hasTone());
    EXPECT_EQ(sync.toneLeft(&l, &r), voice->pcmMonoAt(1));
}

} // namespace
