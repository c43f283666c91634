#include "document/MyDocument.h"
#include "document/Preferences.h"
#include "sound/NullAudioOutput.h"

#include <gtest/gtest.h>

#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <string>

#include "document/DocumentTestUtil.h"
#include "document/ManualAudioOutput.h"
#include "sound/VoiceTestUtil.h"

namespace {

using doctest::DocumentTest;
using doctest::ManualAudioOutput;
using doctest::OutputLog;

constexpr int kStep120 = 22050; // frames per step at tempo 120

class Transport : public DocumentTest {
protected:
    void SetUp() override {
        DocumentTest::SetUp();
        doctest::application();
        doc = std::make_unique<MyDocument>(&prefs);
        auto manual = std::make_unique<ManualAudioOutput>(log);
        output = manual.get();
        ASSERT_TRUE(doc->initAudio(std::move(manual)));
        doc->editableScore().setTempo(120);
    }

    // A preview voice lasting `seconds`.
    static std::shared_ptr<ToneGenerator> preview(double seconds) {
        return flatVoice(static_cast<int>(seconds * 44100), 3000);
    }

    // Seconds until the pending end check fires, as scheduled.
    double stopCheckDelay() const {
        const QTimer* check = doc->stopCheckTimer();
        return check != nullptr ? check->interval() / 1000.0 : -1.0;
    }

    std::shared_ptr<OutputLog> log = std::make_shared<OutputLog>();
    std::unique_ptr<MyDocument> doc;
    ManualAudioOutput* output = nullptr;
};

TEST_F(Transport, AReplacedScoreLastsUntilTheAudioThreadHasMovedOn) {
    struct Case {
        const char* name;
        bool previewSounding; // keeps the output running past the stop
        std::size_t retiredAtOnce;
    } const cases[] = {
        {"output stopped", false, 0},
        {"output running", true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        doc->startPlaying();
        output->pull(10);
        if (c.previewSounding) {
            doc->playSingleSound(preview(1.0));
        }
        QSignalSpy replaced(doc.get(), &MyDocument::scoreReplaced);
        doc->replaceScore(std::make_unique<OrnScore>());
        EXPECT_EQ(replaced.size(), 1);
        EXPECT_FALSE(doc->isPlaying());
        EXPECT_EQ(doc->isAudioUnitRunning(), c.previewSounding);
        EXPECT_EQ(doc->retiredScoreCount(), c.retiredAtOnce);
        // No block has ended since: the score is still kept.
        doc->onPlaying();
        EXPECT_EQ(doc->retiredScoreCount(), c.retiredAtOnce);
        output->pull(1);
        doc->onPlaying();
        EXPECT_EQ(doc->retiredScoreCount(), 0u);
    }
}

TEST_F(Transport, PreviewWhileStoppedRunsTheOutputUntilShortlyAfterItsEnd) {
    doc->playSingleSound(preview(0.5));
    EXPECT_TRUE(log->running);
    EXPECT_TRUE(doc->isAudioUnitRunning());
    EXPECT_NEAR(stopCheckDelay(), 0.6, 0.001);

    // The first pulled frame is the preview's first frame.
    ASSERT_EQ(output->pull(1), 1);
    EXPECT_NE(output->left()[0], 0.0f);
    output->pullSeconds(0.5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !log->running; }, 2000));
    EXPECT_FALSE(doc->isAudioUnitRunning());
    EXPECT_EQ(doc->stopCheckTimer(), nullptr);
    EXPECT_EQ(log->stops, 1);
}

TEST_F(Transport, StoppingWhileAPreviewHasTimeLeftKeepsTheOutputUntilItEnds) {
    doc->startPlaying();
    doc->playSingleSound(preview(0.5));
    // While playing no end check is needed.
    EXPECT_EQ(doc->stopCheckTimer(), nullptr);
    output->pullSeconds(0.1);
    doc->stopPlaying();
    EXPECT_TRUE(log->running);
    EXPECT_NEAR(stopCheckDelay(), 0.5, 0.002);

    output->pullSeconds(0.4);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !log->running; }, 2000));
    EXPECT_EQ(log->stops, 1);
}

TEST_F(Transport, ASecondPreviewCutsTheFirstAndAnEarlyCheckSchedulesAnother) {
    doc->playSingleSound(preview(0.5));
    QPointer<const QTimer> first = doc->stopCheckTimer();
    ASSERT_NE(first, nullptr);
    QTest::qWait(200);
    doc->playSingleSound(preview(0.5));
    const QTimer* second = doc->stopCheckTimer();
    EXPECT_NE(second, first.data());

    // The first check fires while the second preview has all its time left.
    ASSERT_TRUE(QTest::qWaitFor([&] { return first.isNull(); }, 2000));
    EXPECT_TRUE(log->running);
    EXPECT_NE(doc->stopCheckTimer(), nullptr);
    EXPECT_NEAR(stopCheckDelay(), 0.6, 0.002);

    output->pullSeconds(0.5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !log->running; }, 2000));
    EXPECT_EQ(log->starts, 1);
    EXPECT_EQ(log->stops, 1);
}

TEST_F(Transport, ANullPreviewClearsThePreviewAndStopsTheOutputAtOnce) {
    doc->playSingleSound(preview(0.5));
    doc->playSingleSound(nullptr);
    EXPECT_FALSE(log->running);
    EXPECT_EQ(doc->syncData()->whenToneEnds(), 0.0f);
}

TEST_F(Transport, StartingWhilePlayingRestartsAtStepZeroOnly) {
    doc->startPlaying();
    const QTimer* timer = doc->displayTimer();
    ASSERT_NE(timer, nullptr);
    output->pull(3 * kStep120 + 10);
    EXPECT_EQ(doc->syncData()->playingIndex(), 3);

    doc->startPlaying();
    EXPECT_EQ(doc->displayTimer(), timer);
    EXPECT_EQ(log->starts, 1);
    EXPECT_EQ(log->stops, 0);
    EXPECT_TRUE(doc->restartPending());
    output->pull(1);
    EXPECT_EQ(doc->syncData()->playingIndex(), 0);
    EXPECT_EQ(doc->syncData()->indexInCounter(), 1);
}

TEST_F(Transport, StoppingWhileStoppedIsHarmless) {
    doc->stopPlaying();
    EXPECT_FALSE(doc->isPlaying());
    EXPECT_FALSE(log->running);
    EXPECT_EQ(log->stops, 0);
}

TEST_F(Transport, PlayAlternatesAndOnlyThePlayButtonStarts) {
    QObject playButton;
    QObject stopButton;
    doc->setPlayButton(&playButton);
    enum class Action { Toggle, Play };
    struct {
        Action action;
        QObject* sender;
        bool playingAfter;
    } const steps[] = {
        {Action::Toggle, &stopButton, false}, {Action::Toggle, &playButton, true},
        {Action::Toggle, &playButton, true},  {Action::Toggle, &stopButton, false},
        {Action::Toggle, nullptr, false},     {Action::Play, nullptr, true},
        {Action::Play, &stopButton, false},   {Action::Play, &playButton, true},
        {Action::Toggle, nullptr, false},
    };
    QSignalSpy states(doc.get(), &MyDocument::playStateChanged);
    int i = 0;
    for (const auto& s : steps) {
        if (s.action == Action::Toggle) {
            doc->togglePlaying(s.sender);
        } else {
            doc->play(s.sender);
        }
        EXPECT_EQ(doc->isPlaying(), s.playingAfter) << "step " << i;
        EXPECT_EQ(doc->displayTimer() != nullptr, s.playingAfter) << "step " << i;
        EXPECT_EQ(log->running, s.playingAfter) << "step " << i;
        ASSERT_EQ(states.size(), i + 1);
        EXPECT_EQ(states.back().at(0).toBool(), s.playingAfter) << "step " << i;
        ++i;
    }
}

TEST_F(Transport, WithoutAPlayButtonNoSenderStarts) {
    doc->togglePlaying(nullptr);
    EXPECT_FALSE(doc->isPlaying());
}

class DisplayTick : public Transport {
protected:
    // Pulls until the position passes `position`; false if the transport
    // stopped pulling first.
    bool pullPast(float position) {
        while (doc->syncData()->floatPlayingIndex() <= position) {
            if (output->pull(64) == 0) {
                return false;
            }
        }
        return true;
    }

    // The position the last tick showed.
    float shown() const { return spy->back().at(0).toFloat(); }

    void SetUp() override {
        Transport::SetUp();
        spy = std::make_unique<QSignalSpy>(doc.get(), &MyDocument::scrollRequested);
    }

    std::unique_ptr<QSignalSpy> spy;
};

TEST_F(DisplayTick, StopsAScoreAtItsEndOnceTheMixerIsSilent) {
    OrnScore& score = doc->editableScore();
    score.setEnd(4);
    // Step 3's voice lasts 30000 frames: it rings out until past step 4.25.
    score.addNoteAt(3, 9, 3);
    doc->startPlaying();

    ASSERT_TRUE(pullPast(2.5f));
    doc->onPlaying();
    EXPECT_TRUE(doc->isPlaying());
    EXPECT_NEAR(shown(), 2.5f, 0.01f);
    EXPECT_TRUE(spy->back().at(1).toBool());

    ASSERT_TRUE(pullPast(4.1f));
    doc->onPlaying();
    EXPECT_TRUE(doc->isPlaying());
    EXPECT_NEAR(shown(), 4.1f, 0.01f);

    ASSERT_TRUE(pullPast(4.3f));
    ASSERT_GT(doc->mixerDuration(), 0);
    doc->onPlaying();
    EXPECT_TRUE(doc->isPlaying());
    EXPECT_EQ(shown(), 4.25f);

    while (doc->mixerDuration() > 0) {
        ASSERT_GT(output->pull(64), 0);
    }
    doc->onPlaying();
    EXPECT_FALSE(doc->isPlaying());
    EXPECT_EQ(shown(), 4.25f);
    EXPECT_EQ(doc->displayTimer(), nullptr);
    EXPECT_FALSE(log->running);
}

TEST_F(DisplayTick, ALoopingScoreNeverStopsByItself) {
    OrnScore& score = doc->editableScore();
    score.setEnd(2);
    score.setLoop(true);
    doc->startPlaying();
    for (int pass = 0; pass < 3; ++pass) {
        output->pull(2 * kStep120 - 100);
        doc->onPlaying();
        EXPECT_TRUE(doc->isPlaying());
        EXPECT_LT(shown(), 2.0f);
        output->pull(100);
    }
}

TEST_F(DisplayTick, NeverStopsOnThePreviousPlaybacksPosition) {
    doc->editableScore().setEnd(2);
    doc->startPlaying();
    ASSERT_TRUE(pullPast(2.5f));
    ASSERT_LE(doc->mixerDuration(), 0);
    doc->startPlaying();
    // A position the audio thread wrote just before it saw the restart.
    doc->syncData()->setFloatPlayingIndex(2.5f);
    doc->onPlaying();
    EXPECT_TRUE(doc->isPlaying());
    // Until the request is served the new playback's start is shown.
    EXPECT_EQ(shown(), 0.0f);
}

TEST_F(DisplayTick, NothingMoreOnceStopped) {
    doc->startPlaying();
    doc->stopPlaying();
    doc->onPlaying();
    EXPECT_EQ(spy->size(), 0);
}

TEST_F(DisplayTick, TheTimerFollowsFpsFromTheNextTickWithinOneTo240) {
    struct {
        QVariant fps;
        int ticksPerSecond;
        int intervalMs;
    } const cases[] = {
        {60, 60, 17}, {10, 10, 100}, {0, 1, 1000}, {-5, 1, 1000},
        {1000, 240, 4}, {93, 93, 11}, {"29.97", 29, 34}, {240, 240, 4},
    };
    doc->startPlaying();
    for (const auto& c : cases) {
        const QTimer* before = doc->displayTimer();
        prefs.setValue(Preferences::kFps, c.fps);
        EXPECT_EQ(doc->displayTimer(), before) << c.fps.toString().toStdString();
        doc->onPlaying();
        const QTimer* after = doc->displayTimer();
        ASSERT_NE(after, nullptr);
        EXPECT_EQ(doc->displayFps(), c.ticksPerSecond) << c.fps.toString().toStdString();
        EXPECT_EQ(after->interval(), c.intervalMs) << c.fps.toString().toStdString();
        EXPECT_TRUE(after->isActive());
        // An unchanged rate keeps its timer.
        doc->onPlaying();
        EXPECT_EQ(doc->displayTimer(), after) << c.fps.toString().toStdString();
    }
}

TEST_F(DisplayTick, TheTimerDrivesTheTick) {
    prefs.setValue(Preferences::kFps, 100);
    doc->startPlaying();
    EXPECT_TRUE(QTest::qWaitFor([&] { return spy->size() >= 3; }, 2000));
}

TEST_F(DocumentTest, RenderCallbackFillsBothChannelsFrameByFrame) {
    MyDocument doc(&prefs);
    doc.updateVolume();
    auto voice = voiceOf({1000, 2000, 3000, 4000, 5000});
    doc.syncData()->setTone(voice);
    float left[8];
    float right[8];
    std::fill(std::begin(left), std::end(left), -9.0f);
    std::fill(std::begin(right), std::end(right), -9.0f);
    EXPECT_EQ(RenderCallback(&doc.player(), 6, left, right), 0);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(left[i], voice->pcmLeftAt(i)) << i;
        EXPECT_EQ(right[i], voice->pcmRightAt(i)) << i;
    }
    EXPECT_NE(left[0], right[0]);
    EXPECT_EQ(left[6], -9.0f);
    EXPECT_EQ(right[6], -9.0f);
}

TEST_F(DocumentTest, AnOutputThatCannotOpenIsLoggedAndPlaybackRunsSilently) {
    struct {
        AudioOutput::OpenStep step;
        int status;
        const char* line;
    } const cases[] = {
        {AudioOutput::OpenStep::SetCallback, -9996, "AudioUnitSetProperty = -9996\n"},
        {AudioOutput::OpenStep::Initialize, -9985, "AudioUnitInitialize = -9985\n"},
    };
    doctest::application();
    for (const auto& c : cases) {
        MyDocument doc(&prefs);
        auto log = std::make_shared<OutputLog>();
        testing::internal::CaptureStderr();
        EXPECT_FALSE(doc.initAudio(std::make_unique<ManualAudioOutput>(
            log, AudioOutput::OpenResult{c.step, c.status})));
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.line);
        EXPECT_FALSE(doc.hasAudioOutput());
        EXPECT_EQ(log->events, (std::vector<std::string>{"open", "close"}));
        EXPECT_NE(dynamic_cast<NullAudioOutput*>(doc.audioOutput()), nullptr);

        doc.startPlaying();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return doc.syncData()->floatPlayingIndex() > 0.0f; }, 2000));
    }
}

TEST_F(DocumentTest, NoOutputBeforeInitAudio) {
    doctest::application();
    MyDocument doc(&prefs);
    EXPECT_FALSE(doc.hasAudioOutput());
    EXPECT_EQ(doc.audioOutput(), nullptr);
    doc.startPlaying();
    doc.playSingleSound(flatVoice(100, 1000));
    doc.stopPlaying();
    EXPECT_TRUE(doc.isAudioUnitRunning());
}

// Freeing the document: playback and output stop, and the output is closed
// while the score, the mixer and the synchroniser still exist (the address
// sanitizer build would catch a read of a freed one).
TEST_F(Transport, FreeingStopsAndClosesTheOutputBeforeWhatItReads) {
    doc->startPlaying();
    doc->playSingleSound(preview(0.5));
    output->pullSeconds(0.2);
    bool alive = false;
    MyDocument* freed = doc.get();
    output->setOnClose([&](void* context) {
        // The player is the output's context; the document still holds it.
        auto* player = static_cast<OrnPlayer*>(context);
        alive = player == &freed->player() && freed->score().end() >= 0 &&
                player->syncData()->volume() >= 0.0f && player->mixerDuration() > -1000000;
    });
    doc.reset();
    EXPECT_TRUE(alive);
    EXPECT_EQ(log->events, (std::vector<std::string>{"open", "start", "stop", "close"}));
    EXPECT_FALSE(log->running);
}

TEST_F(Transport, ClosingTheWindowStopsEverythingAndNormalisesFps) {
    struct {
        QVariant stored; // invalid: absent
        double after;    // what "fps" reads afterwards
    } const cases[] = {
        {"29.97", 29.0}, {25.0, 25.0}, {-5, -5.0}, {"-2.5", -2.5}, {QVariant(), 0.0}, {"240.5", 240.0},
    };
    for (const auto& c : cases) {
        const std::string name = c.stored.toString().toStdString();
        auto caseLog = std::make_shared<OutputLog>();
        MyDocument d(&prefs);
        d.initAudio(std::make_unique<ManualAudioOutput>(caseLog));
        if (c.stored.isValid()) {
            prefs.setValue(Preferences::kFps, c.stored);
        } else {
            prefs.remove(Preferences::kFps);
        }
        d.startPlaying();
        d.playSingleSound(preview(0.5));
        d.windowWillClose();
        EXPECT_FALSE(d.isPlaying()) << name;
        EXPECT_FALSE(caseLog->running) << name;
        EXPECT_EQ(d.displayTimer(), nullptr) << name;
        EXPECT_EQ(d.stopCheckTimer(), nullptr) << name;
        EXPECT_EQ(prefs.floatValue(Preferences::kFps), c.after) << name;
        EXPECT_EQ(prefs.contains(Preferences::kFps), c.stored.isValid()) << name;

        // The observation has ended.
        const float volume = d.syncData()->volume();
        prefs.setValue(Preferences::kVolume, 37);
        EXPECT_EQ(d.syncData()->volume(), volume) << name;
        prefs.remove(Preferences::kVolume);
    }
}

TEST_F(Transport, NoEndCheckFiresAfterTheWindowHasClosed) {
    doc->playSingleSound(preview(0.05));
    QPointer<const QTimer> check = doc->stopCheckTimer();
    doc->playSingleSound(preview(0.05));
    doc->windowWillClose();
    EXPECT_TRUE(check.isNull());
    const int stops = log->stops;
    QTest::qWait(200);
    EXPECT_EQ(log->stops, stops);
}

} // namespace
