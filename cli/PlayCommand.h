#pragma once

#include "export/AudioExport.h"

#include <iosfwd>
#include <string>

namespace zubo {

struct PlayOptions {
    AudioExportOptions audio; // --volume, --tempo-emulation, --loops (not --float)
    bool nullOutput = false;  // play silently at real-time pace, without a device
    bool progress = false;    // a one-line position display, refreshed each second
};

// Plays the score `input` (a file, or "-" for `in`) with the shared sound
// bank, which the caller makes, from step 0 through the
// default audio output until a score that does not loop has rung out, a
// looping one has played its passes and rung out, or Ctrl-C. Prints a line
// when the sound starts and one when it has stopped, with the time played.
// Returns the exit code: 0, 1 (bad input, no audio output or a lost one),
// 130 (Ctrl-C) or 143 (SIGTERM).
int playScore(const std::string& input, const PlayOptions& options, std::ostream& out,
              std::ostream& err, std::istream& in);

} // namespace zubo
