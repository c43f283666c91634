#include "score/OrnScoreReader.h"

#include "score/OrnScore.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// Digit values of the SCORE value, -1 for every other byte: one lookup per
// byte keeps reading a dense score cheap.
constexpr auto kHexValues = [] {
    std::array<signed char, 256> table{};
    table.fill(-1);
    for (int c = '0'; c <= '9'; ++c) {
        table[static_cast<std::size_t>(c)] = static_cast<signed char>(c - '0');
    }
    for (int c = 'A'; c <= 'F'; ++c) {
        table[static_cast<std::size_t>(c)] = static_cast<signed char>(c - 'A' + 10);
        table[static_cast<std::size_t>(c - 'A' + 'a')] = static_cast<signed char>(c - 'A' + 10);
    }
    return table;
}();

int hexValue(char c) {
    return kHexValues[static_cast<unsigned char>(c)];
}

bool startsWith(const char* text, std::size_t length, const char* prefix) {
    const std::size_t n = std::strlen(prefix);
    return length >= n && std::memcmp(text, prefix, n) == 0;
}

// The first "=" after the keyword, anywhere in the rest of the data (a line
// end between keyword and "=" is passed over), or nullptr.
const char* findEquals(const char* text, std::size_t length, std::size_t keywordLength) {
    const void* eq = std::memchr(text + keywordLength, '=', length - keywordLength);
    return static_cast<const char*>(eq);
}

using ValueReader = const char* (*)(int*, const char*, std::size_t);

const char* loadKeywordLine(int* result, const char* text, std::size_t length,
                            const char* keyword, std::size_t minimumAbove,
                            ValueReader readValue) {
    if (length <= minimumAbove || !startsWith(text, length, keyword)) {
        return nullptr;
    }
    const char* eq = findEquals(text, length, std::strlen(keyword));
    if (eq == nullptr) {
        return nullptr;
    }
    const char* value = eq + 1;
    return readValue(result, value, length - static_cast<std::size_t>(value - text));
}

} // namespace

const char* loadNumber(int* result, const char* text, std::size_t length) {
    long long value = 0;
    const char* p = text;
    const char* end = text + length;
    while (p < end) {
        const char c = *p++;
        if (c == '\n') {
            break;
        }
        if (c >= '0' && c <= '9') {
            value = std::min<long long>(value * 10 + (c - '0'), INT_MAX);
        }
    }
    *result = static_cast<int>(value);
    return p;
}

const char* loadBool(int* result, const char* text, std::size_t length) {
    *result = 0;
    const char* p = text;
    const char* end = text + length;
    while (p < end && isBlank(*p)) {
        ++p;
    }
    if (end - p < 4) {
        return nullptr;
    }
    if (std::memcmp(p, "TRUE", 4) == 0) {
        *result = 1;
    }
    const void* lf = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
    return lf ? static_cast<const char*>(lf) + 1 : end;
}

const char* loadOrnTempoLine(int* result, const char* text, std::size_t length) {
    return loadKeywordLine(result, text, length, "TEMPO", 6, loadNumber);
}

const char* loadOrnLoopLine(int* result, const char* text, std::size_t length) {
    return loadKeywordLine(result, text, length, "LOOP", 4, loadBool);
}

const char* loadOrnEndLine(int* result, const char* text, std::size_t length) {
    return loadKeywordLine(result, text, length, "END", 4, loadNumber);
}

const char* loadOrnTime44Line(int* result, const char* text, std::size_t length) {
    return loadKeywordLine(result, text, length, "TIME44", 7, loadBool);
}

const char* loadOrnScoreLine(OrnNote* cells, std::size_t capacity, const char* text,
                             std::size_t length, std::size_t* cellsRead) {
    if (length <= 6 || !startsWith(text, length, "SCORE")) {
        return nullptr;
    }
    const char* eq = findEquals(text, length, 5);
    if (eq == nullptr) {
        return nullptr;
    }
    const char* end = text + length;
    const char* p = eq + 1;
    std::size_t k = 0;
    bool expectNote = true;
    // A note digit still waiting for its prog has filled its cell too.
    auto report = [&](const char* where) {
        if (cellsRead != nullptr) {
            *cellsRead = k + (expectNote ? 0 : 1);
        }
        return where;
    };
    // MIDI note of a note digit; 0, 14 and 15 leave the cell empty.
    constexpr int kDigitToMidi[16] = {-1, 79, 77, 76, 74, 72, 71, 69,
                                      67, 65, 64, 62, 60, 59, -1, -1};
    while (p < end) {
        const char c = *p;
        if (const int v = hexValue(c); v >= 0) {
            ++p;
            if (!expectNote) {
                if (k < capacity) {
                    cells[k].prog = v;
                }
                ++k;
                expectNote = true;
            } else if (v == 0) {
                if (k < capacity) {
                    clearOrnNote(&cells[k]);
                }
                ++k;
            } else {
                if (k < capacity) {
                    cells[k].midiNote = kDigitToMidi[v];
                }
                expectNote = false;
            }
        } else if (isLineEnd(c)) {
            // The value goes on across line ends only onto lines that hold no
            // "=" and are themselves ended by a line end.
            const char* next = p;
            while (next < end && isLineEnd(*next)) {
                ++next;
            }
            const char* lineEnd = next;
            while (lineEnd < end && !isLineEnd(*lineEnd)) {
                ++lineEnd;
            }
            if (next == end || lineEnd == end ||
                std::memchr(next, '=', static_cast<std::size_t>(lineEnd - next)) != nullptr) {
                return report(next);
            }
            p = next;
        } else {
            ++p;
        }
    }
    return report(end);
}

namespace {

enum LineKind : unsigned { kScore = 1, kTempo = 2, kLoop = 4, kEnd = 8, kTime44 = 16 };
constexpr unsigned kAllKinds = kScore | kTempo | kLoop | kEnd | kTime44;

// A keyword reader that fails before its value leaves this in the result, so
// the field keeps its value. Values themselves are never negative.
constexpr int kNotRead = -1;

} // namespace

bool OrnScore::loadData(std::span<const std::uint8_t> data) {
    const char* p = reinterpret_cast<const char*>(data.data());
    const char* const end = p + data.size();
    // The reader fills plain cells; the grid takes them whole at the end.
    std::vector<OrnNote> cells(kCells);
    for (int index = 0; index < maxLength(); ++index) {
        loadStep(index, &cells[static_cast<std::size_t>(index * maxNotes())]);
    }
    // The running end: the step at which the next SCORE line starts filling.
    int runningEnd = 0;
    setEnd(0);
    unsigned seen = 0;
    while (p != nullptr && p < end) {
        while (p < end && isBlank(*p)) {
            ++p;
        }
        if (p == end) {
            break;
        }
        const auto rest = static_cast<std::size_t>(end - p);
        int value = kNotRead;
        if (rest >= 6 && startsWith(p, rest, "SCORE") && runningEnd <= maxLength() - 1) {
            const auto capacity = static_cast<std::size_t>(maxLength() - runningEnd) * 3;
            std::size_t read = 0;
            p = loadOrnScoreLine(&cells[static_cast<std::size_t>(runningEnd * maxNotes())],
                                 capacity, p, rest, &read);
            // Only the steps this line filled can be out of order: every other
            // step is in normal form already. Normalising just those keeps a
            // text of many short SCORE lines cheap.
            const auto filled = static_cast<int>(std::min(read, capacity) + 2) / 3;
            for (int index = runningEnd; index < runningEnd + filled; ++index) {
                fixStep(&cells[static_cast<std::size_t>(index * maxNotes())]);
            }
            seen |= kScore;
        } else if (rest >= 6 && startsWith(p, rest, "TEMPO")) {
            p = loadOrnTempoLine(&value, p, rest);
            if (value != kNotRead) {
                setTempo(value);
            }
            seen |= kTempo;
        } else if (rest >= 5 && startsWith(p, rest, "LOOP")) {
            p = loadOrnLoopLine(&value, p, rest);
            if (value != kNotRead) {
                setLoop(value != 0);
            }
            seen |= kLoop;
        } else if (rest >= 4 && startsWith(p, rest, "END")) {
            p = loadOrnEndLine(&value, p, rest);
            if (value != kNotRead) {
                // Held within 0..960 (an END of 0 would otherwise move the
                // running end before the first step); widened against overflow.
                const long long next = static_cast<long long>(runningEnd) + value - 1;
                runningEnd = static_cast<int>(std::clamp<long long>(next, 0, maxLength()));
                setEnd(runningEnd);
            }
            seen |= kEnd;
        } else if (rest >= 7 && startsWith(p, rest, "TIME44")) {
            p = loadOrnTime44Line(&value, p, rest);
            if (value != kNotRead) {
                setMeasure(value != 0 ? 4 : 3);
            }
            seen |= kTime44;
        } else {
            while (p < end && !isLineEnd(*p)) {
                ++p;
            }
            while (p < end && isLineEnd(*p)) {
                ++p;
            }
        }
    }
    for (int index = 0; index < maxLength(); ++index) {
        storeStep(index, &cells[static_cast<std::size_t>(index * maxNotes())]);
    }
    _valid = (seen == kAllKinds);
    return _valid;
}
