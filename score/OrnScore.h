#pragma once

#include "score/OrnNote.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The whole content of one document: 960 steps of three note cells, tempo,
// measure, end mark and loop flag, and whether the last load was valid.
//
// The audio thread reads the score while the main thread may change it (the
// palette's tempo, measure and loop; undo and redo of note edits), so tempo,
// measure, end, loop and every cell are 32-bit atomics, used relaxed. A cell
// is one value, note and instrument together, so a note is never heard with
// another note's instrument; a step seen half-edited for one frame (one cell
// new, another old) is harmless. A load builds a new score instead of
// changing a playing one.
class OrnScore {
public:
    static constexpr int maxLength() { return 960; }
    static constexpr int maxNotes() { return 3; }

    // Room for the longest text the writer can make (every step full,
    // 11-character numbers: 5830 bytes) and its terminating zero.
    static constexpr std::size_t kTextBufferSize = 5888;

    OrnScore();
    // Builds a score from text; ask isValid() whether the text was accepted.
    explicit OrnScore(std::span<const std::uint8_t> data);

    OrnScore(const OrnScore&) = delete;
    OrnScore& operator=(const OrnScore&) = delete;

    // Reads a text into this score (without clearing the cells first); sets
    // and returns the validity flag.
    bool loadData(std::span<const std::uint8_t> data);
    void clearAllNotes();
    bool isValid() const { return _valid; }

    // Writers. makeCString writes the zero-terminated text with CR LF line
    // ends into a buffer of at least kTextBufferSize bytes; data() is the full
    // form a file holds; toString() the short form with LF line ends that the
    // clipboard holds.
    void makeCString(char* buffer, bool v6form) const;
    void makeCString(char* buffer) const { makeCString(buffer, false); }
    std::vector<std::uint8_t> data(bool v6form) const;
    std::vector<std::uint8_t> data() const { return data(false); }
    std::string toString() const;

    std::string description() const;

    int tempo() const { return _tempo.load(std::memory_order_relaxed); }
    void setTempo(int tempo) { _tempo.store(tempo, std::memory_order_relaxed); }
    int measure() const { return _measure.load(std::memory_order_relaxed); }
    void setMeasure(int measure) { _measure.store(measure, std::memory_order_relaxed); }
    int end() const { return _end.load(std::memory_order_relaxed); }
    void setEnd(int end) { _end.store(end, std::memory_order_relaxed); }
    bool loop() const { return _loop.load(std::memory_order_relaxed) != 0; }
    void setLoop(bool loop) { _loop.store(loop ? 1 : 0, std::memory_order_relaxed); }

    // Note number (1..13) of a cell, 0 when empty, out of range or at or
    // beyond the end mark.
    int noteAt(int index, int y) const;
    // The cell's prog under the same bounds as noteAt(), else 0.
    int progAt(int index, int y) const;
    // Note number and prog of a cell from one read, under the bounds of
    // noteAt(): {0, 0} when there is no note. For a reader on another thread
    // than the editor.
    struct StaffNote {
        int note;
        int prog;
    };
    StaffNote staffNoteAt(int index, int y) const;
    // Prog of the first cell of step `index` holding `note`, ignoring the end
    // mark; 0 if none. 0 <= index <= 959.
    int getProgAt(int index, int note) const;
    // The raw cell, for tools that show the stored grid (0 <= index <= 959,
    // 0 <= y <= 2).
    OrnNote cellAt(int index, int y) const { return cell(index, y).load(); }

    bool addNoteAt(int index, int note, int prog);
    bool removeNoteAt(int index, int note);
    // Restores the normal form of one step: notes first, highest pitch first,
    // empty cells last (a stable sort). 0 <= index <= 959.
    void fixScoreAt(int index);
    void fixScore();
    // The cells of steps [first, first + count), three a step, as plain
    // values; and the same written back from `first` on (whole steps, taken
    // as already in normal form). The range must lie within 0..959.
    std::vector<OrnNote> stepCells(int first, int count) const;
    void setStepCells(int first, std::span<const OrnNote> cells);
    // The normal form of three plain cells.
    static void fixStep(OrnNote* step);

private:
    // One cell of the grid: midiNote in the low 16 bits and prog in the high
    // 16, each as a signed 16-bit number, in one relaxed atomic. Every value
    // stored fits: midiNote is -1 or 59..79 and prog 0..15.
    struct Cell {
        std::atomic<std::uint32_t> bits{pack({-1, 0})};

        static constexpr std::uint32_t pack(const OrnNote& note) {
            return static_cast<std::uint16_t>(note.midiNote) |
                   (static_cast<std::uint32_t>(static_cast<std::uint16_t>(note.prog)) << 16);
        }
        static constexpr OrnNote unpack(std::uint32_t v) {
            return {static_cast<std::int16_t>(v & 0xffffu), static_cast<std::int16_t>(v >> 16)};
        }
        OrnNote load() const { return unpack(bits.load(std::memory_order_relaxed)); }
        void store(const OrnNote& note) { bits.store(pack(note), std::memory_order_relaxed); }
    };
    static constexpr int kCells = 960 * 3;

    Cell& cell(int index, int y) { return _cells[index * maxNotes() + y]; }
    const Cell& cell(int index, int y) const { return _cells[index * maxNotes() + y]; }
    // The three cells of a step, as plain values, and back.
    void loadStep(int index, OrnNote* step) const;
    void storeStep(int index, const OrnNote* step);

    std::atomic<int> _tempo;
    std::atomic<int> _measure;
    std::atomic<int> _end;
    std::atomic<int> _loop;
    // The grid, step after step: cell (index, y) is _cells[index * 3 + y].
    Cell _cells[kCells];
    bool _valid;

    static_assert(std::atomic<int>::is_always_lock_free);
    static_assert(std::atomic<std::uint32_t>::is_always_lock_free);
};
