#include "app/MidiExport.h"
#include "app/MidiFile.h"
#include "app/MidiTimeline.h"
#include "document/MyDocument.h"
#include "score/Instruments.h"
#include "score/OrnScore.h"
#include "sound/OrnWaves.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/AppTestUtil.h"

namespace {

// A reader of Standard MIDI Files written apart from the writer: chunks,
// variable-length quantities, running status.
struct Note {
    int key;
    long long on;
    long long off;
    int velocity;
};

struct Track {
    std::string name;
    std::set<int> channels;
    int program = -1;
    long long tempo = -1;
    long long endTick = -1; // End of Track
    bool endIsLast = false;
    std::vector<Note> notes;
};

struct Smf {
    bool ok = false;
    int format = -1;
    int division = 0;
    std::vector<Track> tracks;
};

struct Cursor {
    const std::vector<std::uint8_t>& b;
    std::size_t at = 0;
    bool bad = false;
    int byte() {
        if (at >= b.size()) {
            bad = true;
            return 0;
        }
        return b[at++];
    }
    long long fixed(int n) {
        long long v = 0;
        while (n-- > 0) {
            v = v << 8 | byte();
        }
        return v;
    }
    long long variable() {
        long long v = 0;
        int c = 0;
        do {
            c = byte();
            v = v << 7 | (c & 0x7F);
        } while ((c & 0x80) != 0 && !bad);
        return v;
    }
};

Track readTrack(Cursor& c, std::size_t end) {
    Track t;
    long long tick = 0;
    int status = 0;
    std::map<std::pair<int, int>, Note> open; // (channel, key)
    while (c.at < end && !c.bad) {
        tick += c.variable();
        int first = c.byte();
        t.endIsLast = false;
        if (first == 0xFF) {
            const int type = c.byte();
            const auto length = static_cast<std::size_t>(c.variable());
            const std::string data(c.b.begin() + static_cast<long>(c.at),
                                   c.b.begin() + static_cast<long>(std::min(c.at + length, end)));
            c.at += length;
            if (type == 0x03) {
                t.name = data;
            } else if (type == 0x51 && data.size() == 3) {
                t.tempo = (static_cast<unsigned char>(data[0]) << 16) |
                          (static_cast<unsigned char>(data[1]) << 8) |
                          static_cast<unsigned char>(data[2]);
            } else if (type == 0x2F) {
                t.endTick = tick;
                t.endIsLast = true;
            }
            continue;
        }
        if (first >= 0x80) {
            status = first;
            first = c.byte();
        }
        const int channel = status & 0x0F;
        t.channels.insert(channel);
        switch (status & 0xF0) {
        case 0xC0:
            t.program = first;
            break;
        case 0x80:
        case 0x90: {
            const int velocity = c.byte();
            const auto key = std::make_pair(channel, first);
            if ((status & 0xF0) == 0x90 && velocity > 0) {
                EXPECT_EQ(open.count(key), 0u) << "key " << first << " struck while on";
                open[key] = {first, tick, -1, velocity};
            } else if (open.count(key) != 0) {
                open[key].off = tick;
                t.notes.push_back(open[key]);
                open.erase(key);
            }
            break;
        }
        default:
            c.bad = true;
        }
    }
    EXPECT_TRUE(open.empty()) << "notes left on in " << t.name;
    return t;
}

Smf readSmf(const std::vector<std::uint8_t>& bytes) {
    Smf smf;
    Cursor c{bytes};
    if (c.fixed(4) != 0x4D546864 || c.fixed(4) != 6) {
        return smf;
    }
    smf.format = static_cast<int>(c.fixed(2));
    const long long count = c.fixed(2);
    smf.division = static_cast<int>(c.fixed(2));
    for (long long i = 0; i < count && !c.bad; ++i) {
        if (c.fixed(4) != 0x4D54726B) {
            return smf;
        }
        const auto length = static_cast<std::size_t>(c.fixed(4));
        const auto end = c.at + length;
        smf.tracks.push_back(readTrack(c, end));
        c.bad = c.bad || c.at != end;
    }
    smf.ok = !c.bad && c.at == bytes.size();
    return smf;
}

struct Cell {
    int step;
    int ornNote;
    int prog;
};

class MidiExport : public ::testing::Test {
protected:
    static std::unique_ptr<OrnScore> score(const std::vector<Cell>& cells, int tempo, int end,
                                           bool loop) {
        auto s = std::make_unique<OrnScore>();
        s->setTempo(tempo);
        s->setEnd(end);
        s->setLoop(loop);
        for (const Cell& cell : cells) {
            s->addNoteAt(cell.step, cell.ornNote, cell.prog);
        }
        return s;
    }
    static Smf exported(const OrnScore& s, int coefficient, int loops, int velocity = 100) {
        return readSmf(zubo::midiFileBytes(zubo::midiTimeline(s, coefficient, loops), velocity));
    }
    // The tick at which the sample of a note placed at `step` runs out.
    static long long sampleEnd(int step, int ornNote, int prog, int tempo) {
        const int n = MyDocument::stepLength(tempo, 0);
        const long long frames = static_cast<long long>(step) * n +
                                 OrnWaves::allocTone(prog, ornNote)->duration();
        return (frames * 480 + n / 2) / n;
    }
    const OrnWaves bank;
};

// Zubo rings about five steps at tempo 240, the Dog's bark less than one.
constexpr int kZubo = 1;
constexpr int kDog = 7;
constexpr int kFast = 240;

struct Expected {
    int step;
    int ornNote;
    int prog;
    int cutAtStep; // -1: the sample ends first
};

TEST_F(MidiExport, NotesLastAsLongAsThePlayerSoundsThem) {
    struct Case {
        const char* name;
        std::vector<Cell> cells;
        int end;
        bool loop;
        int loops;
        std::vector<Expected> notes; // in start order
    };
    const std::vector<Case> cases = {
        {"sample end", {{0, 9, kDog}}, 4, false, 1, {{0, 9, kDog, -1}}},
        {"same cell of a later step", {{0, 9, kZubo}, {2, 8, kZubo}}, 4, false, 1,
         {{0, 9, kZubo, 2}, {2, 8, kZubo, -1}}},
        {"a step of the other parity cuts every other track", {{0, 5, kDog}, {0, 9, kZubo}, {1, 4, kDog}},
         4, false, 1, {{0, 5, kDog, -1}, {0, 9, kZubo, 1}, {1, 4, kDog, -1}}},
        {"a step of the same parity leaves the other tracks",
         {{0, 5, kZubo}, {0, 9, kZubo}, {2, 6, kZubo}, {3, 4, kDog}}, 4, false, 1,
         {{0, 5, kZubo, 2}, {0, 9, kZubo, 3}, {2, 6, kZubo, 3}, {3, 4, kDog, -1}}},
        {"a key struck again while it sounds", {{0, 5, kZubo}, {0, 9, kZubo}, {2, 9, kZubo}}, 4,
         false, 1, {{0, 5, kZubo, 2}, {0, 9, kZubo, 2}, {2, 9, kZubo, -1}}},
        {"a loop's restart cuts, the last pass rings", {{1, 9, kZubo}}, 2, true, 2,
         {{1, 9, kZubo, 2}, {3, 9, kZubo, -1}}},
        {"notes at the end mark are not played", {{0, 9, kDog}, {3, 9, kDog}}, 3, false, 1,
         {{0, 9, kDog, -1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto s = score(c.cells, kFast, c.end, c.loop);
        const Smf smf = exported(*s, 0, c.loops);
        ASSERT_TRUE(smf.ok);
        std::vector<std::pair<int, Note>> got; // (prog, note)
        for (std::size_t t = 1; t < smf.tracks.size(); ++t) {
            const Track& track = smf.tracks[t];
            int prog = 0;
            for (int i = 0; i < 15; ++i) {
                prog = track.name == kInstrumentNames[static_cast<std::size_t>(i)] ? i + 1 : prog;
            }
            ASSERT_NE(prog, 0) << track.name;
            for (const Note& note : track.notes) {
                got.emplace_back(prog, note);
            }
        }
        ASSERT_EQ(got.size(), c.notes.size());
        for (const Expected& e : c.notes) {
            const long long on = e.step * 480LL;
            const long long off = e.cutAtStep >= 0
                                      ? e.cutAtStep * 480LL
                                      : sampleEnd(e.step, e.ornNote, e.prog, kFast);
            // The case's own cut must really come before the sample's end.
            EXPECT_LT(off, sampleEnd(e.step, e.ornNote, e.prog, kFast) + (e.cutAtStep < 0));
            int found = 0;
            for (const auto& [prog, note] : got) {
                found += prog == e.prog && note.key == ornNoteToMidiNote(e.ornNote) &&
                         note.on == on && note.off == off;
            }
            EXPECT_EQ(found, 1) << "step " << e.step << " note " << e.ornNote << " prog "
                                << e.prog << " off " << off;
        }
    }
}

TEST_F(MidiExport, TracksChannelsProgramsAndVelocity) {
    std::vector<Cell> cells;
    for (int prog = 15; prog >= 1; --prog) {
        cells.push_back({15 - prog, 1 + prog % 13, prog});
    }
    const auto s = score(cells, 120, 20, false);
    const Smf smf = exported(*s, 0, 1, 87);
    ASSERT_TRUE(smf.ok);
    EXPECT_EQ(smf.format, 1);
    EXPECT_EQ(smf.division, 480);
    ASSERT_EQ(smf.tracks.size(), 16u);
    EXPECT_TRUE(smf.tracks[0].notes.empty());
    std::set<int> channels;
    for (int prog = 1; prog <= 15; ++prog) {
        SCOPED_TRACE(prog);
        const Track& track = smf.tracks[static_cast<std::size_t>(prog)];
        EXPECT_EQ(track.name, kInstrumentNames[static_cast<std::size_t>(prog - 1)]);
        ASSERT_EQ(track.channels.size(), 1u);
        const int channel = *track.channels.begin();
        EXPECT_NE(channel, 9);
        channels.insert(channel);
        EXPECT_EQ(track.program, zubo::generalMidiProgram(prog));
        ASSERT_EQ(track.notes.size(), 1u);
        EXPECT_EQ(track.notes[0].key, ornNoteToMidiNote(1 + prog % 13));
        EXPECT_EQ(track.notes[0].on, (15 - prog) * 480LL);
        EXPECT_EQ(track.notes[0].velocity, 87);
    }
    EXPECT_EQ(channels.size(), 15u);

    // Only the instruments used get a track.
    const Smf two = exported(*score({{0, 9, 12}, {1, 9, 3}}, 120, 4, false), 0, 1);
    ASSERT_EQ(two.tracks.size(), 3u);
    EXPECT_EQ(two.tracks[1].name, "Dozevid");
    EXPECT_EQ(two.tracks[2].name, "Plane");
}

TEST_F(MidiExport, TempoFollowsTheStepLength) {
    struct Case {
        int tempo;
        int coefficient;
        long long micros;
        int ticksPerStep;
    };
    const std::vector<Case> cases = {
        {120, 0, 500000, 480},  {100, 0, 600000, 480},   {100, 32, 625000, 480},
        {100, 64, 609375, 480}, {2, 0, 15000000, 960}, {0, 0, 15000000, 1920},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.tempo << " / " << c.coefficient);
        const Smf smf = exported(*score({{3, 9, kDog}}, c.tempo, 8, false), c.coefficient, 1);
        ASSERT_TRUE(smf.ok);
        EXPECT_EQ(smf.tracks[0].tempo, c.micros);
        ASSERT_EQ(smf.tracks.size(), 2u);
        EXPECT_EQ(smf.tracks[1].notes.at(0).on, 3LL * c.ticksPerStep);
    }
}

TEST_F(MidiExport, EveryTrackEndsWhereTheRenderEnds) {
    struct Case {
        const char* name;
        std::vector<Cell> cells;
        int end;
        bool loop;
        int loops;
        long long endTick; // -1: where the last note ends
    };
    const std::vector<Case> cases = {
        {"at the end mark", {{0, 9, kDog}}, 4, false, 1, 4 * 480},
        {"after the last note rings out", {{3, 9, kZubo}}, 4, false, 1, -1},
        {"after every pass", {{0, 9, kDog}}, 4, true, 3, 12 * 480},
        {"a looping score that is not repeated", {{0, 9, kDog}}, 4, true, 1, 4 * 480},
        {"an empty score", {}, 0, false, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Smf smf = exported(*score(c.cells, kFast, c.end, c.loop), 0, c.loops);
        ASSERT_TRUE(smf.ok);
        long long expected = c.endTick;
        std::size_t notes = 0;
        for (const Track& track : smf.tracks) {
            notes += track.notes.size();
            for (const Note& note : track.notes) {
                expected = c.endTick < 0 ? std::max(expected, note.off) : expected;
            }
        }
        EXPECT_EQ(notes, c.cells.size() * static_cast<std::size_t>(c.loop ? c.loops : 1));
        EXPECT_GT(expected, c.endTick < 0 ? 4 * 480 : -1);
        for (const Track& track : smf.tracks) {
            EXPECT_TRUE(track.endIsLast);
            EXPECT_EQ(track.endTick, expected);
        }
    }
}

TEST(MidiVelocity, FollowsTheVolumeWithinRange) {
    const std::vector<std::pair<float, int>> cases = {
        {1.0f, 100}, {0.5f, 50}, {1.27f, 127}, {3.0f, 127}, {0.0f, 1}, {0.004f, 1}};
    for (const auto& [gain, velocity] : cases) {
        EXPECT_EQ(zubo::midiVelocity(gain), velocity) << gain;
    }
}

TEST(MidiCommandLine, WritesTheFileAndTakesTheTimingOptions) {
    QTemporaryDir dir;
    const QString in = dir.filePath("a.orn");
    apptest::writeFile(in, "SCORE=0091000091\nTEMPO=120\nLOOP=TRUE\nEND=5\nTIME44=TRUE\n");
    struct Case {
        QStringList args;
        int code;
    };
    const std::vector<Case> cases = {
        {{"-o", dir.filePath("a.mid"), in}, 0},
        {{"-o", dir.filePath("b.MID"), "--loops", "3", "--tempo-emulation", "2", "--volume",
          "50", in},
         0},
        {{"-o", dir.filePath("c.mid"), "--smooth", in}, 2},
        {{"-o", dir.filePath("d.mid"), dir.filePath("missing.orn")}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const apptest::Run r = apptest::run(c.args);
        EXPECT_EQ(r.code, c.code) << r.err;
        const QByteArray bytes = apptest::readFile(c.args[1]);
        EXPECT_EQ(bytes.startsWith("MThd"), c.code == 0);
    }
    const QByteArray looped = apptest::readFile(dir.filePath("b.MID"));
    const Smf smf = readSmf(std::vector<std::uint8_t>(looped.begin(), looped.end()));
    ASSERT_TRUE(smf.ok);
    EXPECT_EQ(smf.tracks.at(1).notes.size(), 6u);
    EXPECT_EQ(smf.tracks.at(1).notes.at(0).velocity, 50);
}

} // namespace
