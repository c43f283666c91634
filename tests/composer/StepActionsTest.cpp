// The Edit menu's step commands in a window: enabled by the staff's
// selection, acting on the document, reporting in the status bar, and with
// shortcuts no other command of the window uses.
#include "ComposerTestUtil.h"
#include "display/OrnView.h"

#include <QMenuBar>
#include <QSet>
#include <QStatusBar>

namespace {

using composertest::ComposerTest;

class StepActions : public ComposerTest {};

TEST_F(StepActions, FollowTheSelectionAndActOnTheDocument) {
    OrnWindowController* w = controller->newDocument();
    MyDocument* doc = w->document();
    OrnView* view = w->ornView();
    doc->editableScore().addNoteAt(3, 5, 1);
    doc->editableScore().addNoteAt(959, 2, 1);
    const char* const needSelection[] = {"actionCutSteps", "actionCopySteps", "actionDeleteSteps"};
    for (const char* name : needSelection) {
        ASSERT_NE(action(w, name), nullptr) << name;
        EXPECT_FALSE(action(w, name)->isEnabled()) << name;
    }

    action(w, "actionInsertSteps")->trigger();
    EXPECT_TRUE(w->statusBar()->currentMessage().startsWith(QStringLiteral("Choose a step")));
    EXPECT_EQ(doc->undoStack()->count(), 0);

    view->setSelection(1, 2);
    for (const char* name : needSelection) {
        EXPECT_TRUE(action(w, name)->isEnabled()) << name;
    }
    action(w, "actionInsertSteps")->trigger();
    EXPECT_EQ(doc->score().getProgAt(5, 5), 1);
    EXPECT_EQ(w->statusBar()->currentMessage(),
              QStringLiteral("1 note pushed past the end was dropped"));
    EXPECT_EQ(view->selectionCount(), 2) << "the inserted steps stay selected";

    view->setSelection(0, 5);
    action(w, "actionDeleteSteps")->trigger();
    EXPECT_EQ(doc->score().getProgAt(0, 5), 1);
    EXPECT_EQ(doc->undoStack()->count(), 2);
    EXPECT_EQ(view->selectionCount(), 0);
    EXPECT_FALSE(action(w, "actionDeleteSteps")->isEnabled());
    action(w, "actionUndo")->trigger();
    EXPECT_EQ(doc->score().getProgAt(5, 5), 1);
}

TEST_F(StepActions, NoTwoCommandsShareAShortcut) {
    OrnWindowController* w = controller->newDocument();
    QSet<QKeySequence> seen;
    for (QAction* a : w->findChildren<QAction*>()) {
        for (const QKeySequence& key : a->shortcuts()) {
            EXPECT_FALSE(seen.contains(key)) << key.toString().toStdString();
            seen.insert(key);
        }
    }
    for (const char* key : {"Ctrl+Shift+X", "Ctrl+Shift+C", "Ctrl+Shift+V", "Ctrl+Del", "Ins"}) {
        EXPECT_TRUE(seen.contains(QKeySequence(QLatin1String(key)))) << key;
    }
}

} // namespace
