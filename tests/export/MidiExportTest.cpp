#include "export/MidiExport.h"

#include "export/MidiFile.h"
#include "export/MidiTimeline.h"
#include "export/SmfReader.h"
#include "export/TempFolder.h"
#include "score/OrnNote.h"
#include "score/OrnScore.h"
#include "sound/OrnWaves.h"

#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

using smf::Note;
using smf::readSmf;
using smf::Smf;
using smf::Track;

struct Cell {
    int step;
    int ornNote;
    int prog;
};

class MidiExport : public ::testing::Test {
  protected:
    static Smf exported(const std::vector<Cell>& cells, int tempo, int end, bool loop,
                        int loops = 1, int coefficient = 0, int measure = 4) {
        OrnScore s;
        s.setTempo(tempo);
        s.setMeasure(measure);
        s.setEnd(end);
        s.setLoop(loop);
        for (const Cell& cell : cells) {
            s.addNoteAt(cell.step, cell.ornNote, cell.prog);
        }
        return readSmf(zubo::midiFileBytes(zubo::midiTimeline(s, coefficient, loops), 100));
    }
    static std::vector<Note> notesOf(const Smf& smf) {
        std::vector<Note> notes;
        for (const Track& track : smf.tracks) {
            notes.insert(notes.end(), track.notes.begin(), track.notes.end());
        }
        return notes;
    }
    const OrnWaves bank;
};

// At tempo 240 the Zubo rings about five steps, the Dog's bark less than one.
constexpr int kZubo = 1;
constexpr int kDog = 7;
constexpr int kFast = 240;

TEST_F(MidiExport, NotesLastAsLongAsThePlayerSoundsThem) {
    // A note's ring tick is where its sample runs out: at tempo 240 a step is
    // 11025 frames and 480 ticks, so it is round((step * 11025 + the voice's
    // frames) * 480 / 11025). A voice lasts its sample's frames over its pitch
    // ratio: the Zubo's lower sample 52920 frames at note 9, 47146 at note 8
    // and 37420 at note 6, its upper one 38672 at note 5; the Dog's sample 10584
    // at note 9, 7063 at note 5 and 6293 at note 4. So the Dog's note 5 at step
    // 0 ends at 307.505 ticks, 308, and its note 4 at step 1 at 753.98, 754.
    struct Expected {
        int step;
        int ornNote;
        int prog;
        long long ring; // the tick at which its sample runs out
        int cutAtStep;  // -1: the sample ends first
    };
    struct Case {
        const char* name;
        std::vector<Cell> cells;
        int end;
        bool loop;
        int loops;
        std::vector<Expected> notes;
    };
    const std::vector<Case> cases = {
        {"sample end", {{0, 9, kDog}}, 4, false, 1, {{0, 9, kDog, 461, -1}}},
        {"same cell of a later step",
         {{0, 9, kZubo}, {2, 8, kZubo}},
         4,
         false,
         1,
         {{0, 9, kZubo, 2304, 2}, {2, 8, kZubo, 3013, -1}}},
        {"a step of the other parity cuts the other tracks",
         {{0, 5, kDog}, {0, 9, kZubo}, {1, 4, kDog}},
         4,
         false,
         1,
         {{0, 5, kDog, 308, -1}, {0, 9, kZubo, 2304, 1}, {1, 4, kDog, 754, -1}}},
        {"a step of the same parity leaves them",
         {{0, 5, kZubo}, {0, 9, kZubo}, {2, 6, kZubo}, {3, 4, kDog}},
         4,
         false,
         1,
         {{0, 5, kZubo, 1684, 2},
          {0, 9, kZubo, 2304, 3},
          {2, 6, kZubo, 2589, 3},
          {3, 4, kDog, 1714, -1}}},
        {"a key struck again while it sounds",
         {{0, 5, kZubo}, {0, 9, kZubo}, {2, 9, kZubo}},
         4,
         false,
         1,
         {{0, 5, kZubo, 1684, 2}, {0, 9, kZubo, 2304, 2}, {2, 9, kZubo, 3264, -1}}},
        {"a loop's restart cuts, the last pass rings",
         {{1, 9, kZubo}},
         2,
         true,
         2,
         {{1, 9, kZubo, 2784, 2}, {3, 9, kZubo, 3744, -1}}},
        {"notes at the end mark are not played",
         {{0, 9, kDog}, {3, 9, kDog}},
         3,
         false,
         1,
         {{0, 9, kDog, 461, -1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Smf smf = exported(c.cells, kFast, c.end, c.loop, c.loops);
        ASSERT_TRUE(smf.ok);
        const std::vector<Note> got = notesOf(smf);
        ASSERT_EQ(got.size(), c.notes.size());
        for (const Expected& e : c.notes) {
            const long long off = e.cutAtStep >= 0 ? e.cutAtStep * 480LL : e.ring;
            EXPECT_LE(off, e.ring); // a cut that comes too late is no cut
            const auto found = std::count_if(got.begin(), got.end(), [&](const Note& n) {
                return n.prog == e.prog && n.key == ornNoteToMidiNote(e.ornNote) &&
                       n.on == e.step * 480LL && n.off == off;
            });
            EXPECT_EQ(found, 1) << "step " << e.step << " note " << e.ornNote << " off " << off;
        }
    }
}

TEST_F(MidiExport, OneTrackChannelAndProgramPerInstrumentUsed) {
    std::vector<Cell> cells;
    for (int prog = 15; prog >= 1; --prog) {
        cells.push_back({15 - prog, 1 + prog % 13, prog});
    }
    const Smf smf = exported(cells, 120, 20, false);
    ASSERT_TRUE(smf.ok);
    EXPECT_EQ(smf.header, 1LL << 16 | 480);
    ASSERT_EQ(smf.tracks.size(), 16u);
    EXPECT_TRUE(smf.tracks[0].notes.empty());
    std::set<int> channels;
    for (int prog = 1; prog <= 15; ++prog) {
        SCOPED_TRACE(prog);
        const Track& track = smf.tracks[static_cast<std::size_t>(prog)];
        ASSERT_EQ(track.channels.size(), 1u);
        EXPECT_NE(*track.channels.begin(), 9);
        channels.insert(*track.channels.begin());
        // The programs as the file holds them (from 0), and the keys of notes 2..13, 1, 2, 3.
        constexpr int kPrograms[] = {25, 12, 38, 9, 61, 80, 85, 53, 70, 68, 52, 125, 67, 81, 11};
        constexpr int kKeys[] = {77, 76, 74, 72, 71, 69, 67, 65, 64, 62, 60, 59, 79, 77, 76};
        EXPECT_EQ(track.program, kPrograms[prog - 1]);
        ASSERT_EQ(track.notes.size(), 1u);
        EXPECT_EQ(track.notes[0].prog, prog);
        EXPECT_EQ(track.notes[0].key, kKeys[prog - 1]);
        EXPECT_EQ(track.notes[0].on, (15 - prog) * 480LL);
        EXPECT_EQ(track.notes[0].velocity, 100);
    }
    EXPECT_EQ(channels.size(), 15u);
    const Smf two = exported({{0, 9, 12}, {1, 9, 3}}, 120, 4, false);
    ASSERT_EQ(two.tracks.size(), 3u);
    EXPECT_EQ(two.tracks[1].name, "Dozevid");
    EXPECT_EQ(two.tracks[2].name, "Plane");
}

TEST_F(MidiExport, TempoStepsAndEndFollowThePlayer) {
    struct Case {
        const char* name;
        int tempo;
        int coefficient;
        std::vector<Cell> cells;
        int end;
        bool loop;
        int loops;
        long long micros;
        int ticksPerStep;
        long long endTick; // -1: where the last note ends, past the end mark
    };
    const std::vector<Case> cases = {
        {"plain", 120, 0, {{3, 9, kDog}}, 8, false, 1, 500000, 480, 8 * 480},
        {"plain, not a multiple", 100, 0, {{3, 9, kDog}}, 8, false, 1, 600000, 480, 8 * 480},
        {"emulated 1/32 s", 100, 32, {{3, 9, kDog}}, 8, false, 1, 625000, 480, 8 * 480},
        {"emulated 1/64 s", 100, 64, {{3, 9, kDog}}, 8, false, 1, 609375, 480, 8 * 480},
        {"a 30 s step is two quarters", 2, 0, {{3, 9, kDog}}, 4, false, 1, 15000000, 960, 3840},
        {"tempo 0 plays as 1", 0, 0, {{3, 9, kDog}}, 4, false, 1, 15000000, 1920, 7680},
        {"ringing past the end mark", kFast, 0, {{3, 9, kZubo}}, 4, false, 1, 250000, 480, -1},
        {"every pass", kFast, 0, {{3, 9, kDog}}, 4, true, 3, 250000, 480, 12 * 480},
        {"a looping score played once", kFast, 0, {{3, 9, kDog}}, 4, true, 1, 250000, 480, 4 * 480},
        {"an empty score", kFast, 0, {}, 0, false, 1, 250000, 480, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Smf smf = exported(c.cells, c.tempo, c.end, c.loop, c.loops, c.coefficient);
        ASSERT_TRUE(smf.ok);
        EXPECT_EQ(smf.tracks.at(0).tempo, c.micros);
        const std::vector<Note> notes = notesOf(smf);
        ASSERT_EQ(notes.size(), c.cells.size() * static_cast<std::size_t>(c.loop ? c.loops : 1));
        long long endTick = c.endTick;
        for (std::size_t i = 0; i < notes.size(); ++i) {
            const long long step = 3 + static_cast<long long>(i) * c.end;
            EXPECT_EQ(notes[i].on, step * c.ticksPerStep);
            endTick = c.endTick < 0 ? notes[i].off : endTick;
        }
        EXPECT_GT(endTick, c.endTick < 0 ? c.end * 480LL : -1);
        for (const Track& track : smf.tracks) {
            EXPECT_EQ(track.end, endTick);
        }
    }
}

TEST_F(MidiExport, NotesWithoutASampleLastUntilCutOrOneStep) {
    struct Case {
        const char* name;
        std::vector<Cell> cells;
        int end;
        bool loop;
        int loops;
        std::vector<std::pair<int, int>> steps; // each note's first and last step + 1
    };
    const std::vector<Case> cases = {
        {"alone", {{0, 9, kZubo}}, 4, false, 1, {{0, 1}}},
        {"cut by its cell, or not at all",
         {{0, 5, kZubo}, {0, 9, kZubo}, {2, 6, kZubo}},
         4,
         false,
         1,
         {{0, 1}, {0, 2}, {2, 3}}},
        {"cut by the other parity",
         {{0, 5, kZubo}, {0, 9, kZubo}, {1, 4, kDog}},
         4,
         false,
         1,
         {{0, 1}, {0, 1}, {1, 2}}},
        {"a late cut", {{0, 9, kZubo}, {3, 4, kDog}}, 4, false, 1, {{0, 3}, {3, 4}}},
        {"a loop's restart", {{1, 9, kZubo}}, 2, true, 2, {{1, 2}, {3, 4}}},
    };
    const exporttest::TempFolder empty;
    ASSERT_TRUE(empty.ok());
    const OrnWaves none(empty.path());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Smf smf = exported(c.cells, kFast, c.end, c.loop, c.loops);
        ASSERT_TRUE(smf.ok);
        std::vector<std::pair<int, int>> got;
        for (const Note& note : notesOf(smf)) {
            got.emplace_back(note.on / 480, note.off / 480);
            EXPECT_EQ(note.off % 480, 0);
        }
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got, c.steps);
    }
}

TEST_F(MidiExport, TheTimeSignatureIsAMeasureOfSteps) {
    const std::vector<std::tuple<int, int, std::string>> cases = {
        {3, 120, "\x03\x02\x18\x08"},
        {4, 120, "\x04\x02\x18\x08"},
        {3, 2, "\x06\x02\x18\x08"}}; // a 30 s step is two quarters
    for (const auto& [measure, tempo, signature] : cases) {
        const Smf smf = exported({{0, 9, kDog}}, tempo, 4, false, 1, 0, measure);
        ASSERT_TRUE(smf.ok);
        EXPECT_EQ(smf.tracks.at(0).signature, signature) << measure << " at " << tempo;
    }
}

TEST(MidiVelocity, FollowsTheVolumeWithinRange) {
    const std::vector<std::pair<float, int>> cases = {{1.0f, 100}, {0.5f, 50}, {1.27f, 127},
                                                      {3.0f, 127}, {0.0f, 1},  {0.004f, 1}};
    for (const auto& [gain, velocity] : cases) {
        EXPECT_EQ(zubo::midiVelocity(gain), velocity) << gain;
    }
}

} // namespace
