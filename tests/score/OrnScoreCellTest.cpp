#include "score/OrnScore.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

// Every cell the reader can store: each note digit (E and F leave no pitch
// but still take an instrument digit) with each instrument digit, one a step
// so that no step is reordered, after an empty step.
TEST(OrnScoreCell, EveryCellTheReaderStoresReadsBackUnchanged) {
    constexpr int kMidiOfDigit[16] = {-1, 79, 77, 76, 74, 72, 71, 69,
                                      67, 65, 64, 62, 60, 59, -1, -1};
    const char* digits = "0123456789ABCDEF";
    std::string text = "SCORE=000";
    std::vector<OrnNote> expected = {{-1, 0}};
    for (int note = 1; note < 16; ++note) {
        for (int prog = 0; prog < 16; ++prog) {
            text += {digits[note], digits[prog], '0', '0'};
            expected.push_back({kMidiOfDigit[note], prog});
        }
    }
    text += "\nTEMPO=100\nLOOP=FALSE\nEND=960\nTIME44=TRUE\n";
    auto score = std::make_unique<OrnScore>(
        std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    ASSERT_TRUE(score->isValid());
    for (int index = 0; index < static_cast<int>(expected.size()); ++index) {
        SCOPED_TRACE(index);
        const OrnNote& want = expected[static_cast<std::size_t>(index)];
        EXPECT_EQ(score->cellAt(index, 0), want);
        EXPECT_EQ(score->cellAt(index, 1), (OrnNote{-1, 0}));
        EXPECT_EQ(score->cellAt(index, 2), (OrnNote{-1, 0}));
        const OrnScore::StaffNote staff = score->staffNoteAt(index, 0);
        const int note = midiNoteToOrnNote(want.midiNote);
        EXPECT_EQ(staff.note, note);
        EXPECT_EQ(staff.prog, note != 0 ? want.prog : 0);
    }
}

// The player reads cells while the editor writes them. A cell held in two
// words can be read between the writes of its note and its instrument, so the
// grid must hold one word a cell.
TEST(OrnScoreCell, EveryCellIsOneWordWrittenAndReadWhole) {
    constexpr std::size_t kCells = OrnScore::maxLength() * OrnScore::maxNotes();
    EXPECT_LT(sizeof(OrnScore), 2 * sizeof(std::uint32_t) * kCells);
}

} // namespace
