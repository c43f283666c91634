#pragma once

#include <iosfwd>

class OrnWaves;

namespace zubo {

// What the headless commands say about the resources they need, as the
// program's one-line messages on `err`.

// Sounds: false (with one line naming the folder and the files) when the
// bank loaded none of its sounds; otherwise true, with a warning for the
// instrument sample that failed, naming the instruments left silent.
bool checkSoundBank(const OrnWaves& bank, std::ostream& err);
// The staff images a picture is painted from: false, with one line naming
// the folder and what is missing or unreadable, unless all are there.
bool checkStaffImages(std::ostream& err);

} // namespace zubo
