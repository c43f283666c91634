// The words a screen reader says of the staff's keyboard cell.
#include "display/StaffSpeech.h"

#include "score/OrnScore.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

struct Note {
    int step;
    int note;
    int prog;
};

TEST(StaffSpeechTest, SaysTheCellItsNotesTheEndMarkAndTheSelection) {
    struct Case {
        const char* name;
        int measure;
        int end;
        std::vector<Note> notes;
        int step;
        int note;
        int selectionFirst;
        int selectionCount;
        const char* spoken;
    };
    const Case cases[] = {
        {"empty cell", 4, 960, {}, 12, 8, 0, 0, "Step 13, measure 4, beat 1, G4: empty"},
        {"one note", 4, 960, {{12, 8, 1}}, 12, 8, 0, 0, "Step 13, measure 4, beat 1, G4: Zubo"},
        {"3/4 time", 3, 960, {}, 12, 8, 0, 0, "Step 13, measure 5, beat 1, G4: empty"},
        {"top and bottom",
         4,
         960,
         {{0, 1, 15}, {0, 13, 2}},
         1,
         13,
         0,
         0,
         "Step 2, measure 1, beat 2, B3: empty"},
        {"three notes, the cell's own among them",
         4,
         960,
         {{5, 1, 15}, {5, 5, 4}, {5, 13, 2}},
         5,
         13,
         0,
         0,
         "Step 6, measure 2, beat 2, B3: Rezedo; also Heart on G5, Star on C5"},
        {"others only",
         4,
         960,
         {{5, 5, 4}, {5, 10, 7}},
         5,
         6,
         0,
         0,
         "Step 6, measure 2, beat 2, B4: empty; also Star on C5, Dog on E4"},
        {"end mark",
         4,
         20,
         {},
         20,
         7,
         0,
         0,
         "Step 21, measure 6, beat 1, A4: empty; end mark here"},
        {"after the end mark",
         4,
         20,
         {},
         30,
         7,
         0,
         0,
         "Step 31, measure 8, beat 3, A4: empty; after the end mark"},
        {"cell and selection",
         4,
         960,
         {},
         11,
         12,
         4,
         8,
         "Step 12, measure 3, beat 4, C4: empty; steps 5 to 12 selected"},
        {"selection without a cell", 4, 960, {}, 0, 0, 4, 8, "steps 5 to 12 selected"},
        {"one step selected", 4, 960, {}, 0, 0, 959, 1, "step 960 selected"},
        {"nothing", 4, 960, {{0, 6, 1}}, 0, 0, 0, 0, ""},
    };
    for (const Case& c : cases) {
        OrnScore score;
        score.setMeasure(c.measure);
        for (const Note& n : c.notes) {
            ASSERT_TRUE(score.addNoteAt(n.step, n.note, n.prog)) << c.name;
        }
        score.setEnd(c.end);
        EXPECT_EQ(zubo::staffCellSpeech(score, c.step, c.note, c.selectionFirst, c.selectionCount)
                      .toStdString(),
                  c.spoken)
            << c.name;
    }
}

TEST(StaffSpeechTest, NamesTheThirteenPitchesFromTheTopOnly) {
    const char* names[] = {"G5", "F5", "E5", "D5", "C5", "B4", "A4",
                           "G4", "F4", "E4", "D4", "C4", "B3"};
    for (int note = 1; note <= 13; ++note) {
        EXPECT_EQ(zubo::pitchName(note).toStdString(), names[note - 1]) << note;
    }
    EXPECT_TRUE(zubo::pitchName(0).isEmpty());
    EXPECT_TRUE(zubo::pitchName(14).isEmpty());
}

} // namespace
