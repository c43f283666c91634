#include "export/MidiImport.h"

#include "export/MidiFile.h"
#include "export/MidiTimeline.h"
#include "export/SmfBuilder.h"
#include "score/OrnScore.h"
#include "score/ScoreTestUtil.h"
#include "sound/OrnWaves.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using smfbuild::Bytes;
using smfbuild::file;
using smfbuild::Track;

// A note of `ticks` on channel 0 from the track's last event on.
Track& note(Track& track, unsigned long delta, int key, unsigned long ticks = 480) {
    return track.on(delta, 0, key).off(ticks, 0, key);
}

struct Foreign {
    const char* name;
    Bytes bytes;
    std::string notes; // scoretest::describeNotes: "step:note/prog ... end=E"
    int tempo;
    int measure;
    std::vector<std::string> report;
};

std::vector<Foreign> foreignFiles() {
    std::vector<Foreign> cases;
    {
        Track meta, tune;
        meta.tempo(0, 90).meter(0, 3, 2).end();
        tune.program(0, 0, 12); // Marimba: Rezedo
        note(tune, 0, 72, 240);
        note(tune, 0, 74, 240);
        note(tune, 0, 76, 240).end();
        cases.push_back({"eighths at 90 in 3/4",
                         file(1, 480, {meta, tune}),
                         "0:5/2 1:4/2 2:3/2 end=3",
                         180,
                         3,
                         {"imported 3 notes (a step is an eighth note)"}});
    }
    {
        Track chord;
        for (int key : {60, 64, 67, 72}) {
            chord.on(0, 0, key);
        }
        chord.off(96, 0, 60).off(0, 0, 64).off(0, 0, 67).off(0, 0, 72).end();
        cases.push_back({"a chord of four",
                         file(0, 96, {chord}),
                         "0:5/1 0:8/1 0:12/1 end=4",
                         120,
                         4,
                         {"imported 3 notes (a step is a quarter note)",
                          "1 left out (more than three at once)"}});
    }
    {
        Track keys;
        note(keys, 0, 61);
        note(keys, 0, 66);
        note(keys, 0, 70).end();
        cases.push_back({"black keys",
                         file(0, 480, {keys}),
                         "0:12/1 1:9/1 2:7/1 end=4",
                         120,
                         4,
                         {"imported 3 notes (a step is a quarter note)",
                          "3 black keys moved to the white key below"}});
    }
    {
        Track low;
        low.program(0, 0, 33); // Electric Bass (finger): Dozevid by its family
        note(low, 0, 36);
        note(low, 0, 40);
        note(low, 0, 43);
        note(low, 0, 100).end();
        cases.push_back({"notes far out of range",
                         file(0, 480, {low}),
                         "0:12/3 1:10/3 2:8/3 3:3/3 end=4",
                         120,
                         4,
                         {"imported 4 notes (a step is a quarter note)",
                          "the song moved up 2 octaves", "1 note moved by octaves"}});
    }
    {
        Track drums, tune;
        drums.raw(0, {0x99, 36, 100}).raw(0, {38, 100}).raw(480, {36, 0}).raw(0, {38, 0}).end();
        note(tune, 480, 67).end();
        cases.push_back({"the percussion channel",
                         file(1, 480, {drums, tune}),
                         "1:8/1 end=4",
                         120,
                         4,
                         {"imported 1 note (a step is a quarter note)",
                          "the percussion channel left out (2 notes)"}});
    }
    {
        // Both tracks play channel 0: each track's program holds for its notes,
        // and a key both strike at once keeps the first track's note.
        Track strings, brass;
        strings.program(0, 0, 40); // Violin: Cat by its family
        note(strings, 0, 72).end();
        brass.program(0, 0, 61); // Brass Section: Flower, as the export writes it
        note(brass, 0, 72);
        note(brass, 0, 74).end();
        cases.push_back({"format 1 with a program a track",
                         file(1, 480, {strings, brass}),
                         "0:5/8 1:4/5 end=4",
                         120,
                         4,
                         {"imported 2 notes (a step is a quarter note)",
                          "1 left out (one key twice at once)"}});
    }
    {
        // Running status throughout, note offs as velocity 0.
        Track running;
        running.raw(0, {0x90, 60, 100}).raw(480, {60, 0}).raw(0, {62, 90}).raw(480, {62, 0});
        running.end();
        cases.push_back({"running status",
                         file(0, 480, {running}),
                         "0:12/1 1:11/1 end=4",
                         120,
                         4,
                         {"imported 2 notes (a step is a quarter note)"}});
    }
    {
        // Triplets, later tempo changes (one that repeats the tempo is none),
        // and 5/4, which becomes 4/4.
        Track meta, tune;
        meta.meter(0, 5, 2).tempo(0, 100).tempo(960, 120).tempo(960, 120).tempo(960, 100).end();
        for (int key : {60, 62, 64, 65}) {
            note(tune, 0, key, 160);
        }
        tune.end();
        cases.push_back({"triplets with tempo changes",
                         file(1, 480, {meta, tune}),
                         "0:12/1 1:11/1 2:10/1 3:9/1 end=4",
                         300,
                         4,
                         {"imported 4 notes (a step is an eighth-note triplet)",
                          "2 later tempo changes ignored", "the time signature 5/4 became 4/4"}});
    }
    {
        // No tempo: 120 beats; sixteenths; a note past the last step.
        Track tune;
        note(tune, 0, 67, 120);
        note(tune, 0, 69, 120);
        note(tune, 959 * 120 - 240, 71, 120);
        note(tune, 0, 72, 120).end();
        cases.push_back(
            {"no tempo, sixteenths and a note too late",
             file(0, 480, {tune}),
             "0:8/1 1:7/1 959:6/1 end=960",
             480,
             4,
             {"imported 3 notes (a step is a sixteenth note)", "1 left out (past the last step)"}});
    }
    return cases;
}

TEST(MidiImport, PutsForeignFilesOnTheStaff) {
    for (const Foreign& c : foreignFiles()) {
        SCOPED_TRACE(c.name);
        const zubo::MidiImportResult result = zubo::importMidi(c.bytes);
        ASSERT_TRUE(result.ok()) << result.error;
        EXPECT_EQ(scoretest::describeNotes(*result.score), c.notes);
        EXPECT_EQ(result.score->tempo(), c.tempo);
        EXPECT_EQ(result.score->measure(), c.measure);
        EXPECT_FALSE(result.score->loop());
        EXPECT_EQ(zubo::importReport(result.counts), c.report);
    }
}

TEST(MidiImport, RefusesWhatIsNoStandardMidiFile) {
    Track one;
    note(one, 0, 60).end();
    const Bytes good = file(0, 480, {one});
    Bytes big = good;
    big.resize(16 * 1024 * 1024 + 1);
    Bytes cutInEvent = good;
    cutInEvent.resize(good.size() - 6); // inside the note off
    Bytes noStatus = file(0, 480, {Track().raw(0, {60, 100}).end()});
    Bytes tooMany = file(0, 480, {[] {
                             Track t;
                             t.raw(0, {0x90, 60, 100});
                             for (int i = 0; i < 1024 * 1024; ++i) {
                                 t.raw(0, {60, 100});
                             }
                             return t;
                         }()});
    const std::vector<std::pair<Bytes, std::string>> cases = {
        {Bytes{'h', 'e', 'l', 'l', 'o'}, "it does not begin with MThd"},
        {Bytes(good.begin(), good.begin() + 10), "cut inside the header"},
        {file(1, 480, {}), "no tracks"},
        {file(1, 0xE728, {one}), "a division in SMPTE frames"},
        {file(2, 480, {one}), "format 2"},
        {big, "larger than 16 MiB"},
        {cutInEvent, "cut inside a chunk"},
        {Bytes(good.begin(), good.begin() + 18), "cut inside a chunk"},
        {noStatus, "running status without a status byte"},
        {tooMany, "more than 1048576 events"},
    };
    for (const auto& [bytes, reason] : cases) {
        SCOPED_TRACE(reason);
        const zubo::MidiImportResult result = zubo::importMidi(bytes);
        EXPECT_FALSE(result.ok());
        EXPECT_EQ(result.error, "not a Standard MIDI File (" + reason + ")");
    }
}

TEST(MidiImport, ImportsWhatAFileCutBetweenEventsHolds) {
    Track one, two;
    note(one, 0, 60);
    note(one, 0, 62).end();
    note(two, 0, 64).end();
    const Bytes whole = file(1, 480, {one, two});
    // Without the second track, and without the first track's End of Track.
    for (const std::size_t size :
         {whole.size() - two.bytes.size() - 8, whole.size() - two.bytes.size() - 8 - 4}) {
        const zubo::MidiImportResult result =
            zubo::importMidi(Bytes(whole.begin(), whole.begin() + static_cast<long>(size)));
        ASSERT_TRUE(result.ok()) << result.error;
        EXPECT_TRUE(result.counts.cut);
        EXPECT_EQ(scoretest::describeNotes(*result.score), "0:12/1 1:11/1 end=4");
    }
}

TEST(MidiImport, OurOwnFilesComeBackExactly) {
    const OrnWaves bank;
    for (unsigned seed = 1; seed <= 40; ++seed) {
        const int end = static_cast<int>(seed * 97 % 961);
        auto score = scoretest::randomScore(seed, end);
        // The slowest tempos take several quarter notes a step; the fastest
        // round their step to whole frames.
        const int tempos[] = {1, 2, 3, 4, 999};
        if (seed <= 5) {
            score->setTempo(tempos[seed - 1]);
        }
        const int loops = seed % 3 == 0 ? 3 : 1;
        SCOPED_TRACE(score->description() + " loops " + std::to_string(loops));
        const auto bytes = zubo::midiFileBytes(zubo::midiTimeline(*score, 0, loops), 100);
        const zubo::MidiImportResult back = zubo::importMidi(bytes);
        ASSERT_TRUE(back.ok()) << back.error;
        EXPECT_TRUE(scoretest::sameScore(*score, *back.score, end));
        for (int index = end; index < OrnScore::maxLength(); ++index) {
            EXPECT_EQ(back.score->cellAt(index, 0).midiNote, -1) << index;
        }
    }
}

} // namespace
