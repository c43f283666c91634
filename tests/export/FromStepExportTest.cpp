#include "export/AudioExport.h"
#include "export/MidiFile.h"
#include "export/MidiTimeline.h"
#include "export/SmfReader.h"
#include "export/TempFolder.h"
#include "score/OrnScore.h"
#include "sound/OrnPlayer.h"
#include "sound/OrnWaves.h"
#include "sound/ScoreRender.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <sndfile.h>
#include <tuple>
#include <vector>

namespace {

// Tempo 240, end 8: notes on every step, short (the Dog) and long (the Zubo).
std::unique_ptr<OrnScore> busyScore(bool loop) {
    auto s = std::make_unique<OrnScore>();
    s->setTempo(240);
    s->setEnd(8);
    s->setLoop(loop);
    for (int step = 0; step < 8; ++step) {
        s->addNoteAt(step, 1 + step, step % 2 == 0 ? 1 : 7);
    }
    return s;
}

std::vector<smf::Note> notes(const OrnScore& score, int loops, int from) {
    const auto smf =
        smf::readSmf(zubo::midiFileBytes(zubo::midiTimeline(score, 0, loops, from), 100));
    std::vector<smf::Note> all;
    for (const auto& track : smf.tracks) {
        all.insert(all.end(), track.notes.begin(), track.notes.end());
    }
    std::sort(all.begin(), all.end(), [](const smf::Note& a, const smf::Note& b) {
        return std::tie(a.on, a.key, a.off) < std::tie(b.on, b.key, b.off);
    });
    return all;
}

// The notes of steps k.. of a whole render, `shift` ticks earlier.
std::vector<smf::Note> from(const std::vector<smf::Note>& all, long long first, long long last,
                            long long shift) {
    std::vector<smf::Note> kept;
    for (smf::Note note : all) {
        if (note.on >= first && note.on < last) {
            note.on -= shift;
            note.off -= shift;
            kept.push_back(note);
        }
    }
    return kept;
}

bool same(const std::vector<smf::Note>& a, const std::vector<smf::Note>& b) {
    return std::equal(
        a.begin(), a.end(), b.begin(), b.end(), [](const smf::Note& x, const smf::Note& y) {
            return std::tie(x.prog, x.key, x.on, x.off) == std::tie(y.prog, y.key, y.on, y.off);
        });
}

// A note is cut only by later ones, so the notes from step k on are those of
// the whole score, k steps earlier; after a first pass from k come whole
// passes.
TEST(FromStepMidi, TheNotesFromTheStepOnAreTheWholeScoresMovedEarlier) {
    const OrnWaves bank;
    const long long step = 480;
    for (const bool loop : {false, true}) {
        const auto score = busyScore(loop);
        const auto whole = notes(*score, 1, 0);
        for (const int k : {1, 5, 7}) {
            const auto part = notes(*score, 1, k);
            EXPECT_TRUE(same(part, from(whole, k * step, 1LL << 40, k * step))) << loop << k;
            ASSERT_FALSE(part.empty());
        }
    }
    const auto score = busyScore(true);
    const auto whole = notes(*score, 1, 0);
    const auto two = notes(*score, 3, 5);
    const long long first = 3 * step;
    EXPECT_TRUE(same(from(two, 0, first, 0), from(whole, 5 * step, 8 * step, 5 * step)));
    EXPECT_TRUE(same(from(two, first, first + 8 * step, first), from(whole, 0, 8 * step, 0)));
    EXPECT_TRUE(same(from(two, first + 8 * step, 1LL << 40, first + 8 * step), whole));
}

// The audio export from a step writes what the player plays from there.
TEST(FromStepAudio, WritesThePlayersRenderFromTheStep) {
    const OrnWaves bank;
    const exporttest::TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const auto score = busyScore(true);
    const std::string out = folder.filePath("from.wav");
    zubo::AudioExportOptions options;
    options.floatSamples = true;
    options.loops = 2;
    options.from = 6;
    ASSERT_TRUE(zubo::exportAudio(*score, out, options).ok());
    SF_INFO info{};
    SNDFILE* file = sf_open(out.c_str(), SFM_READ, &info);
    ASSERT_NE(file, nullptr);
    std::vector<float> written(static_cast<std::size_t>(info.frames * 2));
    sf_readf_float(file, written.data(), info.frames);
    sf_close(file);

    OrnPlayer player(score.get());
    player.syncData()->setVolume(1.0f);
    std::vector<float> played;
    renderScore(player, *score, {2, 6}, [&](std::span<const float> block) {
        played.insert(played.end(), block.begin(), block.end());
        return true;
    });
    EXPECT_EQ(written, played);
    const int n = OrnPlayer::stepLength(240, 0);
    EXPECT_GE(info.frames, 10LL * n);
    EXPECT_LT(info.frames, 16LL * n);
}

} // namespace
