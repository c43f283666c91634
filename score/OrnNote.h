#pragma once

// One note cell of the score. The empty cell is {-1, 0}; a cell also counts
// as empty whenever its midiNote is not one of the staff's thirteen pitches.
struct OrnNote {
    int midiNote; // MIDI note number, -1 when empty
    int prog;     // instrument number 1..15 (tool index + 1), 0 when empty

    bool operator==(const OrnNote&) const = default;
};

inline void clearOrnNote(OrnNote* note) {
    note->midiNote = -1;
    note->prog = 0;
}

// Staff note numbers run from 1 (G5, top of the staff) to 13 (B3); 0 is no
// note. Only the white keys B3..G5 have a staff position. Inline: the reader,
// writer, player and painter convert for every cell they touch.
inline int midiNoteToOrnNote(int midiNote) {
    // Indexed by MIDI note - 59; black keys have no staff position.
    constexpr int kMidiToOrn[21] = {13, 12, 0, 11, 0, 10, 9, 0, 8, 0, 7,
                                    0,  6,  5, 0, 4,  0, 3, 2, 0, 1};
    const unsigned offset = static_cast<unsigned>(midiNote) - 59u;
    return offset < 21u ? kMidiToOrn[offset] : 0;
}

inline int ornNoteToMidiNote(int ornNote) {
    // Indexed by note number - 1, from G5 down to B3.
    constexpr int kOrnToMidi[13] = {79, 77, 76, 74, 72, 71, 69, 67, 65, 64, 62, 60, 59};
    const unsigned offset = static_cast<unsigned>(ornNote) - 1u;
    return offset < 13u ? kOrnToMidi[offset] : -1;
}
