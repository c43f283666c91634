#pragma once

#include "score/OrnNote.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class OrnScore;

// One change to a run of whole steps and to the end mark, worked out without
// making it and held as plain values both ways, so that it can be made,
// undone and made again: the cells of steps `first`.. before and after, and
// the end mark before and after. Only the steps that differ are kept.
struct OrnStepsChange {
    int first = 0;
    std::vector<OrnNote> before;
    std::vector<OrnNote> after;
    int endBefore = 0;
    int endAfter = 0;
    // Notes pushed or written past the last step, which the change drops.
    int droppedNotes = 0;

    bool isEmpty() const { return before == after && endBefore == endAfter; }
    // Writes the cells and the end mark of the new side (forward) or the old.
    void apply(OrnScore& score, bool forward) const;

    // Steps [first, first + count) taken out: later steps move left and empty
    // steps fill in at the end. An end mark after the range moves left with
    // it; one inside the range moves to the range's start, never below 1.
    static OrnStepsChange deleting(const OrnScore& score, int first, int count);
    // `count` empty steps put in before step `first`: later steps move right
    // and the notes pushed past step 959 are dropped. An end mark after
    // `first` moves right with them, up to 960.
    static OrnStepsChange inserting(const OrnScore& score, int first, int count);
    // `cells` (three a step) written over the steps from `at` on, clipped at
    // step 959; the end mark moves out to the last written step when it
    // stood before it, so that what was written is heard. Cells that carry
    // an end mark of their own (`endOffset` steps in, below their length)
    // move it out only that far: a cut put back gets its end mark back.
    static OrnStepsChange writing(const OrnScore& score, int at, std::span<const OrnNote> cells,
                                  int endOffset = -1);
    // Every step and the end mark of `score` made those of `song`.
    static OrnStepsChange replacing(const OrnScore& score, const OrnScore& song);
};

// The notes among `cells`.
int countNotes(std::span<const OrnNote> cells);

// The score text (short form, LF line ends) of steps [first, first + count)
// alone: they stand at step 0 with the end mark after the last of them, and
// tempo, measure and loop are the score's. When the score's end mark lies
// within them (first <= end < first + count) a first END line says where,
// and a second one adds the rest, so that any reader still finds the end
// mark after the last step.
std::string stepsText(const OrnScore& score, int first, int count);
// The cells of the steps before the end mark of a score text; false when the
// text is not a score. `endOffset`, when given, receives where a first END
// line put the end mark, if before the last of those steps, else -1.
bool stepsOfText(std::span<const std::uint8_t> text, std::vector<OrnNote>* cells,
                 int* endOffset = nullptr);
