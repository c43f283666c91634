// The transport driven hard from the main thread while the silent output's
// thread renders far faster than real time. Run by the thread-sanitizer
// build, which reports any unsynchronised access between the two threads.
#include "document/MyDocument.h"
#include "document/Preferences.h"
#include "sound/NullAudioOutput.h"

#include <gtest/gtest.h>

#include <QTest>

#include <random>

#include "document/DocumentTestUtil.h"
#include "sound/VoiceTestUtil.h"

namespace {

using doctest::DocumentTest;

TEST_F(DocumentTest, TransportStressOverTheSilentOutput) {
    doctest::application();
    MyDocument doc(&prefs);
    ASSERT_TRUE(doc.initAudio(std::make_unique<NullAudioOutput>(200.0)));
    OrnScore& score = doc.editableScore();
    // Every step holds three notes: each step boundary places three voices.
    for (int step = 0; step < 16; ++step) {
        for (int note = 1; note <= 3; ++note) {
            score.addNoteAt(step, note + step % 8, 1 + (step + note) % 15);
        }
    }
    score.setEnd(16);

    std::mt19937 random(5);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int i = 0; i < 4000; ++i) {
        switch (pick(9)) {
        case 0:
            doc.startPlaying();
            break;
        case 1:
            doc.stopPlaying();
            break;
        case 2:
            doc.play(nullptr);
            break;
        case 3:
            doc.playSingleSound(flatVoice(50 + pick(2000), 2000));
            break;
        case 4:
            score.setTempo(30 + pick(2000));
            break;
        case 5:
            prefs.setValue(Preferences::kVolume, pick(150));
            break;
        case 6:
            prefs.setValue(Preferences::kTempoEmurationType, pick(4));
            break;
        case 7:
            score.setLoop(pick(2) == 0);
            doc.onPlaying();
            break;
        default:
            QCoreApplication::processEvents();
            break;
        }

        // No preview is lost: one set now, whatever the transport does,
        // plays to its end and the output then stops by itself unless the
        // score plays.
        if (i % 400 == 399) {
            doc.playSingleSound(flatVoice(3000, 2000));
            ASSERT_TRUE(doc.isAudioUnitRunning());
            ASSERT_TRUE(QTest::qWaitFor([&] { return doc.syncData()->whenToneEnds() <= 0.0f; },
                                        5000))
                << i;
            doc.stopPlaying();
            ASSERT_TRUE(QTest::qWaitFor([&] { return !doc.isAudioUnitRunning(); }, 5000)) << i;
        }
    }
    doc.startPlaying();
    QTest::qWait(20);
    EXPECT_GT(doc.audioOutput()->blocksRendered(), 0);
}

} // namespace
