#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

class OrnScore;

namespace zubo {

// What an import did to the file's notes, for the report.
struct MidiImportCounts {
    int imported = 0;
    int stepsPerQuarter = 1; // q: a step is 1/q of a quarter note
    int quartersPerStep = 1; // more than 1 only for our own files of slow tempos
    int songOctaves = 0;     // the whole song moved by this many octaves (up when positive)
    int movedByOctaves = 0;  // notes moved by octaves on their own into B3..G5
    int blackKeys = 0;
    int tooMany = 0;  // left out: more than three at once
    int sameKey = 0;  // left out: a key a second time in one step
    int pastLast = 0; // left out: past the last step
    int pastEnd = 0;  // left out: after our own file's end mark
    int percussion = 0;
    int tempoChanges = 0; // later tempo changes ignored
    int signature = 0;    // a first time signature that became 4/4 (numerator * 256 + power), or 0
    bool cut = false;     // the file was cut between whole events
};

struct MidiImportResult {
    std::unique_ptr<OrnScore> score; // null when the bytes are no Standard MIDI File
    MidiImportCounts counts;
    std::string error; // "not a Standard MIDI File (the reason)"

    bool ok() const { return score != nullptr; }
};

// Puts a Standard MIDI File onto the staff: the grid, tempo, measure,
// pitches, instruments and end mark are chosen as the README describes;
// a file our own export wrote comes back as the score it was made from.
MidiImportResult importMidi(std::span<const std::uint8_t> bytes);

// The report of an import in a few lines, the first "imported N notes".
std::vector<std::string> importReport(const MidiImportCounts& counts);

} // namespace zubo
