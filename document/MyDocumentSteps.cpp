// Editing runs of whole steps: copy, cut, paste, delete and insert. The
// score works out each change (OrnStepsChange); the document pushes it as one
// undo entry and reports what the user cannot see, such as dropped notes.
#include "document/MyDocument.h"
#include "document/UndoCommands.h"
#include "score/OrnStepsChange.h"

#include <QClipboard>
#include <QMimeData>
#include <algorithm>
#include <span>

namespace {

// Whole steps of the staff within [0, 960), or an empty range.
bool clampRange(int* first, int* count) {
    *first = std::clamp(*first, 0, OrnScore::maxLength());
    *count = std::clamp(*count, 0, OrnScore::maxLength() - *first);
    return *count > 0;
}

// Puts the score text of the steps, clamped to the staff, on the clipboard.
bool stepsToClipboard(QClipboard* board, const OrnScore& score, int* first, int* count) {
    if (board == nullptr || !clampRange(first, count)) {
        return false;
    }
    board->setText(QString::fromStdString(stepsText(score, *first, *count)));
    return true;
}

} // namespace

bool MyDocument::copySteps(int first, int count) {
    if (!stepsToClipboard(systemClipboard(), *_score, &first, &count)) {
        return false;
    }
    emit statusMessage(count == 1 ? tr("Copied 1 step") : tr("Copied %1 steps").arg(count));
    return true;
}

bool MyDocument::cutSteps(int first, int count) {
    if (!stepsToClipboard(systemClipboard(), *_score, &first, &count)) {
        return false;
    }
    emit statusMessage(count == 1 ? tr("Cut 1 step") : tr("Cut %1 steps").arg(count));
    deleteSteps(first, count);
    return true;
}

bool MyDocument::pasteSteps(int at) {
    QClipboard* board = systemClipboard();
    const QMimeData* mime = board != nullptr ? board->mimeData() : nullptr;
    if (mime == nullptr || !mime->hasText() || mime->text().isEmpty()) {
        emit statusMessage(tr("The clipboard holds no text to paste."));
        return false;
    }
    const QString text = mime->text();
    const QByteArray data = text.size() <= kMaxTextBytes ? text.toUtf8() : QByteArray();
    std::vector<OrnNote> cells;
    int endOffset = -1;
    if (data.isEmpty() || data.size() > kMaxTextBytes ||
        !stepsOfText({reinterpret_cast<const std::uint8_t*>(data.constData()),
                      static_cast<std::size_t>(data.size())},
                     &cells, &endOffset)) {
        emit statusMessage(tr("The clipboard does not hold a score."));
        return false;
    }
    if (cells.empty()) {
        emit statusMessage(tr("The score on the clipboard has no steps before its end mark."));
        return false;
    }
    OrnStepsChange change = OrnStepsChange::writing(*_score, at, cells, endOffset);
    // Said even when the steps were there already, so that no earlier
    // failure stays in sight.
    const int steps = static_cast<int>(cells.size()) / OrnScore::maxNotes();
    if (const int n = change.droppedNotes; n > 0) {
        emit statusMessage(n == 1 ? tr("1 pasted note past the end was dropped")
                                  : tr("%1 pasted notes past the end were dropped").arg(n));
    } else {
        emit statusMessage(steps == 1 ? tr("Pasted 1 step") : tr("Pasted %1 steps").arg(steps));
    }
    return pushSteps(std::move(change));
}

bool MyDocument::deleteSteps(int first, int count) {
    if (!clampRange(&first, &count)) {
        return false;
    }
    return pushSteps(OrnStepsChange::deleting(*_score, first, count));
}

bool MyDocument::insertEmptySteps(int first, int count) {
    if (!clampRange(&first, &count)) {
        return false;
    }
    OrnStepsChange change = OrnStepsChange::inserting(*_score, first, count);
    if (const int n = change.droppedNotes; n > 0) {
        emit statusMessage(n == 1 ? tr("1 note pushed past the end was dropped")
                                  : tr("%1 notes pushed past the end were dropped").arg(n));
    }
    return pushSteps(std::move(change));
}

bool MyDocument::pushSteps(OrnStepsChange change) {
    if (change.isEmpty()) {
        return false;
    }
    _undoStack.push(new StepsCommand(this, std::move(change)));
    return true;
}

void MyDocument::changeSteps(const OrnStepsChange& change, bool forward) {
    change.apply(*_score, forward);
    emit redrawRequested();
}
