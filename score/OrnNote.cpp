#include "score/OrnNote.h"

namespace {

constexpr int kLowestMidi = 59;
constexpr int kHighestMidi = 79;

// Indexed by MIDI note - 59; black keys have no staff position.
constexpr int kMidiToOrn[kHighestMidi - kLowestMidi + 1] = {
    13, 12, 0, 11, 0, 10, 9, 0, 8, 0, 7, 0, 6, 5, 0, 4, 0, 3, 2, 0, 1,
};

// Indexed by note number - 1, from G5 down to B3.
constexpr int kOrnToMidi[13] = {79, 77, 76, 74, 72, 71, 69, 67, 65, 64, 62, 60, 59};

} // namespace

void clearOrnNote(OrnNote* note) {
    note->midiNote = -1;
    note->prog = 0;
}

int midiNoteToOrnNote(int midiNote) {
    if (midiNote < kLowestMidi || midiNote > kHighestMidi) {
        return 0;
    }
    return kMidiToOrn[midiNote - kLowestMidi];
}

int ornNoteToMidiNote(int ornNote) {
    if (ornNote < 1 || ornNote > 13) {
        return -1;
    }
    return kOrnToMidi[ornNote - 1];
}
