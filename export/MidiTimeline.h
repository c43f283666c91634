#pragma once

#include <vector>

class OrnScore;

namespace zubo {

// One sounding note of a score: instrument 1..15, MIDI key, and the ticks at
// which it starts and stops.
struct MidiNote {
    int instrument = 0;
    int key = 0;
    long long on = 0;
    long long off = 0;
};

// A score's notes in MIDI time, as long as each sounds in the player: from
// its step until the mixer drops its voice (a later voice on the same track,
// a voice of the other step parity, the restart of a loop) or the voice's
// sample ends, whichever comes first. A note whose sample is missing or empty
// lasts until the mixer would drop it, or one step when nothing does.
//
// Every pass of a looping score but the first and the last sounds alike, as
// the restart drops every voice: the notes of one such pass are kept once, so
// that a timeline of any number of passes takes the memory of three. The
// first pass differs only when it starts after step 0.
struct MidiTimeline {
    static constexpr int kTicksPerQuarter = 480;
    // One step is one quarter note; a step longer than a tempo event can
    // say (about 16.8 s) is several quarters.
    int ticksPerStep = kTicksPerQuarter;
    int microsPerQuarter = 500000;
    // Steps a measure: 3 or 4.
    int measure = 4;
    int passes = 1;
    // Whether the score loops, and the end mark's tick in the first pass: the
    // file marks both, so that an import gets the score back.
    bool loop = false;
    long long passTicks = 0;
    // A first pass that starts after step 0 and is not the last: its notes
    // and its length (0: none, every pass is whole).
    std::vector<MidiNote> first;
    long long firstTicks = 0;
    // The notes of each whole pass before the last, from the pass's start,
    // and those of the last pass, which rings out. By start, then by track.
    std::vector<MidiNote> repeated;
    std::vector<MidiNote> last;
    // How many passes `repeated` sounds, and where the last pass starts.
    int repeats() const { return passes - 1 - (firstTicks > 0 ? 1 : 0); }
    long long lastStart() const { return firstTicks + repeats() * passTicks; }
    // Where the render ends: the end mark of the last pass or the end of the
    // last note, whichever is later.
    long long endTick = 0;
};

// Works the timeline out with the shared sound bank's voices, at the step
// length of the score's tempo and the tempo emulation `coefficient`
// (0, 32, 48 or 64). A looping score plays `loops` passes, the first from
// step `from` (a timeline from a step at or past the end mark has no notes).
MidiTimeline midiTimeline(const OrnScore& score, int coefficient, int loops, int from = 0);

} // namespace zubo
