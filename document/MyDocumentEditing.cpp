#include "document/MyDocument.h"
#include "document/UndoCommands.h"
#include "sound/OrnWaves.h"

namespace {

constexpr int kEndTool = 15;

bool isStaffNote(int note) {
    return note >= 1 && note <= 13;
}

bool isStep(int index) {
    return index >= 0 && index < OrnScore::maxLength();
}

} // namespace

void MyDocument::requestAddNoteAt(int index, int note) {
    if (_eraseMode) {
        requestRemoveNoteAt(index, note);
        return;
    }
    if (_selectedInst == kEndTool) {
        // The End tool takes the step only: the note number does not matter.
        if (index > 0 && index <= OrnScore::maxLength()) {
            undoableSetEnd(index);
            playSingleSound(OrnWaves::endTone());
        }
        return;
    }
    // A click off the staff (note 0) is no cell: no sound, no entry.
    if (!isStaffNote(note)) {
        return;
    }
    const int prog = _selectedInst + 1;
    playSingleSound(OrnWaves::tone(prog, note));
    if (index < _score->end()) {
        undoableAddNoteAt(index, note, prog);
    }
}

void MyDocument::requestRemoveNoteAt(int index, int note) {
    if (!isStaffNote(note)) {
        return;
    }
    playSingleSound(OrnWaves::eraserTone());
    if (index < _score->end()) {
        undoableRemoveNoteAt(index, note);
    }
}

void MyDocument::undoableAddNoteAt(int index, int note, int prog) {
    if (!isStep(index) || !isStaffNote(note)) {
        return;
    }
    const int old = _score->getProgAt(index, note);
    // A new note on a full step (its last cell holds a note, as steps keep
    // their notes first) is refused by the score: no entry for it.
    const int last = _score->cellAt(index, OrnScore::maxNotes() - 1).midiNote;
    if (old == 0 && midiNoteToOrnNote(last) != 0) {
        return;
    }
    _undoStack.push(new AddNoteCommand(this, index, note, prog, old));
}

void MyDocument::undoableRemoveNoteAt(int index, int note) {
    if (!isStep(index) || !isStaffNote(note)) {
        return;
    }
    if (_score->getProgAt(index, note) == 0) {
        return;
    }
    _undoStack.push(new RemoveNoteCommand(this, index, note, _score->stepCells(index, 1)));
}

void MyDocument::undoableSetEnd(int end) {
    if (end <= 0) {
        return;
    }
    _undoStack.push(new SetEndCommand(this, end, _score->end()));
}

void MyDocument::undoableSetTempo(int tempo) {
    if (tempo == _score->tempo()) {
        return;
    }
    _score->setTempo(tempo);
    emit tempoDisplayChanged(tempo);
    updateEditedState();
}

void MyDocument::changeNoteAt(int index, int note, int prog) {
    _score->addNoteAt(index, note, prog);
    emit redrawRequested();
}

void MyDocument::eraseNoteAt(int index, int note) {
    _score->removeNoteAt(index, note);
    emit redrawRequested();
}

void MyDocument::restoreStep(int index, std::span<const OrnNote> cells) {
    _score->setStepCells(index, cells);
    emit redrawRequested();
}

void MyDocument::changeEnd(int end) {
    _score->setEnd(end);
    emit redrawRequested();
}

void MyDocument::pushSong(const OrnScore& song) {
    OrnStepsChange change = OrnStepsChange::replacing(*_score, song);
    const SongSettings before{_score->tempo(), _score->measure(), _score->loop()};
    const SongSettings after{song.tempo(), song.measure(), song.loop()};
    if (change.isEmpty() && before == after) {
        return;
    }
    _undoStack.push(new SongCommand(this, std::move(change), before, after));
}

void MyDocument::changeSong(const OrnStepsChange& change, const SongSettings& settings,
                            bool forward) {
    change.apply(*_score, forward);
    _score->setTempo(settings.tempo);
    _score->setMeasure(settings.measure);
    _score->setLoop(settings.loop);
    emit tempoDisplayChanged(settings.tempo);
    changeIconForMeasure();
    changeIconForLoop();
    // Tempo, measure and loop count for the edited state too.
    updateEditedState();
    emit redrawRequested();
}

bool MyDocument::isDocumentEdited() const {
    if (!_undoStack.isClean()) {
        return true;
    }
    return _score->tempo() != _origTempo || _score->measure() != _origMeasure ||
           _score->loop() != _origLoop;
}

void MyDocument::updateEditedState() {
    const bool edited = isDocumentEdited();
    if (edited != _lastEdited) {
        _lastEdited = edited;
        emit editedChanged(edited);
    }
    emit documentChanged();
}
