// Any bytes through the MIDI import: no crash, no read outside the data, a
// bounded memory, and an imported score always within the staff's rules.
#include "export/MidiImport.h"
#include "score/OrnScore.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A copy of exactly `size` bytes, so that ASan sees any read past it.
    const std::vector<std::uint8_t> copy(data, data + size);
    const zubo::MidiImportResult result = zubo::importMidi(copy);
    require(result.ok() == result.error.empty());
    if (!result.ok()) {
        return 0;
    }
    const OrnScore& score = *result.score;
    require(score.tempo() >= 1 && score.tempo() <= 999);
    require(score.measure() == 3 || score.measure() == 4);
    require(score.end() >= 0 && score.end() <= OrnScore::maxLength());
    int notes = 0;
    for (int index = 0; index < OrnScore::maxLength(); ++index) {
        for (int y = 0; y < OrnScore::maxNotes(); ++y) {
            const OrnNote cell = score.cellAt(index, y);
            if (cell.midiNote != -1) {
                require(midiNoteToOrnNote(cell.midiNote) != 0);
                require(cell.prog >= 1 && cell.prog <= 15);
                ++notes;
            }
        }
    }
    require(notes == result.counts.imported);
    require(!zubo::importReport(result.counts).empty());
    return 0;
}
