#pragma once

#include "display/OrnPainter.h"

#include <vector>

class OrnScore;
class QPainter;

// The staff wrapped into rows of whole measures, like a page of music. Each
// row begins with the clef and the number of its first measure, and places
// its first step where the strip places step 0, so every row has the strip's
// left margin. A row ends 6 units past the centre of the step after its last,
// so it closes with that step's measure line, or with the end mark when the
// end stands there.
struct OrnStaffRow {
    int firstStep; // the first step of a measure
    int stepCount; // whole measures
    int width;     // in display units: staffRowWidth(stepCount)
};

// The height of a row: the notation band and the running strip.
constexpr int kStaffRowHeight = OrnPainter::kNotationHeight + OrnPainter::kRunningHeight;
// The space between stacked rows; even, so that the dashed lines of every row
// keep the phase they have in the strip.
constexpr int kStaffRowGap = 8;
// The narrowest useful row: the clef and one measure of three steps.
constexpr int kStaffRowMinWidth = 184;

int staffRowWidth(int stepCount);

// Lays the measures up to the end mark (at least one) out in rows no wider
// than maxWidth, each holding as many whole measures as fit. A measure wider
// than maxWidth still gets a row of its own. The last row holds the end mark.
std::vector<OrnStaffRow> layoutStaffRows(const OrnScore& score, int maxWidth);

// The y in display units, counted down from the top of the stacked rows, at
// which row `index` begins.
int staffRowTop(int index);

// Paints one row as the staff shows its steps, with its top-left corner at the
// QPainter's origin (y downward, in display units).
void paintStaffRow(OrnPainter& painter, QPainter& qpainter, const OrnScore& score,
                   const OrnStaffRow& row);
