// Undo of an erase puts back the very cell that went, also on a step that
// holds one note twice (the reader accepts such steps, and Paste Steps can
// bring them in).
#include "document/DocumentTestUtil.h"
#include "score/ScoreTestUtil.h"

namespace {

using doctest::DocumentTest;
using scoretest::describeNotes;

using EraseUndo = DocumentTest;

TEST_F(EraseUndo, RestoresTheExactCells) {
    doctest::application();
    struct Case {
        const char* name;
        const char* score; // the SCORE line of step 0
        int note;          // erased at step 0
        const char* erased;
    } const cases[] = {
        {"twice, first goes", "SCORE=05253", 5, "0:5/3 end=960"},
        {"twice and another", "SCORE=525371", 5, "0:5/3 0:7/1 end=960"},
        {"the other of a pair", "SCORE=525371", 7, "0:5/2 0:5/3 end=960"},
        {"single", "SCORE=00A4", 10, "end=960"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MyDocument doc(&prefs);
        const auto loaded = scoretest::load(scoretest::text(c.score));
        ASSERT_TRUE(loaded->isValid());
        doc.editableScore().setStepCells(0, loaded->stepCells(0, 1));
        const std::string before = describeNotes(doc.score());

        doc.undoableRemoveNoteAt(0, c.note);
        ASSERT_EQ(describeNotes(doc.score()), c.erased);
        for (int round = 0; round < 2; ++round) {
            doc.undoStack()->undo();
            EXPECT_EQ(describeNotes(doc.score()), before) << "undone";
            doc.undoStack()->redo();
            EXPECT_EQ(describeNotes(doc.score()), c.erased) << "redone";
        }
    }
}

} // namespace
