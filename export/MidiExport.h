#pragma once

#include "export/AudioExport.h"
#include "export/ExportResult.h"

#include <string>

class OrnScore;

namespace zubo {

// The velocity of every note at a playback gain (1.0 = a volume of 100 %):
// 100 at full volume, in proportion to the gain, within 1..127.
int midiVelocity(float gain);

// What a MIDI file is written with: the note lengths are the sounds' as
// the player plays them, so the tempo emulation counts, and the gain sets
// the velocity. Nothing else of the audio settings does.
struct MidiExportOptions {
    int loops = 1;                     // passes of a looping score
    int from = 0;                      // the step the first pass starts at
    float gain = 1.0f;                 // the volume: 1.0 is 100 %
    int tempoEmurationCoefficient = 0; // 0, 32, 48 or 64: see OrnPlayer::stepLength
};

// The MIDI options of resolved audio options.
MidiExportOptions midiExportOptions(const AudioExportOptions& resolved);

// Writes `score` to `output` as a Standard MIDI File that plays as the
// player does, with the shared sound bank, which the caller makes.
// The file appears only when all of it was written.
ExportResult exportMidi(const OrnScore& score, const std::string& output,
                        const MidiExportOptions& options);

// Whether -o OUT picks a MIDI file.
bool isMidiExportPath(const std::string& output);

} // namespace zubo
