#include "score/OrnScore.h"

#include <gtest/gtest.h>

#include "score/ScoreTestUtil.h"

#include <memory>
#include <vector>

namespace {

struct Cell {
    int note; // staff note number, 0 empty
    int prog;
    bool operator==(const Cell&) const = default;
};

std::vector<Cell> step(const OrnScore& score, int index) {
    std::vector<Cell> cells;
    for (int y = 0; y < OrnScore::maxNotes(); ++y) {
        const auto& cell = score.cellAt(index, y);
        cells.push_back({midiNoteToOrnNote(cell.midiNote), cell.prog});
    }
    return cells;
}

TEST(OrnScoreModel, NewScoreHasDefaultsAndEmptyCells) {
    auto score = std::make_unique<OrnScore>();
    EXPECT_EQ(score->tempo(), 100);
    EXPECT_EQ(score->measure(), 4);
    EXPECT_EQ(score->end(), 960);
    EXPECT_FALSE(score->loop());
    EXPECT_TRUE(score->isValid());
    for (int index = 0; index < OrnScore::maxLength(); ++index) {
        for (int y = 0; y < OrnScore::maxNotes(); ++y) {
            ASSERT_EQ(score->cellAt(index, y).midiNote, -1);
            ASSERT_EQ(score->cellAt(index, y).prog, 0);
        }
    }
}

TEST(OrnScoreModel, NoteConversionTables) {
    const int staffMidi[] = {79, 77, 76, 74, 72, 71, 69, 67, 65, 64, 62, 60, 59};
    for (int note = 1; note <= 13; ++note) {
        EXPECT_EQ(ornNoteToMidiNote(note), staffMidi[note - 1]) << note;
        EXPECT_EQ(midiNoteToOrnNote(staffMidi[note - 1]), note) << note;
    }
    struct {
        int midi;
        int note;
    } const offStaff[] = {{61, 0}, {63, 0}, {66, 0}, {68, 0}, {70, 0}, {73, 0}, {75, 0},
                          {78, 0}, {58, 0}, {80, 0}, {-1, 0}, {0, 0},  {127, 0}};
    for (const auto& c : offStaff) {
        EXPECT_EQ(midiNoteToOrnNote(c.midi), c.note) << c.midi;
    }
    for (int note : {0, 14, -1, 100}) {
        EXPECT_EQ(ornNoteToMidiNote(note), -1) << note;
    }
}

TEST(OrnScoreModel, LookupsRespectBoundsAndEndMark) {
    auto score = std::make_unique<OrnScore>();
    ASSERT_TRUE(score->addNoteAt(10, 5, 7));
    ASSERT_TRUE(score->addNoteAt(959, 13, 15));
    struct {
        int end, index, y, note, prog;
    } const cases[] = {
        {960, 10, 0, 5, 7},  {960, 10, 1, 0, 0},  {960, 10, 3, 0, 0},   {960, 960, 0, 0, 0},
        {960, 959, 0, 13, 15}, {11, 10, 0, 5, 7}, {10, 10, 0, 0, 0},    {0, 10, 0, 0, 0},
        {959, 959, 0, 0, 0},
    };
    for (const auto& c : cases) {
        score->setEnd(c.end);
        EXPECT_EQ(score->noteAt(c.index, c.y), c.note) << c.end << " " << c.index << " " << c.y;
        EXPECT_EQ(score->progAt(c.index, c.y), c.prog) << c.end << " " << c.index << " " << c.y;
    }
    // Hidden notes are kept and found again, and getProgAt ignores the end.
    score->setEnd(5);
    EXPECT_EQ(score->getProgAt(10, 5), 7);
    EXPECT_EQ(score->getProgAt(10, 4), 0);
    score->setEnd(960);
    EXPECT_EQ(score->noteAt(10, 0), 5);
}

TEST(OrnScoreModel, AddAndRemoveKeepNormalForm) {
    struct Op {
        bool add;
        int note, prog;
        bool changed;
    };
    struct {
        const char* name;
        std::vector<Op> ops;
        std::vector<Cell> cells;
    } const cases[] = {
        {"higher note goes first", {{true, 5, 2, true}, {true, 1, 3, true}},
         {{1, 3}, {5, 2}, {0, 0}}},
        {"same note changes prog in place",
         {{true, 1, 3, true}, {true, 5, 2, true}, {true, 5, 9, true}},
         {{1, 3}, {5, 9}, {0, 0}}},
        {"fourth note refused",
         {{true, 3, 1, true}, {true, 8, 2, true}, {true, 13, 3, true}, {true, 1, 4, false}},
         {{3, 1}, {8, 2}, {13, 3}}},
        {"remove middle shifts the rest",
         {{true, 3, 1, true}, {true, 8, 2, true}, {true, 13, 3, true}, {false, 8, 0, true}},
         {{3, 1}, {13, 3}, {0, 0}}},
        {"remove missing note", {{true, 3, 1, true}, {false, 4, 0, false}},
         {{3, 1}, {0, 0}, {0, 0}}},
        {"remove from empty step", {{false, 4, 0, false}}, {{0, 0}, {0, 0}, {0, 0}}},
        {"remove last leaves empty", {{true, 6, 6, true}, {false, 6, 0, true}},
         {{0, 0}, {0, 0}, {0, 0}}},
    };
    for (const auto& c : cases) {
        auto score = std::make_unique<OrnScore>();
        for (const auto& op : c.ops) {
            const bool changed =
                op.add ? score->addNoteAt(42, op.note, op.prog) : score->removeNoteAt(42, op.note);
            EXPECT_EQ(changed, op.changed) << c.name;
        }
        EXPECT_EQ(step(*score, 42), c.cells) << c.name;
    }
}

TEST(OrnScoreModel, EditsOutsideTheGridAreRefused) {
    auto score = std::make_unique<OrnScore>();
    for (int index : {-1, 960, -2147483647 - 1, 2147483647}) {
        EXPECT_FALSE(score->addNoteAt(index, 1, 1)) << index;
        EXPECT_FALSE(score->removeNoteAt(index, 1)) << index;
    }
}

TEST(OrnScoreModel, OffStaffNoteLeavesEmptyCellWithProg) {
    auto score = std::make_unique<OrnScore>();
    EXPECT_TRUE(score->addNoteAt(0, 14, 5));
    EXPECT_EQ(score->cellAt(0, 0).midiNote, -1);
    EXPECT_EQ(score->cellAt(0, 0).prog, 5);
    EXPECT_EQ(score->noteAt(0, 0), 0);
    // The cell still counts as empty: the next note takes it.
    EXPECT_TRUE(score->addNoteAt(0, 2, 1));
    EXPECT_EQ(step(*score, 0), (std::vector<Cell>{{2, 1}, {0, 0}, {0, 0}}));
}

TEST(OrnScoreModel, FixScoreAtIsAStableSort) {
    // Built through the reader's raw form: cells in the given order, then
    // normalised.
    struct {
        const char* cells; // SCORE value of one step
        std::vector<Cell> normal;
    } const cases[] = {
        {"0011", {{1, 1}, {0, 0}, {0, 0}}},
        {"8135", {{3, 5}, {8, 1}, {0, 0}}},
        {"818283", {{8, 1}, {8, 2}, {8, 3}}},
        {"D1C211", {{1, 1}, {12, 2}, {13, 1}}},
        {"E5011", {{1, 1}, {0, 5}, {0, 0}}},
    };
    for (const auto& c : cases) {
        auto loaded = scoretest::load(scoretest::text(std::string("SCORE=") + c.cells));
        ASSERT_TRUE(loaded->isValid()) << c.cells;
        EXPECT_EQ(step(*loaded, 0), c.normal) << c.cells;
        // Normalising again changes nothing.
        loaded->fixScoreAt(0);
        EXPECT_EQ(step(*loaded, 0), c.normal) << c.cells;
    }
}

TEST(OrnScoreModel, RemoveTakesFirstOfDuplicates) {
    auto score = scoretest::load(scoretest::text("SCORE=818283"));
    EXPECT_EQ(score->getProgAt(0, 8), 1);
    EXPECT_TRUE(score->removeNoteAt(0, 8));
    EXPECT_EQ(step(*score, 0), (std::vector<Cell>{{8, 2}, {8, 3}, {0, 0}}));
}

TEST(OrnScoreModel, Description) {
    auto score = std::make_unique<OrnScore>();
    score->addNoteAt(0, 1, 3);
    score->setLoop(true);
    EXPECT_EQ(score->description(),
              "OrnScore tempo=100 measure=4 end=960 loop=YES notes[0][0]=(79,3) "
              "notes[0][1]=(-1,0) notes[0][2]=(-1,0)");
}

} // namespace
