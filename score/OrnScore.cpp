#include "score/OrnScore.h"

#include <cstdio>
#include <utility>

OrnScore::OrnScore() : _tempo(100), _measure(4), _end(960), _loop(0), _valid(true) {}

OrnScore::OrnScore(std::span<const std::uint8_t> data) : OrnScore() {
    loadData(data);
}

void OrnScore::clearAllNotes() {
    for (auto& c : _cells) {
        c.store({-1, 0});
    }
}

void OrnScore::loadStep(int index, OrnNote* step) const {
    for (int y = 0; y < maxNotes(); ++y) {
        step[y] = cell(index, y).load();
    }
}

void OrnScore::storeStep(int index, const OrnNote* step) {
    for (int y = 0; y < maxNotes(); ++y) {
        cell(index, y).store(step[y]);
    }
}

std::vector<OrnNote> OrnScore::stepCells(int first, int count) const {
    std::vector<OrnNote> cells(static_cast<std::size_t>(count * maxNotes()));
    for (int i = 0; i < count; ++i) {
        loadStep(first + i, &cells[static_cast<std::size_t>(i * maxNotes())]);
    }
    return cells;
}

void OrnScore::setStepCells(int first, std::span<const OrnNote> cells) {
    const int steps = static_cast<int>(cells.size()) / maxNotes();
    for (int i = 0; i < steps; ++i) {
        storeStep(first + i, &cells[static_cast<std::size_t>(i * maxNotes())]);
    }
}

std::string OrnScore::description() const {
    OrnNote step[3];
    loadStep(0, step);
    char text[320];
    std::snprintf(text, sizeof text,
                  "OrnScore tempo=%d measure=%d end=%d loop=%s notes[0][0]=(%d,%d) "
                  "notes[0][1]=(%d,%d) notes[0][2]=(%d,%d)",
                  tempo(), measure(), end(), loop() ? "YES" : "NO", step[0].midiNote, step[0].prog,
                  step[1].midiNote, step[1].prog, step[2].midiNote, step[2].prog);
    return text;
}

int OrnScore::noteAt(int index, int y) const {
    if (index >= maxLength() || y >= maxNotes() || index >= end()) {
        return 0;
    }
    return midiNoteToOrnNote(cell(index, y).load().midiNote);
}

int OrnScore::progAt(int index, int y) const {
    if (index >= maxLength() || y >= maxNotes() || index >= end()) {
        return 0;
    }
    return cell(index, y).load().prog;
}

OrnScore::StaffNote OrnScore::staffNoteAt(int index, int y) const {
    if (index >= maxLength() || y >= maxNotes() || index >= end()) {
        return {0, 0};
    }
    const OrnNote c = cell(index, y).load();
    const int note = midiNoteToOrnNote(c.midiNote);
    return {note, note != 0 ? c.prog : 0};
}

int OrnScore::getProgAt(int index, int note) const {
    for (int y = 0; y < maxNotes(); ++y) {
        const OrnNote c = cell(index, y).load();
        if (midiNoteToOrnNote(c.midiNote) == note) {
            return c.prog;
        }
    }
    return 0;
}

bool OrnScore::addNoteAt(int index, int note, int prog) {
    if (static_cast<unsigned>(index) >= static_cast<unsigned>(maxLength())) {
        return false;
    }
    OrnNote step[3];
    loadStep(index, step);
    for (auto& c : step) {
        const int n = midiNoteToOrnNote(c.midiNote);
        if (n == 0) {
            c.midiNote = ornNoteToMidiNote(note);
            c.prog = prog;
            fixStep(step);
            storeStep(index, step);
            return true;
        }
        if (n == note) {
            // The note changes instrument; its place does not change.
            c.prog = prog;
            storeStep(index, step);
            return true;
        }
    }
    return false;
}

bool OrnScore::removeNoteAt(int index, int note) {
    if (static_cast<unsigned>(index) >= static_cast<unsigned>(maxLength())) {
        return false;
    }
    OrnNote step[3];
    loadStep(index, step);
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
            storeStep(index, step);
            return true;
        }
    }
    return false;
}

void OrnScore::fixStep(OrnNote* step) {
    auto key = [](const OrnNote& c) {
        const int n = midiNoteToOrnNote(c.midiNote);
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

void OrnScore::fixScoreAt(int index) {
    OrnNote step[3];
    loadStep(index, step);
    fixStep(step);
    storeStep(index, step);
}

void OrnScore::fixScore() {
    for (int index = 0; index < maxLength(); ++index) {
        fixScoreAt(index);
    }
}
