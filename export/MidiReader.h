#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zubo {

// The largest MIDI file the import reads, and the most events it holds:
// the file is untrusted, and a song of 960 steps needs far fewer.
constexpr std::size_t kMaxMidiFileBytes = 16 * 1024 * 1024;
constexpr std::size_t kMaxMidiEvents = 1024 * 1024;

// One event of a track that the import uses; the rest are read and dropped.
struct MidiEvent {
    enum class Kind : std::uint8_t {
        NoteOn,        // value: the key (0..127); a velocity of 0 is a note off and not kept
        Program,       // value: the program (0..127)
        Tempo,         // value: microseconds a quarter note
        TimeSignature, // value: numerator * 256 + the denominator's power of two
        EndMarker,     // the marker "End" our own export writes at the end mark
        LoopText,      // the text event "Loop" our own export writes for a loop
    };
    long long tick = 0;
    Kind kind = Kind::NoteOn;
    std::uint8_t channel = 0; // 0..15, for notes and programs
    std::uint16_t track = 0;  // the track chunk's index
    int value = 0;
};

struct MidiSong {
    int format = 0;
    int division = 0; // ticks a quarter note
    // The file ended between whole events or chunks before its header's
    // tracks were all there: what it holds was read.
    bool cut = false;
    std::vector<MidiEvent> events; // track after track, each in time order
    std::string error;             // why it is not a Standard MIDI File; empty when it is

    bool ok() const { return error.empty(); }
};

// Whether the bytes begin as a Standard MIDI File does.
bool isMidiData(std::span<const std::uint8_t> bytes);

// Reads formats 0 and 1 with a division in ticks a quarter, running status
// included. Never reads outside `bytes`.
MidiSong readMidiSong(std::span<const std::uint8_t> bytes);

} // namespace zubo
