#pragma once

#include <QString>

class OrnScore;

namespace zubo {

// The staff's name for a note number: 1 is "G5" at the top, 13 is "B3";
// empty for any other number.
QString pitchName(int note);

// What a screen reader says of the staff's keyboard cell: its step, measure,
// beat and pitch with the tool placed there, the other notes of the step,
// where the end mark is, and the selected steps, for example "Step 13,
// measure 4, beat 1, G4: Zubo; also Star on C5". `note` 0 is no cell: then
// only the selection is said. Empty when there is neither.
QString staffCellSpeech(const OrnScore& score, int step, int note, int selectionFirst,
                        int selectionCount);

} // namespace zubo
