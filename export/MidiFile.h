#pragma once

#include "export/MidiTimeline.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace zubo {

// The General MIDI program (0..127, as the file holds it) that stands for
// an instrument 1..15.
int generalMidiProgram(int instrument);
// The channel (0-based) of an instrument 1..15: channel 9, the percussion
// channel, is left out.
int midiChannel(int instrument);

// The text event at the start of a looping score's file, and the marker at
// its end mark: an import takes them back.
inline constexpr const char* kLoopText = "Loop";
inline constexpr const char* kEndMarker = "End";

// Receives the file's bytes in order; answers false to stop the writing.
using MidiSink = std::function<bool(std::span<const std::uint8_t>)>;

// A Standard MIDI File, format 1, 480 ticks a quarter: a tempo track with
// the tempo, the time signature (a measure of steps), "Loop" when the score
// loops and the marker "End" at the end mark of the first pass, then
// one track per instrument the timeline uses, in instrument order, each
// named after its instrument, on its own channel with its program. Every
// track ends at the timeline's end. Notes are written at `velocity`
// (1..127), a note off as a note on of velocity 0. One track is held at a
// time. False when the sink stopped it.
bool writeMidiFile(const MidiTimeline& timeline, int velocity, const MidiSink& sink);
// The same file as bytes.
std::vector<std::uint8_t> midiFileBytes(const MidiTimeline& timeline, int velocity);

} // namespace zubo
