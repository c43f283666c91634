#include "composer/StepActions.h"

#include "composer/OrnWindowController.h"
#include "display/OrnView.h"
#include "document/MyDocument.h"

#include <QAction>
#include <QMenu>
#include <QStatusBar>
#include <algorithm>

namespace {

QAction* addStepAction(QMenu* menu, const char* name, const QString& text, const QString& tip,
                       const QList<QKeySequence>& keys) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    action->setShortcuts(keys);
    action->setToolTip(tip);
    action->setStatusTip(tip);
    return action;
}

// The step the highlighted cell stands on, else the first selected step, else
// -1 after saying what to do. The cell can stand on step 960 (where the End
// tool puts the end mark), which holds no notes: it aims at the last step.
int targetStep(OrnWindowController* w) {
    const OrnView* view = w->ornView();
    if (static_cast<int>(view->cursorPt().y()) != 0) {
        return std::min(static_cast<int>(view->cursorPt().x()), OrnScore::maxLength() - 1);
    }
    if (view->selectionCount() > 0) {
        return view->selectionFirst();
    }
    w->showStatus(
        QStringLiteral("Choose a step first: point at it or move to it with the arrow keys."));
    return -1;
}

} // namespace

void buildStepActions(QMenu* edit, OrnWindowController* w) {
    MyDocument* doc = w->document();
    OrnView* view = w->ornView();
    QAction* cut = addStepAction(edit, "actionCutSteps", QStringLiteral("Cu&t Steps"),
                                 QStringLiteral("Copy the selected steps and take them out"),
                                 {QKeySequence(QStringLiteral("Ctrl+Shift+X"))});
    QAction* copy = addStepAction(edit, "actionCopySteps", QStringLiteral("Copy &Steps"),
                                  QStringLiteral("Copy the selected steps as a score text"),
                                  {QKeySequence(QStringLiteral("Ctrl+Shift+C"))});
    QAction* paste = addStepAction(
        edit, "actionPasteSteps", QStringLiteral("Paste St&eps"),
        QStringLiteral("Write the copied steps over the steps from the highlighted one on"),
        {QKeySequence(QStringLiteral("Ctrl+Shift+V"))});
    QAction* remove =
        addStepAction(edit, "actionDeleteSteps", QStringLiteral("&Delete Steps"),
                      QStringLiteral("Take the selected steps out; later steps move left"),
                      {QKeySequence(Qt::CTRL | Qt::Key_Delete)});
    QAction* insert = addStepAction(
        edit, "actionInsertSteps", QStringLiteral("&Insert Empty Steps"),
        QStringLiteral("Put in as many empty steps as are selected (or one before the "
                       "highlighted step); later steps move right"),
        {QKeySequence(Qt::Key_Insert), QKeySequence(QStringLiteral("Ctrl+Shift+I"))});

    // A typed tempo is taken first, and each command's outcome replaces the
    // message of the one before.
    for (QAction* action : {cut, copy, paste, remove, insert}) {
        QObject::connect(action, &QAction::triggered, w, &OrnWindowController::commitTempo);
        QObject::connect(action, &QAction::triggered, w, [w] { w->statusBar()->clearMessage(); });
    }
    QObject::connect(cut, &QAction::triggered, view, [doc, view] {
        if (doc->cutSteps(view->selectionFirst(), view->selectionCount())) {
            view->clearSelection();
        }
    });
    QObject::connect(copy, &QAction::triggered, view, [doc, view] {
        doc->copySteps(view->selectionFirst(), view->selectionCount());
    });
    QObject::connect(paste, &QAction::triggered, view, [doc, w] {
        if (const int at = targetStep(w); at >= 0) {
            doc->pasteSteps(at);
        }
    });
    QObject::connect(remove, &QAction::triggered, view, [doc, view] {
        if (doc->deleteSteps(view->selectionFirst(), view->selectionCount())) {
            view->clearSelection();
        }
    });
    QObject::connect(insert, &QAction::triggered, view, [doc, view, w] {
        if (view->selectionCount() > 0) {
            doc->insertEmptySteps(view->selectionFirst(), view->selectionCount());
        } else if (const int at = targetStep(w); at >= 0) {
            doc->insertEmptySteps(at, 1);
        }
    });

    const auto enable = [cut, copy, remove, view] {
        const bool selected = view->selectionCount() > 0;
        cut->setEnabled(selected);
        copy->setEnabled(selected);
        remove->setEnabled(selected);
    };
    QObject::connect(view, &OrnView::selectionChanged, edit, enable);
    enable();
    QObject::connect(view, &OrnView::notice, w, &OrnWindowController::showStatus);
    QObject::connect(view, &OrnView::deleteStepsRequested, remove, &QAction::trigger);
}
