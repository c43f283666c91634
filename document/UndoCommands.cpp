#include "document/UndoCommands.h"

#include "document/MyDocument.h"

#include <utility>

AddNoteCommand::AddNoteCommand(MyDocument* document, int index, int note, int prog, int oldProg)
    : _document(document), _index(index), _note(note), _prog(prog), _oldProg(oldProg) {}

void AddNoteCommand::redo() {
    _document->changeNoteAt(_index, _note, _prog);
}

void AddNoteCommand::undo() {
    if (_oldProg != 0) {
        _document->changeNoteAt(_index, _note, _oldProg);
    } else {
        _document->eraseNoteAt(_index, _note);
    }
}

RemoveNoteCommand::RemoveNoteCommand(MyDocument* document, int index, int note,
                                     std::vector<OrnNote> stepBefore)
    : _document(document), _index(index), _note(note), _stepBefore(std::move(stepBefore)) {}

void RemoveNoteCommand::redo() {
    _document->eraseNoteAt(_index, _note);
}

void RemoveNoteCommand::undo() {
    _document->restoreStep(_index, _stepBefore);
}

SetEndCommand::SetEndCommand(MyDocument* document, int end, int oldEnd)
    : _document(document), _end(end), _oldEnd(oldEnd) {}

void SetEndCommand::redo() {
    _document->changeEnd(_end);
}

void SetEndCommand::undo() {
    _document->changeEnd(_oldEnd);
}

StepsCommand::StepsCommand(MyDocument* document, OrnStepsChange change)
    : _document(document), _change(std::move(change)) {}

void StepsCommand::redo() {
    _document->changeSteps(_change, true);
}

void StepsCommand::undo() {
    _document->changeSteps(_change, false);
}

SongCommand::SongCommand(MyDocument* document, OrnStepsChange change, SongSettings before,
                         SongSettings after)
    : _document(document), _change(std::move(change)), _before(before), _after(after) {}

void SongCommand::redo() {
    _document->changeSong(_change, _after, true);
}

void SongCommand::undo() {
    _document->changeSong(_change, _before, false);
}
