#include "export/AudioExport.h"
#include "export/MidiExport.h"
#include "export/SmfReader.h"
#include "export/SoundFrames.h"
#include "export/TempFolder.h"
#include "score/ScoreTestUtil.h"
#include "sound/OrnWaves.h"

#include <cstdint>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

using exporttest::TempFolder;

TEST(ExportPaths, TheNamesEndPicksTheWriter) {
    const struct {
        const char* path;
        bool midi;
        bool audio;
    } cases[] = {
        {"a.mid", true, false},   {"a.MID", true, false},    {"/x/y.Mid", true, false},
        {".mid", true, false},    {"a.midi", false, false},  {"amid", false, false},
        {"a.mid/", false, false}, {"x.mid/a", false, false}, {"a.mid.wav", false, true},
        {"a.wav", false, true},   {"a.FLAC", false, true},   {"a.ogg", false, true},
        {"a.png", false, false},  {"", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(zubo::isMidiExportPath(c.path), c.midi) << c.path;
        EXPECT_EQ(zubo::isAudioExportPath(c.path), c.audio) << c.path;
    }
}

// Tempo 120, a Zubo at F4 on step 0 and step 2, end 4.
const std::string kScore = "SCORE=0091000091\nTEMPO=120\nLOOP=TRUE\nEND=5\nTIME44=TRUE\n";

class Export : public ::testing::Test {
  protected:
    // The float WAV the audio export writes with these options, interleaved.
    std::vector<float> rendered(const zubo::AudioExportOptions& options) {
        const std::string out = folder.filePath("a.wav");
        const zubo::ExportResult result = zubo::exportAudio(*scoretest::load(kScore), out, options);
        EXPECT_TRUE(result.ok()) << result.message;
        return exporttest::readSoundFrames(out);
    }
    // The MIDI file the MIDI export writes with these options, read back.
    smf::Smf midi(const zubo::AudioExportOptions& options) {
        const std::string out = folder.filePath("a.mid");
        // Tempo 100: 0.6 s a step, 0.609375 s in units of 1/64 s.
        const auto score =
            scoretest::load("SCORE=0091000091\nTEMPO=100\nLOOP=FALSE\nEND=5\nTIME44=TRUE\n");
        const zubo::ExportResult result =
            zubo::exportMidi(*score, out, zubo::midiExportOptions(options));
        EXPECT_TRUE(result.ok()) << result.message;
        std::ifstream file(out, std::ios::binary);
        return smf::readSmf(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), {}));
    }

    const OrnWaves bank;
    const TempFolder folder;
};

// The exporters render with the settings they are given and nothing else:
// what the user passed counts only once the caller has resolved it.
TEST_F(Export, AudioFollowsTheGivenSettingsOnly) {
    ASSERT_TRUE(folder.ok());
    zubo::AudioExportOptions options;
    options.floatSamples = true;
    const std::vector<float> plain = rendered(options);
    ASSERT_GT(plain.size(), 4u * 22050 * 2);

    zubo::AudioExportOptions unresolved = options;
    unresolved.volumePercent = 50;
    unresolved.tempoEmulation = 3;
    unresolved.smooth = true;
    EXPECT_EQ(rendered(unresolved), plain);

    zubo::AudioExportOptions half = options;
    half.settings.gain = 0.5f;
    const std::vector<float> quiet = rendered(half);
    ASSERT_EQ(quiet.size(), plain.size());
    for (std::size_t i = 0; i < plain.size(); i += 7) {
        ASSERT_EQ(quiet[i], plain[i] * 0.5f) << i;
    }

    // The second note replaces the first at frame 44100, which smooth
    // playback fades out there.
    zubo::AudioExportOptions smooth = options;
    smooth.settings.smooth = true;
    const std::vector<float> faded = rendered(smooth);
    ASSERT_EQ(faded.size(), plain.size());
    EXPECT_EQ(faded[2 * 44099], plain[2 * 44099]);
    EXPECT_NE(faded[2 * 44101], plain[2 * 44101]);
}

TEST_F(Export, MidiFollowsTheGivenSettingsOnly) {
    ASSERT_TRUE(folder.ok());
    const struct {
        const char* name;
        zubo::ExportSettings settings;
        std::optional<double> passedVolume;
        std::optional<int> passedTempoEmulation;
        int velocity;
        long long micros; // a step, one quarter
    } cases[] = {
        {"defaults", {}, std::nullopt, std::nullopt, 100, 600000},
        {"half gain", {0.5f, 0, false}, std::nullopt, std::nullopt, 50, 600000},
        {"passed only", {}, 50.0, 3, 100, 600000},
        {"emulated tempo", {1.2f, 64, false}, std::nullopt, std::nullopt, 120, 609375},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        zubo::AudioExportOptions options;
        options.settings = c.settings;
        options.volumePercent = c.passedVolume;
        options.tempoEmulation = c.passedTempoEmulation;
        const smf::Smf smf = midi(options);
        ASSERT_TRUE(smf.ok);
        ASSERT_EQ(smf.tracks.size(), 2u);
        EXPECT_EQ(smf.tracks[0].tempo, c.micros);
        ASSERT_EQ(smf.tracks[1].notes.size(), 2u);
        for (const smf::Note& note : smf.tracks[1].notes) {
            EXPECT_EQ(note.velocity, c.velocity);
        }
    }
}

} // namespace
