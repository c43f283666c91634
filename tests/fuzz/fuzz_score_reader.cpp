// Any bytes through the score reader: no crash, no read outside the data,
// and a loaded score always keeps its invariants.
#include "score/OrnScore.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

int key(const OrnNote& cell) {
    const int n = midiNoteToOrnNote(cell.midiNote);
    return n == 0 ? 999 : n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A copy of exactly `size` bytes, so that ASan sees any read past it.
    std::vector<std::uint8_t> copy(data, data + size);
    auto score = std::make_unique<OrnScore>(std::span<const std::uint8_t>(copy));
    require(score->end() >= 0 && score->end() <= 960);
    require(score->measure() == 3 || score->measure() == 4);
    for (int index = 0; index < OrnScore::maxLength(); ++index) {
        for (int y = 0; y + 1 < OrnScore::maxNotes(); ++y) {
            require(key(score->cellAt(index, y)) <= key(score->cellAt(index, y + 1)));
        }
        for (int y = 0; y < OrnScore::maxNotes(); ++y) {
            require(score->cellAt(index, y).prog >= 0 && score->cellAt(index, y).prog <= 15);
        }
    }
    if (score->isValid()) {
        // What the writer makes of it reads back to the same text.
        const auto text = score->data();
        auto again = std::make_unique<OrnScore>(std::span<const std::uint8_t>(text));
        require(again->isValid());
        require(again->data() == text);
    }
    return 0;
}
