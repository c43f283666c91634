#pragma once

namespace zubo {

// The instrument 1..15 a General MIDI program (0..127, as a file holds it)
// comes in as: the program the MIDI export writes for an instrument gives
// that instrument, any other the instrument chosen for its family of eight.
int instrumentOfProgram(int program);

} // namespace zubo
