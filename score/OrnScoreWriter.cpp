#include "score/OrnScore.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

// The short form stops here when the end mark lies within it.
constexpr int kShortFormSteps = 96;

char* put(char* out, const char* text) {
    const std::size_t n = std::strlen(text);
    std::memcpy(out, text, n);
    return out + n;
}

char* putLine(char* out, const char* format, long long value) {
    out += std::sprintf(out, format, value);
    return put(out, "\r\n");
}

char* putLine(char* out, const char* format, const char* value) {
    out += std::sprintf(out, format, value);
    return put(out, "\r\n");
}

} // namespace

void OrnScore::makeCString(char* buffer, bool v6form) const {
    const int steps = (v6form && end() <= kShortFormSteps) ? kShortFormSteps : maxLength();
    char* out = put(buffer, "SCORE=");
    for (int index = 0; index < steps; ++index) {
        // A step is its empty cells as "0" each, then every note as two
        // digits (note number, prog). Steps are always in normal form, so
        // the notes are the first `count` cells. The digits are worked out
        // before anything is stored: stores through a char pointer would
        // otherwise force the cells to be read again.
        char digits[6];
        int count = 0;
        for (int y = 0; y < maxNotes(); ++y) {
            const OrnNote cell = cellAt(index, y);
            const int n = midiNoteToOrnNote(cell.midiNote);
            if (n == 0) {
                break;
            }
            digits[2 * count] = kHex[n];
            // A prog that does not fit one digit cannot be stored; writing it
            // as 0 keeps every other cell of the text in its place.
            digits[2 * count + 1] = static_cast<unsigned>(cell.prog) <= 15u ? kHex[cell.prog] : '0';
            ++count;
        }
        for (int k = count; k < maxNotes(); ++k) {
            *out++ = '0';
        }
        for (int k = 0; k < 2 * count; ++k) {
            *out++ = digits[k];
        }
    }
    out = put(out, "\r\n");
    out = putLine(out, "TEMPO=%lld", tempo());
    out = putLine(out, "LOOP=%s", loop() ? "TRUE" : "FALSE");
    // Widened so that an end mark of INT_MAX cannot overflow.
    out = putLine(out, "END=%lld", static_cast<long long>(end()) + 1);
    out = putLine(out, "TIME44=%s", measure() == 4 ? "TRUE" : "FALSE");
    *out = '\0';
}

std::vector<std::uint8_t> OrnScore::data(bool v6form) const {
    char buffer[kTextBufferSize];
    makeCString(buffer, v6form);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(buffer);
    return std::vector<std::uint8_t>(bytes, bytes + std::strlen(buffer));
}

std::string OrnScore::toString() const {
    char buffer[kTextBufferSize];
    makeCString(buffer, true);
    std::string text(buffer);
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}
