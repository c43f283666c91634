// The transport driven hard from the main thread while the silent output's
// thread renders far faster than real time. Run by the thread-sanitizer
// build, which reports any unsynchronised access between the two threads.
#include "document/MyDocument.h"
#include "document/Preferences.h"
#include "sound/NullAudioOutput.h"

#include <gtest/gtest.h>

#include <QTest>

#include <algorithm>
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
            // The output runs for it, unless at two hundred times real time
            // it has already played it all (a slow main thread, as under
            // the sanitizers).
            ASSERT_TRUE(doc.isAudioUnitRunning() || doc.syncData()->whenToneEnds() <= 0.0f);
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

// Edits, undo and redo, tempo changes and whole replacements of the score
// while the silent output renders far faster than real time: the sanitizer
// builds report any race on the cells and any read of a freed score.
TEST_F(DocumentTest, EditsAndReplacementsDuringPlayback) {
    doctest::application();
    MyDocument doc(&prefs);
    ASSERT_TRUE(doc.initAudio(std::make_unique<NullAudioOutput>(200.0)));
    auto denseScore = [] {
        auto score = std::make_unique<OrnScore>();
        for (int step = 0; step < 32; ++step) {
            for (int note = 1; note <= 3; ++note) {
                score->addNoteAt(step, note + step % 10, 1 + (step + note) % 15);
            }
        }
        score->setEnd(32);
        score->setTempo(3000);
        score->setLoop(true);
        return score;
    };
    doc.replaceScore(denseScore());
    doc.startPlaying();

    std::mt19937 random(11);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    // Edits go on until the audio thread has rendered many blocks meanwhile,
    // however the machine schedules it (bounded, so a stalled output fails).
    const std::int64_t blocksBefore = doc.audioOutput()->blocksRendered();
    auto rendered = [&] { return doc.audioOutput()->blocksRendered() - blocksBefore; };
    std::size_t mostRetired = 0;
    std::size_t retiredWhileRunning = 0;
    for (int i = 0; (i < 3000 || rendered() < 500) && i < 300000; ++i) {
        switch (pick(6)) {
        case 0:
            doc.undoableAddNoteAt(pick(32), 1 + pick(13), 1 + pick(15));
            break;
        case 1:
            doc.undoableRemoveNoteAt(pick(32), 1 + pick(13));
            break;
        case 2:
            doc.undoStack()->undo();
            break;
        case 3:
            doc.undoStack()->redo();
            break;
        case 4:
            // Replaced in quick succession, as paste after paste does; the
            // replacement stops playback, which starts again at once. A
            // preview keeps the output running across the replacement, so
            // the old score waits for the audio thread to be done with it.
            doc.playSingleSound(flatVoice(5000, 0));
            doc.replaceScore(denseScore());
            if (doc.isAudioUnitRunning()) {
                retiredWhileRunning = std::max(retiredWhileRunning, doc.retiredScoreCount());
            }
            doc.startPlaying();
            break;
        default:
            doc.undoableSetEnd(1 + pick(32));
            QCoreApplication::processEvents();
            break;
        }
        mostRetired = std::max(mostRetired, doc.retiredScoreCount());
    }
    EXPECT_GE(rendered(), 500);
    EXPECT_GT(retiredWhileRunning, 0u);
    // Replaced scores do not pile up: each goes once a block has ended.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            doc.onPlaying();
            return doc.retiredScoreCount() == 0;
        },
        5000))
        << doc.retiredScoreCount() << " left, most " << mostRetired;
}

} // namespace
