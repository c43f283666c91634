// Changes to runs of whole steps: delete, insert and write, made, undone and
// made again; and the score text of a run of steps.
#include "score/OrnStepsChange.h"

#include "ScoreTestUtil.h"

#include <sstream>

namespace {

using scoretest::describeNotes;

// A score with the notes "step:note/prog ..." and the end mark.
std::unique_ptr<OrnScore> scoreOf(const std::string& notes, int end) {
    auto score = std::make_unique<OrnScore>();
    std::istringstream in(notes);
    int step = 0, note = 0, prog = 0;
    char colon = 0, slash = 0;
    while (in >> step >> colon >> note >> slash >> prog) {
        score->addNoteAt(step, note, prog);
    }
    score->setEnd(end);
    return score;
}

enum class Op { Delete, Insert, Write };

TEST(OrnStepsChange, MovesStepsAndTheEndMarkAndUndoesExactly) {
    // What Write writes: step 0 note 1/1, step 1 empty, step 2 notes 2/2 and 3/3.
    const std::vector<OrnNote> written = {{79, 1}, {-1, 0}, {-1, 0}, {-1, 0}, {-1, 0},
                                          {-1, 0}, {77, 2}, {76, 3}, {-1, 0}};
    struct Case {
        const char* name;
        const char* notes;
        int end;
        Op op;
        int first;
        int count; // steps; for Write, how many steps of `written`
        const char* after;
        int dropped;
    } const cases[] = {
        {"delete before the end", "1:1/1 2:2/2 3:3/3 5:5/5", 8, Op::Delete, 2, 2,
         "1:1/1 3:5/5 end=6", 0},
        {"delete holding the end", "1:1/1 4:4/4", 3, Op::Delete, 2, 4, "1:1/1 end=2", 0},
        {"delete from 0 keeps end 1", "1:1/1 7:7/7", 2, Op::Delete, 0, 5, "2:7/7 end=1", 0},
        {"delete after the end", "1:1/1 6:6/6", 3, Op::Delete, 5, 1, "1:1/1 5:6/6 end=3", 0},
        {"insert before the end", "1:1/1 2:2/2 5:5/5", 8, Op::Insert, 2, 3,
         "1:1/1 5:2/2 8:5/5 end=11", 0},
        {"insert at the end mark", "1:1/1 5:5/5", 5, Op::Insert, 5, 2, "1:1/1 7:5/5 end=5", 0},
        {"insert drops the last", "100:1/1 958:2/2 958:3/3 959:4/4", 960, Op::Insert, 100, 2,
         "102:1/1 end=960", 3},
        {"insert clips the end", "0:1/1 957:2/2", 959, Op::Insert, 0, 2, "2:1/1 959:2/2 end=960",
         0},
        {"write over notes", "4:9/9 5:9/9 6:9/9 7:9/9", 960, Op::Write, 4, 3,
         "4:1/1 6:2/2 6:3/3 7:9/9 end=960", 0},
        {"write past the end mark", "", 5, Op::Write, 10, 3, "10:1/1 12:2/2 12:3/3 end=13", 0},
        {"write clipped", "", 960, Op::Write, 958, 3, "958:1/1 end=960", 2},
        {"write at 960", "", 960, Op::Write, 960, 3, "end=960", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto score = scoreOf(c.notes, c.end);
        const std::string before = describeNotes(*score);
        const auto cells = std::span(written).first(static_cast<std::size_t>(3 * c.count));
        const OrnStepsChange change =
            c.op == Op::Delete   ? OrnStepsChange::deleting(*score, c.first, c.count)
            : c.op == Op::Insert ? OrnStepsChange::inserting(*score, c.first, c.count)
                                 : OrnStepsChange::writing(*score, c.first, cells);
        EXPECT_EQ(describeNotes(*score), before) << "working it out changes nothing";
        EXPECT_EQ(change.droppedNotes, c.dropped);
        EXPECT_EQ(change.isEmpty(), before == c.after);
        for (const bool forward : {true, false, true}) {
            change.apply(*score, forward);
            EXPECT_EQ(describeNotes(*score), forward ? c.after : before);
        }
    }
}

TEST(OrnStepsChange, StepsTextHoldsJustThoseStepsWithTheScoresSettings) {
    const auto score = scoretest::randomScore(7, 500);
    for (const auto& [first, count] : {std::pair{100, 40}, {300, 200}}) {
        const std::string text = stepsText(*score, first, count);
        const auto back = scoretest::load(text);
        EXPECT_EQ(std::tuple(back->end(), back->tempo(), back->loop(), back->measure()),
                  std::tuple(count, score->tempo(), score->loop(), score->measure()));
        std::vector<OrnNote> cells;
        ASSERT_TRUE(stepsOfText(scoretest::bytes(text), &cells));
        EXPECT_EQ(cells, score->stepCells(first, count)) << first;
    }
    std::vector<OrnNote> cells;
    EXPECT_FALSE(stepsOfText(scoretest::bytes("SCORE=11\nTEMPO=1\n"), &cells));
}

} // namespace
