#include "document/ExportSettings.h"

#include "document/DocumentTestUtil.h"
#include "document/MyDocument.h"
#include "document/Preferences.h"

#include <QVariant>
#include <gtest/gtest.h>
#include <optional>

namespace {

using doctest::DocumentTest;

// What the user passed wins; the preferences fill the rest, read as a
// document reads them for playback.
TEST_F(DocumentTest, ExportSettingsTakeThePassedOptionsAndThePreferences) {
    const struct {
        const char* name;
        QVariant volume, tempoType, quality; // invalid: absent
        std::optional<double> passedVolume;
        std::optional<int> passedTempoEmulation;
        bool passedSmooth;
        zubo::ExportSettings expected;
    } cases[] = {
        {"nothing stored", {}, {}, {}, std::nullopt, std::nullopt, false, {1.0f, 0, false}},
        {"stored", 50, 2, 1, std::nullopt, std::nullopt, false, {0.5f, 48, true}},
        {"a stored zero is silence", 0, 1, 0, std::nullopt, std::nullopt, false, {0.0f, 32, false}},
        {"stored as text", "75", 3, {}, std::nullopt, std::nullopt, false, {0.75f, 64, false}},
        {"passed over stored", 50, 3, 0, 150.0, 0, true, {1.5f, 0, true}},
        {"passed zero", {}, {}, 1, 0.0, 2, false, {0.0f, 48, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto store = [this](const char* key, const QVariant& value) {
            if (value.isValid()) {
                prefs.setValue(QString::fromLatin1(key), value);
            } else {
                prefs.remove(QString::fromLatin1(key));
            }
        };
        store(Preferences::kVolume, c.volume);
        store(Preferences::kTempoEmurationType, c.tempoType);
        store(Preferences::kPlaybackQuality, c.quality);
        zubo::AudioExportOptions passed;
        passed.floatSamples = true;
        passed.loops = 3;
        passed.volumePercent = c.passedVolume;
        passed.tempoEmulation = c.passedTempoEmulation;
        passed.smooth = c.passedSmooth;

        const zubo::AudioExportOptions resolved = zubo::withExportSettings(passed, prefs);
        EXPECT_EQ(resolved.settings.gain, c.expected.gain);
        EXPECT_EQ(resolved.settings.tempoEmurationCoefficient,
                  c.expected.tempoEmurationCoefficient);
        EXPECT_EQ(resolved.settings.smooth, c.expected.smooth);
        EXPECT_TRUE(resolved.floatSamples);
        EXPECT_EQ(resolved.loops, 3);
        EXPECT_EQ(resolved.volumePercent, c.passedVolume);

        // With nothing passed, an export plays as the document would.
        MyDocument doc(&prefs);
        doc.updateVolume();
        doc.updateTempoEmurationCoefficient();
        doc.updatePlaybackQuality();
        const zubo::ExportSettings preferred = zubo::exportSettings({}, prefs);
        EXPECT_EQ(preferred.gain, doc.syncData()->volume());
        EXPECT_EQ(preferred.tempoEmurationCoefficient, doc.tempoEmurationCoefficient());
        EXPECT_EQ(preferred.smooth, doc.player().smoothPlayback());
    }
    prefs.remove(QString::fromLatin1(Preferences::kPlaybackQuality));
}

} // namespace
