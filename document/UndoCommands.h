#pragma once

#include "score/OrnStepsChange.h"

#include <QUndoCommand>
#include <vector>

class MyDocument;

// One command per undoable edit. Each holds plain values (step, note, prog,
// end mark, the cells of steps), never a reference into the score, and
// replays the document's edit or its inverse; pushing a command makes the
// edit.

// A note placed at a step: a new note, or an existing note given another
// instrument (`oldProg` its previous prog, 0 when it was not there).
class AddNoteCommand : public QUndoCommand {
  public:
    AddNoteCommand(MyDocument* document, int index, int note, int prog, int oldProg);
    void redo() override;
    void undo() override;

  private:
    MyDocument* _document;
    int _index;
    int _note;
    int _prog;
    int _oldProg;
};

// A note erased from a step. Undo puts back the step's cells as they were
// (`stepBefore`, three cells): a step can hold one note twice, and only its
// cells tell which of the two went.
class RemoveNoteCommand : public QUndoCommand {
  public:
    RemoveNoteCommand(MyDocument* document, int index, int note, std::vector<OrnNote> stepBefore);
    void redo() override;
    void undo() override;

  private:
    MyDocument* _document;
    int _index;
    int _note;
    std::vector<OrnNote> _stepBefore;
};

// The end mark moved from `oldEnd` to `end`.
class SetEndCommand : public QUndoCommand {
  public:
    SetEndCommand(MyDocument* document, int end, int oldEnd);
    void redo() override;
    void undo() override;

  private:
    MyDocument* _document;
    int _end;
    int _oldEnd;
};

// A run of steps replaced, with the end mark: the cells and end mark of both
// sides (a delete, an insert or a paste of steps).
class StepsCommand : public QUndoCommand {
  public:
    StepsCommand(MyDocument* document, OrnStepsChange change);
    void redo() override;
    void undo() override;

  private:
    MyDocument* _document;
    OrnStepsChange _change;
};

// Tempo, measure and loop of a song, as plain values.
struct SongSettings {
    int tempo = 0;
    int measure = 0;
    bool loop = false;

    bool operator==(const SongSettings&) const = default;
};

// The whole song replaced by another (a paste of a song): its steps, end
// mark, tempo, measure and loop, both ways.
class SongCommand : public QUndoCommand {
  public:
    SongCommand(MyDocument* document, OrnStepsChange change, SongSettings before,
                SongSettings after);
    void redo() override;
    void undo() override;

  private:
    MyDocument* _document;
    OrnStepsChange _change;
    SongSettings _before;
    SongSettings _after;
};
