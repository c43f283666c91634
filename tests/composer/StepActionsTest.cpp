// The Edit menu's step commands in a window: enabled by the staff's
// selection, reporting in the status bar, and with shortcuts and access keys
// of their own.
#include "ComposerTestUtil.h"
#include "display/OrnView.h"

#include <QMenu>
#include <QSet>
#include <QStatusBar>

namespace {

using StepActions = composertest::ComposerTest;

TEST_F(StepActions, FollowTheSelectionAndShareNoShortcut) {
    OrnWindowController* w = controller->newDocument();
    OrnView* view = w->ornView();
    QAction* remove = action(w, "actionDeleteSteps");
    ASSERT_NE(remove, nullptr);
    EXPECT_FALSE(remove->isEnabled());
    action(w, "actionInsertSteps")->trigger();
    EXPECT_TRUE(w->statusBar()->currentMessage().startsWith(QStringLiteral("Choose a step")));

    view->setSelection(0, 2);
    ASSERT_TRUE(remove->isEnabled());
    remove->trigger();
    EXPECT_EQ(w->document()->score().end(), 958);
    EXPECT_FALSE(remove->isEnabled()) << "a delete ends the selection";

    QSet<QKeySequence> seen;
    for (QAction* a : w->findChildren<QAction*>()) {
        for (const QKeySequence& key : a->shortcuts()) {
            EXPECT_FALSE(seen.contains(key)) << key.toString().toStdString();
            seen.insert(key);
        }
    }
    // Nor does an access key within a menu.
    for (QMenu* menu : w->findChildren<QMenu*>()) {
        QSet<QKeySequence> keys;
        for (QAction* a : menu->actions()) {
            const QKeySequence key = QKeySequence::mnemonic(a->text());
            EXPECT_TRUE(key.isEmpty() || !keys.contains(key)) << a->text().toStdString();
            keys.insert(key);
        }
    }
}

} // namespace
