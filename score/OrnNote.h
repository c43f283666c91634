#pragma once

// One note cell of the score. The empty cell is {-1, 0}; a cell also counts
// as empty whenever its midiNote is not one of the staff's thirteen pitches.
struct OrnNote {
    int midiNote; // MIDI note number, -1 when empty
    int prog;     // instrument number 1..15 (tool index + 1), 0 when empty
};

void clearOrnNote(OrnNote* note);

// Staff note numbers run from 1 (G5, top of the staff) to 13 (B3); 0 is no
// note. Only the white keys B3..G5 have a staff position.
int midiNoteToOrnNote(int midiNote);
int ornNoteToMidiNote(int ornNote);
