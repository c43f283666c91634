#pragma once

#include "score/OrnNote.h"

#include <cstddef>

// The line readers of the score text. Each is given the rest of the whole
// data (text, length) and finds the end of its own line; each returns where
// reading continues, or nullptr on failure.

// Fills cells from `cells` on, counting across steps; cells beyond
// `capacity` are read and dropped. `cellsRead`, when given, receives the
// number of cells the value held.
const char* loadOrnScoreLine(OrnNote* cells, std::size_t capacity, const char* text,
                             std::size_t length, std::size_t* cellsRead = nullptr);
// Keyword lines. On a failure before the value (too short, no "="), *result
// is left as it was.
const char* loadOrnTempoLine(int* result, const char* text, std::size_t length);
const char* loadOrnLoopLine(int* result, const char* text, std::size_t length);
const char* loadOrnEndLine(int* result, const char* text, std::size_t length);
const char* loadOrnTime44Line(int* result, const char* text, std::size_t length);

// Decimal digits up to the next LF, every other byte passed over; saturates
// at INT_MAX. Never fails.
const char* loadNumber(int* result, const char* text, std::size_t length);
// 1 when the first four bytes after white space are "TRUE", else 0; fails
// (with *result 0) when fewer than four bytes remain.
const char* loadBool(int* result, const char* text, std::size_t length);
