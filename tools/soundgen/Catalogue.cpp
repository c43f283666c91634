#include "tools/soundgen/Catalogue.h"

#include "tools/soundgen/Instruments.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace soundgen {

namespace {

// Highest ratios, from the player's note ranges: a lower sample serves notes
// down from six semitones above F4 (the Ship's from two), an upper sample up
// to three semitones above E5, and an instrument's only sample up to G5, 14
// semitones above F4.
constexpr double kLowerTop = 1.414214;
constexpr double kShipLowerTop = 1.122462;
constexpr double kUpperTop = 1.189207;
constexpr double kOnlyTop = 2.244924;

constexpr std::array kEntries{
    Entry{1, zubo, kLowerPitch, 44100, kLowerTop},
    Entry{2, rezedo, kLowerPitch, 44100, kLowerTop},
    Entry{3, dozevid, kLowerPitch, 44100, kOnlyTop},
    Entry{4, star, kLowerPitch, 44100, kLowerTop},
    Entry{5, flower, kLowerPitch, 44100, kLowerTop},
    Entry{6, pocket, kLowerPitch, 22050, kLowerTop},
    Entry{7, dog, kLowerPitch, 44100, kOnlyTop},
    Entry{8, cat, kLowerPitch, 44100, kOnlyTop},
    Entry{9, pig, kLowerPitch, 44100, kOnlyTop},
    Entry{10, goose, kLowerPitch, 44100, kOnlyTop},
    Entry{11, ruzed, kLowerPitch, 44100, kOnlyTop},
    Entry{12, plane, kLowerPitch, 44100, kLowerTop},
    Entry{13, ship, kLowerPitch, 44100, kShipLowerTop},
    Entry{14, car, kLowerPitch, 44100, kLowerTop},
    Entry{15, heart, kLowerPitch, 44100, kLowerTop},
    Entry{21, zubo, kUpperPitch, 44100, kUpperTop},
    Entry{22, star, kUpperPitch, 44100, kUpperTop},
    Entry{23, flower, kUpperPitch, 44100, kUpperTop},
    Entry{24, pocket, kUpperPitch, 22050, kUpperTop},
    Entry{25, plane, kUpperPitch, 44100, kUpperTop},
    Entry{26, car, kUpperPitch, 44100, kUpperTop},
    Entry{27, heart, kUpperPitch, 44100, kUpperTop},
    Entry{28, rezedo, kUpperPitch, 44100, kUpperTop},
    Entry{29, ship, kUpperPitch, 44100, kUpperTop},
    Entry{16, endChime, 0.0, 44100, 1.0},
    Entry{18, click, 0.0, 44100, 1.0},
    Entry{20, eraserSwish, 0.0, 44100, 1.0},
};

} // namespace

std::span<const Entry> catalogue() {
    return kEntries;
}

Voicing voicingFor(const Entry& entry) {
    const double nyquist = std::min(entry.rate / 2.0, 22050.0 / entry.maxRatio);
    return Voicing{entry.rate, entry.pitch, 0.9 * nyquist,
                   static_cast<std::uint64_t>(entry.number)};
}

} // namespace soundgen

namespace soundgen {

Sound render(const Entry& entry) {
    const Voicing voicing = voicingFor(entry);
    if (entry.pitch != kUpperPitch) {
        return entry.recipe(voicing);
    }
    const int rate = static_cast<int>(std::lround(entry.rate / kUpperSpeed));
    // The exact ratio of the whole rates keeps the sample in tune.
    const double scale = static_cast<double>(rate) / entry.rate;
    Sound sound =
        entry.recipe(Voicing{rate, entry.pitch * scale, voicing.bandLimit * scale, voicing.seed});
    sound.rate = entry.rate;
    return sound;
}

} // namespace soundgen
