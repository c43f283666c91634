#include "export/MidiInstrumentMap.h"

#include "export/MidiFile.h"

#include <array>
#include <cstddef>

namespace zubo {
namespace {

// By General MIDI family (programs 1-8, 9-16, ... as the GM list numbers
// them): the nearest of our sounds.
constexpr std::array<int, 16> kFamilies = {
    1,  // Piano: Zubo, struck and plucked
    4,  // Chromatic percussion: Star
    6,  // Organ: Pocket, a steady square tone
    1,  // Guitar: Zubo
    3,  // Bass: Dozevid
    8,  // Strings: Cat, a gliding tone
    11, // Ensemble: Ruzed, a sung "ah"
    5,  // Brass: Flower
    10, // Reed: Goose
    15, // Pipe: Heart, soft
    6,  // Synth lead: Pocket
    11, // Synth pad: Ruzed
    15, // Synth effects: Heart
    1,  // Ethnic: Zubo, plucked strings mostly
    2,  // Percussive: Rezedo
    12, // Sound effects: Plane
};

} // namespace

int instrumentOfProgram(int program) {
    static const std::array<int, 128> table = [] {
        std::array<int, 128> t{};
        for (std::size_t p = 0; p < t.size(); ++p) {
            t[p] = kFamilies[p / 8];
        }
        for (int instrument = 1; instrument <= 15; ++instrument) {
            t[static_cast<std::size_t>(generalMidiProgram(instrument))] = instrument;
        }
        return t;
    }();
    return table[static_cast<std::size_t>(program & 0x7F)];
}

} // namespace zubo
