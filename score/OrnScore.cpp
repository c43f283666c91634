#include "score/OrnScore.h"

#include <cstdio>
#include <utility>

OrnScore::OrnScore() : _tempo(100), _measure(4), _end(960), _loop(0), _notes{}, _valid(true) {
    clearAllNotes();
}

OrnScore::OrnScore(std::span<const std::uint8_t> data) : OrnScore() {
    loadData(data);
}

void OrnScore::clearAllNotes() {
    for (auto& step : _notes) {
        for (auto& cell : step) {
            clearOrnNote(&cell);
        }
    }
}

std::string OrnScore::description() const {
    char text[320];
    std::snprintf(text, sizeof text,
                  "OrnScore tempo=%d measure=%d end=%d loop=%s notes[0][0]=(%d,%d) "
                  "notes[0][1]=(%d,%d) notes[0][2]=(%d,%d)",
                  tempo(), measure(), end(), loop() ? "YES" : "NO", _notes[0][0].midiNote,
                  _notes[0][0].prog, _notes[0][1].midiNote, _notes[0][1].prog,
                  _notes[0][2].midiNote, _notes[0][2].prog);
    return text;
}

int OrnScore::noteAt(int index, int y) const {
    if (index >= maxLength() || y >= maxNotes() || index >= end()) {
        return 0;
    }
    return midiNoteToOrnNote(_notes[index][y].midiNote);
}

int OrnScore::progAt(int index, int y) const {
    if (index >= maxLength() || y >= maxNotes() || index >= end()) {
        return 0;
    }
    return _notes[index][y].prog;
}

int OrnScore::getProgAt(int index, int note) const {
    for (const auto& cell : _notes[index]) {
        if (midiNoteToOrnNote(cell.midiNote) == note) {
            return cell.prog;
        }
    }
    return 0;
}

bool OrnScore::addNoteAt(int index, int note, int prog) {
    if (static_cast<unsigned>(index) >= static_cast<unsigned>(maxLength())) {
        return false;
    }
    for (auto& cell : _notes[index]) {
        const int n = midiNoteToOrnNote(cell.midiNote);
        if (n == 0) {
            cell.midiNote = ornNoteToMidiNote(note);
            cell.prog = prog;
            fixScoreAt(index);
            return true;
        }
        if (n == note) {
            // The note changes instrument; its place does not change.
            cell.prog = prog;
            return true;
        }
    }
    return false;
}

bool OrnScore::removeNoteAt(int index, int note) {
    if (static_cast<unsigned>(index) >= static_cast<unsigned>(maxLength())) {
        return false;
    }
    auto& step = _notes[index];
    for (int y = 0; y < maxNotes(); ++y) {
        const int n = midiNoteToOrnNote(step[y].midiNote);
        if (n == 0) {
            // Notes are contiguous at the front, so the note is not here.
            return false;
        }
        if (n == note) {
            for (int k = y; k + 1 < maxNotes(); ++k) {
                step[k] = step[k + 1];
            }
            clearOrnNote(&step[maxNotes() - 1]);
            return true;
        }
    }
    return false;
}

void OrnScore::fixScoreAt(int index) {
    auto& step = _notes[index];
    auto key = [](const OrnNote& cell) {
        const int n = midiNoteToOrnNote(cell.midiNote);
        return n == 0 ? 999 : n;
    };
    int keys[3] = {key(step[0]), key(step[1]), key(step[2])};
    // Two bubble passes over three cells, unrolled: (0,1), (1,2), (0,1).
    // Equal keys never swap, so empty cells and repeated notes keep their
    // order.
    auto order = [&](int j) {
        if (keys[j] > keys[j + 1]) {
            std::swap(keys[j], keys[j + 1]);
            std::swap(step[j], step[j + 1]);
        }
    };
    order(0);
    order(1);
    order(0);
}

void OrnScore::fixScore() {
    for (int index = 0; index < maxLength(); ++index) {
        fixScoreAt(index);
    }
}
