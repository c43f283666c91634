#pragma once

#include "export/AudioExport.h"

#include <iosfwd>
#include <string>

namespace zubo {

// The velocity of every note at a playback gain (1.0 = a volume of 100 %):
// 100 at full volume, in proportion to the gain, within 1..127.
int midiVelocity(float gain);

// Writes the score `input` ("-" for `in`) to `output` as a Standard MIDI
// File that plays as the player does, with the shared sound bank, which the
// caller makes. Of the options, the loops count and the resolved settings'
// gain and tempo emulation coefficient, as for audio.
// The file appears only when all of it was written.
// Returns 0, or 1 with a one-line error on `err`.
int exportMidi(const std::string& input, const std::string& output,
               const AudioExportOptions& options, std::ostream& err, std::istream& in);

// Whether -o OUT picks a MIDI file.
bool isMidiExportPath(const std::string& output);

} // namespace zubo
