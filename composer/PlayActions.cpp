#include "composer/PlayActions.h"

#include "composer/OrnWindowController.h"
#include "display/OrnView.h"
#include "document/MyDocument.h"

#include <QAction>
#include <QMenu>
#include <algorithm>

namespace {

QAction* addPlayAction(QMenu* menu, const char* name, const QString& text, const QString& tip,
                       const QKeySequence& key) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(key);
    action->setToolTip(tip);
    action->setStatusTip(tip);
    return action;
}

// The step of the highlighted or keyboard cell, else the one at the view's
// left edge. The cell can stand on step 960, past every note.
int hereStep(const OrnView& view) {
    if (static_cast<int>(view.cursorPt().y()) != 0) {
        return std::min(static_cast<int>(view.cursorPt().x()), OrnScore::maxLength() - 1);
    }
    return view.leftEdgeStep();
}

} // namespace

void buildPlayActions(QMenu* play, OrnWindowController* w) {
    MyDocument* doc = w->document();
    OrnView* view = w->ornView();
    QAction* here = addPlayAction(
        play, "actionPlayFromHere", QStringLiteral("Play from &Here"),
        QStringLiteral("Play from the highlighted step, else from the left edge of the staff"),
        QKeySequence(Qt::SHIFT | Qt::Key_Space));
    QAction* selection =
        addPlayAction(play, "actionPlaySelection", QStringLiteral("Play &Selection"),
                      QStringLiteral("Play the selected steps over and over until Stop"),
                      QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Space));
    for (QAction* action : {here, selection}) {
        QObject::connect(action, &QAction::triggered, w, &OrnWindowController::commitTempo);
    }
    QObject::connect(here, &QAction::triggered, doc, [doc, view] {
        if (doc->isPlaying()) {
            doc->stopPlaying();
        } else {
            doc->startPlaying(OrnPlayer::kEndless, hereStep(*view));
        }
    });
    QObject::connect(selection, &QAction::triggered, doc, [doc, view] {
        if (doc->isPlaying()) {
            doc->stopPlaying();
        } else if (view->selectionCount() > 0) {
            doc->startPlayingSteps(view->selectionFirst(), view->selectionCount());
        }
    });
    const auto follow = [selection, view] { selection->setEnabled(view->selectionCount() > 0); };
    QObject::connect(view, &OrnView::selectionChanged, selection, follow);
    follow();
}
