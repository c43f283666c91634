#pragma once

#include "app/MidiTimeline.h"

#include <cstdint>
#include <vector>

namespace zubo {

// The General MIDI program (0..127, as the file holds it) that stands for
// an instrument 1..15.
int generalMidiProgram(int instrument);
// The channel (0-based) of an instrument 1..15: channel 9, the percussion
// channel, is left out.
int midiChannel(int instrument);

// A Standard MIDI File, format 1, 480 ticks a quarter: a tempo track, then
// one track per instrument the timeline uses, in instrument order, each
// named after its instrument, on its own channel with its program. Every
// track ends at the timeline's end. Notes are written at `velocity`
// (1..127), a note off as a note on of velocity 0.
std::vector<std::uint8_t> midiFileBytes(const MidiTimeline& timeline, int velocity);

} // namespace zubo
