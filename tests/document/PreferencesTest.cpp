#include "document/MyDocument.h"
#include "document/Preferences.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QSettings>
#include <QSignalSpy>

#include "document/DocumentTestUtil.h"

namespace {

using doctest::DocumentTest;

TEST_F(DocumentTest, NewDocumentWithoutPreferences) {
    MyDocument doc(&prefs);
    doc.updateVolume();
    doc.updateTempoEmurationCoefficient();
    EXPECT_EQ(doc.fps(), 30);
    EXPECT_EQ(doc.syncData()->volume(), 1.0f);
    EXPECT_EQ(doc.tempoEmurationCoefficient(), 0);
    EXPECT_EQ(doc.origTempo(), 100);
    EXPECT_EQ(doc.origMeasure(), 4);
    EXPECT_FALSE(doc.origLoop());
    EXPECT_FALSE(doc.isPlaying());
}

TEST_F(DocumentTest, StoredPreferencesAndLiveChanges) {
    prefs.setValue(Preferences::kFps, 24);
    MyDocument doc(&prefs);
    EXPECT_EQ(doc.fps(), 24);
    prefs.setValue(Preferences::kFps, 60);
    EXPECT_EQ(doc.fps(), 60);
    prefs.setValue(Preferences::kFps, 0); // only a stored 0 at creation means 30
    EXPECT_EQ(doc.fps(), 0);

    struct {
        QVariant stored; // invalid: absent
        float gain;
    } const volumes[] = {{50, 0.5f}, {QVariant(), 1.0f}, {0, 0.0f}, {150, 1.5f}, {"75", 0.75f}};
    for (const auto& v : volumes) {
        if (v.stored.isValid()) {
            prefs.setValue(Preferences::kVolume, v.stored);
        } else {
            prefs.remove(Preferences::kVolume);
        }
        EXPECT_EQ(doc.syncData()->volume(), v.gain) << v.stored.toString().toStdString();
    }

    struct {
        int type, coefficient;
    } const types[] = {{1, 32}, {2, 48}, {3, 64}, {-1, 64}, {0, 0}, {99, 64}};
    for (const auto& t : types) {
        prefs.setValue(Preferences::kTempoEmurationType, t.type);
        EXPECT_EQ(doc.tempoEmurationCoefficient(), t.coefficient) << t.type;
    }

    // Only 1 is smooth: anything else, absent included, is the classic player.
    struct {
        QVariant stored;
        bool smooth;
    } const qualities[] = {{1, true},  {0, false}, {"1", true},
                           {2, false}, {1, true},  {QVariant(), false}};
    for (const auto& q : qualities) {
        if (q.stored.isValid()) {
            prefs.setValue(Preferences::kPlaybackQuality, q.stored);
        } else {
            prefs.remove(Preferences::kPlaybackQuality);
        }
        EXPECT_EQ(doc.smoothPlayback(), q.smooth) << q.stored.toString().toStdString();
    }
}

TEST_F(DocumentTest, ObservationEnds) {
    MyDocument doc(&prefs);
    doc.stopObserving();
    prefs.setValue(Preferences::kFps, 12);
    EXPECT_EQ(doc.fps(), 30);
}

TEST_F(DocumentTest, OutsideEditsArePickedUp) {
    doctest::application();
    Preferences watching;
    MyDocument doc(&watching);
    QSignalSpy spy(&watching, &Preferences::valueChanged);
    {
        // Another program writes the settings file.
        QSettings other(QSettings::NativeFormat, QSettings::UserScope, "Zubo", "Zubo Sequencer");
        other.setValue(Preferences::kVolume, 40);
        other.sync();
    }
    QElapsedTimer waited;
    waited.start();
    while (doc.syncData()->volume() != 0.4f && waited.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    EXPECT_EQ(doc.syncData()->volume(), 0.4f);
    ASSERT_GE(spy.count(), 1);
    EXPECT_EQ(spy.first().at(0).toString(), QStringLiteral("volume"));
}

} // namespace
