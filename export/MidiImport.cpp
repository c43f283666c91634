#include "export/MidiImport.h"

#include "export/MidiInstrumentMap.h"
#include "export/MidiReader.h"
#include "score/OrnNote.h"
#include "score/OrnScore.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <tuple>

namespace zubo {
namespace {

constexpr int kPercussionChannel = 9;
constexpr int kLowest = 59;  // B3
constexpr int kHighest = 79; // G5

// A note-on of a melodic channel, with the instrument of its channel's
// program at the time.
struct FoundNote {
    long long tick;
    int key;
    int instrument;
    int track;
};

// How ticks become steps: a step is quarters / q of a quarter note.
struct Grid {
    int q = 1;
    int quarters = 1;
    int measure = 4;
};

// The smallest q whose grid every note-on lies within an eighth of a step
// of, else the one with the least total distance in steps.
int chooseStepsPerQuarter(const std::vector<FoundNote>& notes, int division) {
    int best = 1;
    long long bestTotal = -1;
    for (int q = 1; q <= 4; ++q) {
        long long total = 0;
        bool near = true;
        for (const FoundNote& note : notes) {
            // The distance in 1/division steps, the same unit for every q.
            const long long rest = note.tick * q % division;
            const long long distance = std::min(rest, division - rest);
            total += distance;
            near = near && 8 * distance <= division;
        }
        if (near) {
            return q;
        }
        if (bestTotal < 0 || total < bestTotal) {
            best = q;
            bestTotal = total;
        }
    }
    return best;
}

long long stepOf(long long tick, const Grid& grid, int division) {
    const long long den = static_cast<long long>(division) * grid.quarters;
    return (2 * tick * grid.q + den) / (2 * den);
}

// Our own export writes a measure of `measure` steps of `quarters` quarter
// notes each as measure * quarters / 4; false for any other signature.
bool ownGrid(int signature, Grid& grid) {
    const int numerator = signature >> 8;
    grid.measure = numerator % 3 == 0 ? 3 : 4;
    grid.quarters = numerator / grid.measure;
    grid.q = 1;
    return (signature & 0xFF) == 2 && numerator > 0 && numerator % grid.measure == 0 &&
           (grid.quarters == 1 || grid.quarters == 2 || grid.quarters == 4);
}

// The octaves that put the most keys in B3..G5, the smallest move first.
int songOctaves(const std::vector<FoundNote>& notes) {
    int best = 0;
    long long bestCount = -1;
    for (int move : {0, 1, -1, 2, -2, 3, -3, 4, -4, 5, -5, 6, -6, 7, -7, 8, -8, 9, -9, 10, -10}) {
        const auto count = std::count_if(notes.begin(), notes.end(), [move](const FoundNote& n) {
            return n.key + 12 * move >= kLowest && n.key + 12 * move <= kHighest;
        });
        if (count > bestCount) {
            best = move;
            bestCount = count;
        }
    }
    return best;
}

bool isBlackKey(int key) {
    constexpr std::array<bool, 12> kBlack = {false, true,  false, true,  false, false,
                                             true,  false, true,  false, true,  false};
    return kBlack[static_cast<std::size_t>(key % 12)];
}

// At most three keys of one step: one note a key (the first track's), then
// the highest, the lowest and the next highest.
void placeStep(std::vector<FoundNote>& notes, int step, OrnScore& score, MidiImportCounts& counts) {
    std::stable_sort(notes.begin(), notes.end(), [](const FoundNote& a, const FoundNote& b) {
        return std::tie(b.key, a.track) < std::tie(a.key, b.track);
    });
    const auto last =
        std::unique(notes.begin(), notes.end(),
                    [](const FoundNote& a, const FoundNote& b) { return a.key == b.key; });
    counts.sameKey += static_cast<int>(notes.end() - last);
    notes.erase(last, notes.end());
    if (notes.size() > 3) {
        counts.tooMany += static_cast<int>(notes.size()) - 3;
        notes = {notes[0], notes.back(), notes[1]};
    }
    for (const FoundNote& note : notes) {
        score.addNoteAt(step, midiNoteToOrnNote(note.key), note.instrument);
        ++counts.imported;
    }
}

} // namespace

MidiImportResult importMidi(std::span<const std::uint8_t> bytes) {
    MidiImportResult result;
    MidiSong song = readMidiSong(bytes);
    if (!song.ok()) {
        result.error = "not a Standard MIDI File (" + song.error + ")";
        return result;
    }
    MidiImportCounts& counts = result.counts;
    counts.cut = song.cut;
    // The tracks' events in time order; at one tick, track after track.
    std::stable_sort(song.events.begin(), song.events.end(),
                     [](const MidiEvent& a, const MidiEvent& b) { return a.tick < b.tick; });

    // A program change holds for its channel, and first of all for the notes
    // of its own track: tracks of one channel often play different programs.
    std::array<int, 16> programs{};
    std::array<int, 16> unset{};
    unset.fill(-1);
    std::vector<std::array<int, 16>> trackPrograms;
    for (const MidiEvent& event : song.events) {
        if (event.track >= trackPrograms.size()) {
            trackPrograms.resize(event.track + 1u, unset);
        }
    }
    std::vector<FoundNote> notes;
    int firstTempo = 0;
    int tempo = 0;
    int signature = -1;
    long long endTick = -1;
    bool loop = false;
    for (const MidiEvent& event : song.events) {
        switch (event.kind) {
        case MidiEvent::Kind::NoteOn:
            if (event.channel == kPercussionChannel) {
                ++counts.percussion;
            } else {
                const int own = trackPrograms[event.track][event.channel];
                notes.push_back({event.tick, event.value,
                                 instrumentOfProgram(own >= 0 ? own : programs[event.channel]),
                                 event.track});
            }
            break;
        case MidiEvent::Kind::Program:
            programs[event.channel] = event.value;
            trackPrograms[event.track][event.channel] = event.value;
            break;
        case MidiEvent::Kind::Tempo:
            counts.tempoChanges += tempo != 0 && event.value != tempo ? 1 : 0;
            firstTempo = firstTempo == 0 ? event.value : firstTempo;
            tempo = event.value;
            break;
        case MidiEvent::Kind::TimeSignature:
            signature = signature < 0 ? event.value : signature;
            break;
        case MidiEvent::Kind::EndMarker:
            endTick = endTick < 0 ? event.tick : endTick;
            break;
        case MidiEvent::Kind::LoopText:
            loop = true;
            break;
        }
    }
    if (firstTempo == 0) {
        firstTempo = 500000; // 120 beats a minute
    }

    Grid grid;
    const bool own = endTick >= 0 && ownGrid(signature, grid);
    if (!own) {
        grid = {};
        grid.q = chooseStepsPerQuarter(notes, song.division);
        const int numerator = signature >> 8;
        const bool three = numerator == 3 || (numerator == 6 && (signature & 0xFF) == 3);
        grid.measure = three ? 3 : 4;
        counts.signature = signature >= 0 && !three && numerator != 4 ? signature : 0;
    }
    counts.stepsPerQuarter = grid.q;
    counts.quartersPerStep = grid.quarters;

    auto score = std::make_unique<OrnScore>();
    score->setMeasure(grid.measure);
    const double beats = 60e6 / firstTempo;
    score->setTempo(
        static_cast<int>(std::clamp(std::llround(beats * grid.q / grid.quarters), 1LL, 999LL)));
    score->setLoop(own && loop);
    const long long endStep = own ? stepOf(endTick, grid, song.division) : OrnScore::maxLength();

    std::vector<FoundNote> kept;
    std::vector<long long> steps;
    for (const FoundNote& note : notes) {
        const long long step = stepOf(note.tick, grid, song.division);
        if (own && step >= endStep) {
            ++counts.pastEnd;
        } else if (step >= OrnScore::maxLength()) {
            ++counts.pastLast;
        } else {
            kept.push_back(note);
            steps.push_back(step);
        }
    }
    counts.songOctaves = songOctaves(kept);
    std::vector<std::vector<FoundNote>> byStep(OrnScore::maxLength());
    for (std::size_t i = 0; i < kept.size(); ++i) {
        FoundNote note = kept[i];
        note.key += 12 * counts.songOctaves;
        if (note.key < kLowest || note.key > kHighest) {
            ++counts.movedByOctaves;
            note.key += note.key < kLowest ? 12 * ((kLowest - note.key + 11) / 12)
                                           : -12 * ((note.key - kHighest + 11) / 12);
        }
        if (isBlackKey(note.key)) {
            ++counts.blackKeys;
            --note.key;
        }
        byStep[static_cast<std::size_t>(steps[i])].push_back(note);
    }
    int lastStep = -1;
    for (int step = 0; step < OrnScore::maxLength(); ++step) {
        if (!byStep[static_cast<std::size_t>(step)].empty()) {
            placeStep(byStep[static_cast<std::size_t>(step)], step, *score, counts);
            lastStep = step;
        }
    }
    const int end = own ? static_cast<int>(std::min<long long>(endStep, OrnScore::maxLength()))
                        : (lastStep + grid.measure) / grid.measure * grid.measure;
    score->setEnd(std::min(end, OrnScore::maxLength()));
    result.score = std::move(score);
    return result;
}

} // namespace zubo
