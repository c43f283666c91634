// Where the Edit menu's step commands land: the last cell the pointer or the
// keys chose, kept on the way to the menu, never step 960; Delete with a
// selection; and the status bar showing the latest outcome.
#include "ComposerTestUtil.h"
#include "display/OrnView.h"
#include "score/OrnStepsChange.h"

#include <QClipboard>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTest>
#include <functional>

namespace {

class StepTarget : public composertest::ComposerTest {
  protected:
    void SetUp() override {
        ComposerTest::SetUp();
        w = controller->newDocument();
        view = w->ornView();
        view->grab(); // lays the staff out
    }

    QPoint cellCentre(int step, int note) const {
        return view->toWidgetRect(OrnPainter::cursorRect(view->imageInfo(), step, note)).center();
    }
    QPoint inRunningStrip() const {
        const float y = view->imageInfo().runningBottom + 2.0f;
        return view->toWidgetRect(QRectF(100.0, y, 1.0, 1.0)).center();
    }
    void mouse(QEvent::Type type, Qt::MouseButton button, QPoint pos) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
        QMouseEvent event(type, QPointF(pos), view->mapToGlobal(QPointF(pos)), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(view, &event);
    }
    void keys(Qt::Key key, int times, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        for (int i = 0; i < times; ++i) {
            QTest::keyClick(view, key, modifiers);
        }
    }
    // Two steps with notes (note 4 then note 8), as Copy Steps leaves them.
    static void copyTwoSteps() {
        OrnScore source;
        source.addNoteAt(0, 4, 1);
        source.addNoteAt(1, 8, 2);
        QGuiApplication::clipboard()->setText(QString::fromStdString(stepsText(source, 0, 2)));
    }
    QString message() const { return w->statusBar()->currentMessage(); }

    OrnWindowController* w = nullptr;
    OrnView* view = nullptr;
};

TEST_F(StepTarget, PasteAndInsertLandOnTheLastChosenCell) {
    struct Case {
        const char* name;
        const char* command;
        bool byKeys;
        int at; // the step that must change
    } const cases[] = {
        {"paste, pointer", "actionPasteSteps", false, 5},
        {"paste, keys", "actionPasteSteps", true, 5},
        {"insert, pointer", "actionInsertSteps", false, 5},
        {"insert, keys", "actionInsertSteps", true, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OrnScore& score = w->document()->editableScore();
        score.clearAllNotes();
        score.addNoteAt(c.at, 13, 3);
        copyTwoSteps();
        view->scrollTo(0.0f, true);
        if (c.byKeys) {
            keys(Qt::Key_Up, 1); // step 0, middle line
            keys(Qt::Key_Right, c.at);
        } else {
            mouse(QEvent::MouseMove, Qt::NoButton, cellCentre(c.at, 6));
        }
        // On to the menu: across the running strip and out of the view.
        mouse(QEvent::MouseMove, Qt::NoButton, inRunningStrip());
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(view, &leave);
        EXPECT_EQ(view->cursorPt(), QPointF(c.at, 6)) << "still drawn";

        action(w, c.command)->trigger();
        if (std::string(c.command) == "actionPasteSteps") {
            EXPECT_EQ(score.getProgAt(c.at, 4), 1);
            EXPECT_EQ(score.getProgAt(c.at + 1, 8), 2);
        } else {
            EXPECT_EQ(score.getProgAt(c.at, 13), 0);
            EXPECT_EQ(score.getProgAt(c.at + 1, 13), 3);
        }
        keys(Qt::Key_Escape, 1);
        EXPECT_EQ(view->cursorPt(), QPointF(0, 0)) << "Escape lets it go";
        w->document()->undoStack()->setClean();
    }
}

TEST_F(StepTarget, TheCellPastTheLastStepAimsAtTheLastStep) {
    struct Case {
        const char* command;
        const char* message;
        int step;
        int note;
    } const cases[] = {
        {"actionPasteSteps", "1 pasted note past the end was dropped", 959, 4},
        {"actionInsertSteps", "1 note pushed past the end was dropped", 959, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        OrnScore& score = w->document()->editableScore();
        score.clearAllNotes();
        score.addNoteAt(959, 13, 3);
        copyTwoSteps();
        keys(Qt::Key_End, 1);
        keys(Qt::Key_Up, 1);
        ASSERT_EQ(view->cursorPt(), QPointF(960, 6));
        action(w, c.command)->trigger();
        EXPECT_EQ(message().toStdString(), c.message);
        EXPECT_EQ(score.getProgAt(c.step, 13), 0);
        if (c.note != 0) {
            EXPECT_EQ(score.getProgAt(c.step, c.note), 1);
        }
        keys(Qt::Key_Escape, 1);
        w->document()->undoStack()->setClean();
    }
}

TEST_F(StepTarget, DeleteWithStepsSelectedDeletesThem) {
    for (const Qt::Key key : {Qt::Key_Delete, Qt::Key_Backspace}) {
        SCOPED_TRACE(key);
        OrnScore& score = w->document()->editableScore();
        score.clearAllNotes();
        score.addNoteAt(0, 6, 1);
        score.addNoteAt(5, 2, 2);
        keys(Qt::Key_Up, 1); // the cell on step 0's note
        keys(Qt::Key_Right, 1, Qt::ShiftModifier);
        ASSERT_EQ(view->selectionCount(), 2);
        keys(key, 1);
        EXPECT_EQ(score.getProgAt(0, 6), 0);
        EXPECT_EQ(score.getProgAt(3, 2), 2) << "later steps moved left";
        EXPECT_EQ(view->selectionCount(), 0);
        EXPECT_EQ(w->document()->undoStack()->count(), 1) << "one entry";
        w->document()->undoStack()->clear();
        keys(Qt::Key_Escape, 1);
    }
}

TEST_F(StepTarget, TheStatusBarShowsTheLatestOutcome) {
    struct Case {
        const char* name;
        std::function<void()> then;
        const char* message;
    } const cases[] = {
        {"a paste that works",
         [this] {
             copyTwoSteps();
             action(w, "actionPasteSteps")->trigger();
         },
         "Pasted 2 steps"},
        {"an insert", [this] { action(w, "actionInsertSteps")->trigger(); }, ""},
        {"a click while playing",
         [this] {
             w->document()->startPlaying();
             mouse(QEvent::MouseButtonPress, Qt::LeftButton, cellCentre(3, 6));
             mouse(QEvent::MouseButtonRelease, Qt::LeftButton, cellCentre(3, 6));
             w->document()->stopPlaying();
         },
         "Stop playback to edit with the mouse"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        keys(Qt::Key_Up, 1);
        QGuiApplication::clipboard()->setText(QStringLiteral("hello"));
        action(w, "actionPasteSteps")->trigger();
        ASSERT_EQ(message().toStdString(), "The clipboard does not hold a score.");
        c.then();
        EXPECT_EQ(message().toStdString(), c.message);
        EXPECT_EQ(w->document()->score().getProgAt(3, 6), 0) << "no click edits while playing";
        keys(Qt::Key_Escape, 1);
        w->document()->undoStack()->clear();
    }
}

} // namespace
