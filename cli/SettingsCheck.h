#pragma once

#include <iosfwd>

class Preferences;

namespace zubo {

// A stored "volume" that is not a number or lies outside 0..1000, or a
// "tempoEmurationType" outside 0..3, is read as the document reads it; the
// headless commands that use the setting say so in one warning each,
// naming the key and the value used. A setting an option replaces is not
// looked at.
void warnAboutSettings(const Preferences& preferences, bool volumeUsed, bool tempoEmulationUsed,
                       std::ostream& err);

} // namespace zubo
