// Play from Here and Play Selection in a window: where they start, what they
// loop, and that Stop ends them.
#include "ComposerTestUtil.h"
#include "display/OrnView.h"

#include <QTest>
#include <set>

namespace {

using PlayActions = composertest::ComposerTest;

doctest::ManualAudioOutput& output(OrnWindowController* w) {
    return *static_cast<doctest::ManualAudioOutput*>(w->document()->audioOutput());
}

int playingStep(OrnWindowController* w) {
    return w->document()->syncData()->playingIndex();
}

TEST_F(PlayActions, PlayFromHereStartsAtTheCellElseAtTheLeftEdge) {
    OrnWindowController* w = controller->newDocument();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    OrnView* view = w->ornView();
    view->scrollTo(40.0f, true);
    view->repaint();
    const int edge = view->leftEdgeStep();
    ASSERT_GT(edge, 20);
    ASSERT_LT(edge, 40);
    QAction* here = action(w, "actionPlayFromHere");
    ASSERT_NE(here, nullptr);
    EXPECT_EQ(here->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_Space));
    here->trigger();
    output(w).pull(1);
    EXPECT_EQ(playingStep(w), edge);
    here->trigger();
    EXPECT_FALSE(w->document()->isPlaying()) << "pressed again, it stops as Play does";

    QTest::keyClick(view, Qt::Key_Right);
    QTest::keyClick(view, Qt::Key_Right);
    const int cell = static_cast<int>(view->cursorPt().x());
    ASSERT_NE(cell, edge);
    here->trigger();
    output(w).pull(1);
    EXPECT_EQ(playingStep(w), cell);
    action(w, "actionPlay")->trigger();
    EXPECT_FALSE(w->document()->isPlaying());
    // Space still plays from step 0.
    action(w, "actionPlay")->trigger();
    output(w).pull(1);
    EXPECT_EQ(playingStep(w), 0);
    action(w, "actionPlay")->trigger();
}

// Past the end mark a looping song starts over at step 0 and a song that
// does not loop has nothing to play: it stops at the next display tick.
TEST_F(PlayActions, PlayFromHerePastTheEndMark) {
    for (const bool loop : {true, false}) {
        OrnWindowController* w = controller->newDocument();
        MyDocument* doc = w->document();
        doc->undoableSetEnd(8);
        if (doc->score().loop() != loop) {
            doc->toggleLoop();
        }
        w->ornView()->scrollTo(30.0f, true);
        w->ornView()->repaint();
        action(w, "actionPlayFromHere")->trigger();
        output(w).pull(1);
        if (loop) {
            EXPECT_EQ(playingStep(w), 0);
            EXPECT_TRUE(doc->isPlaying());
            doc->stopPlaying();
        } else {
            EXPECT_GE(playingStep(w), 8);
            output(w).pull(2);
            doc->onPlaying();
            EXPECT_FALSE(doc->isPlaying());
        }
    }
}

TEST_F(PlayActions, PlaySelectionLoopsTheSelectedStepsUntilStop) {
    OrnWindowController* w = controller->newDocument();
    MyDocument* doc = w->document();
    OrnView* view = w->ornView();
    QAction* selection = action(w, "actionPlaySelection");
    ASSERT_NE(selection, nullptr);
    EXPECT_FALSE(selection->isEnabled());
    view->setSelection(4, 3);
    ASSERT_TRUE(selection->isEnabled());
    selection->trigger();
    const int n = MyDocument::stepLength(doc->score().tempo(), 0);
    std::set<int> steps;
    for (int block = 0; block < 7 * n / doctest::ManualAudioOutput::kBlockFrames; ++block) {
        output(w).pull(doctest::ManualAudioOutput::kBlockFrames);
        steps.insert(playingStep(w));
    }
    EXPECT_EQ(steps, (std::set<int>{4, 5, 6}));
    EXPECT_TRUE(doc->isPlaying());
    action(w, "actionPlay")->trigger();
    EXPECT_FALSE(doc->isPlaying());
}

} // namespace
