// Choosing and clearing the folder of the user's sounds in the Preferences
// dialog: the shared bank follows, a folder that cannot be used is an alert.
#include "ComposerTestUtil.h"
#include "composer/InstrumentsFollower.h"
#include "composer/PreferencesDialog.h"
#include "sound/WavImage.h"

#include <QLabel>
#include <QPushButton>
#include <cmath>

namespace {

class InstrumentsPreference : public composertest::ComposerTest {
  protected:
    void SetUp() override {
        ComposerTest::SetUp();
        prefs.remove(QLatin1String(Preferences::kInstrumentsFolder));
        sounds = QDir(folder.path()).filePath(QStringLiteral("sounds"));
        ASSERT_TRUE(QDir().mkpath(sounds));
    }
    void TearDown() override {
        prefs.remove(QLatin1String(Preferences::kInstrumentsFolder));
        OrnWaves::ornWaves()->setUserSamples(nullptr);
        ComposerTest::TearDown();
    }
    void put(const char* name, const Bytes& bytes) const {
        writeFile(std::filesystem::path(sounds.toStdString()) / name, bytes);
    }
    static Bytes sine(int frames) {
        std::vector<int> samples;
        for (int i = 0; i < frames; ++i) {
            samples.push_back(static_cast<int>(std::lround(9000.0 * std::sin(i * 0.03))));
        }
        return mono16(samples);
    }
    static int starFrames() {
        auto voice = OrnWaves::tone(4, 9);
        voice->setRate(44100);
        return voice->duration();
    }
    QString sounds;
};

TEST_F(InstrumentsPreference, ChoosingAndClearingTheFolderSwapsTheSounds) {
    put("star.WAV", sine(3000));
    const InstrumentsFollower follower(&dialogs, &prefs);
    const int ours = starFrames();
    PreferencesDialog dialog(&prefs);
    EXPECT_FALSE(dialog.clearInstruments()->isEnabled());
    EXPECT_EQ(dialog.instrumentsFolder()->text(), QStringLiteral("Your instruments: folder…"));
    QString offered = QStringLiteral("unasked");
    dialog.setFolderQuestion([&](QWidget*, const QString& start) {
        offered = start;
        return sounds;
    });
    dialog.instrumentsFolder()->click();
    EXPECT_TRUE(offered.isEmpty());
    EXPECT_EQ(prefs.value(QLatin1String(Preferences::kInstrumentsFolder)).toString(), sounds);
    EXPECT_EQ(starFrames(), 3000) << "the palette's preview plays the new sound";
    EXPECT_TRUE(dialog.instrumentsShown()->text().contains(sounds));
    ASSERT_TRUE(dialog.clearInstruments()->isEnabled());
    dialog.clearInstruments()->click();
    EXPECT_FALSE(prefs.contains(QLatin1String(Preferences::kInstrumentsFolder)));
    EXPECT_EQ(starFrames(), ours);
    EXPECT_TRUE(dialogs.alerts.empty());
}

TEST_F(InstrumentsPreference, AFolderOrFileThatCannotBeUsedIsAnAlert) {
    const InstrumentsFollower follower(&dialogs, &prefs);
    const QString missing = QDir(folder.path()).filePath(QStringLiteral("gone"));
    prefs.setValue(QLatin1String(Preferences::kInstrumentsFolder), missing);
    ASSERT_EQ(dialogs.alerts.size(), 1u);
    EXPECT_EQ(dialogs.alerts[0].detail,
              missing + QStringLiteral(": no such folder; the sounds in use stay."));
    EXPECT_EQ(OrnWaves::ornWaves()->userSamples(), nullptr);

    put("Cat.wav", Bytes{'x', 'y'});
    prefs.setValue(QLatin1String(Preferences::kInstrumentsFolder), sounds);
    ASSERT_EQ(dialogs.alerts.size(), 2u);
    EXPECT_TRUE(dialogs.alerts[1].detail.startsWith(QStringLiteral("Cat.wav: not a sound file (")));
    EXPECT_TRUE(dialogs.alerts[1].detail.endsWith(QStringLiteral("; Cat keeps its own sound")));
}

} // namespace
