#include "export/MidiFile.h"

#include "score/Instruments.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <tuple>

namespace zubo {
namespace {

// General MIDI programs (numbered from 1, as the GM list numbers them) for
// the instruments, chosen after the sounds tools/soundgen makes:
//   Zubo     26 Acoustic Guitar (steel)  a bright plucked string
//   Rezedo   13 Marimba                  a wooden bar's pop
//   Dozevid  39 Synth Bass 1             a rubbery synth blip
//   Star     10 Glockenspiel             a steel bar's sparkle
//   Flower   62 Brass Section            a brassy tone
//   Pocket   81 Lead 1 (square)          a square-wave chip tone
//   Dog      86 Lead 6 (voice)           a short gruff bark
//   Cat      54 Voice Oohs               a gliding meow
//   Pig      71 Bassoon                  a low nasal grunt and oink
//   Goose    69 Oboe                     a reedy nasal honk
//   Ruzed    53 Choir Aahs               a sung "ah"
//   Plane   126 Helicopter               a fluttering propeller engine
//   Ship     68 Baritone Sax             a ship's horn of dark reeds
//   Car      82 Lead 2 (sawtooth)        a bright buzzing horn
//   Heart    12 Vibraphone               a soft bell with a slow tremolo
constexpr std::array<int, 15> kPrograms = {26, 13, 39, 10,  62, 81, 86, 54,
                                           71, 69, 53, 126, 68, 82, 12};

constexpr std::uint8_t kNoteOn = 0x90;
constexpr std::uint8_t kProgramChange = 0xC0;
constexpr std::uint8_t kMeta = 0xFF;
constexpr std::uint8_t kText = 0x01;
constexpr std::uint8_t kTrackName = 0x03;
constexpr std::uint8_t kMarker = 0x06;
constexpr std::uint8_t kEndOfTrack = 0x2F;
constexpr std::uint8_t kTempo = 0x51;
constexpr std::uint8_t kTimeSignature = 0x58;

using Bytes = std::vector<std::uint8_t>;

void putBigEndian(Bytes& out, unsigned long value, int bytes) {
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void putVariable(Bytes& out, unsigned long long value) {
    std::uint8_t groups[10];
    int count = 0;
    do {
        groups[count++] = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1) {
        out.push_back(static_cast<std::uint8_t>(groups[--count] | 0x80));
    }
    out.push_back(groups[0]);
}

// The events of one track, each given at its tick; delta times and running
// status are worked out as they are added.
class TrackWriter {
  public:
    void meta(long long tick, std::uint8_t type, std::string_view data) {
        delta(tick);
        _bytes.push_back(kMeta);
        _bytes.push_back(type);
        putVariable(_bytes, data.size());
        _bytes.insert(_bytes.end(), data.begin(), data.end());
        // Running status does not carry across a meta event.
        _status = 0;
    }
    void channel(long long tick, std::uint8_t status, std::initializer_list<int> data) {
        delta(tick);
        if (status != _status) {
            _bytes.push_back(status);
            _status = status;
        }
        for (int value : data) {
            _bytes.push_back(static_cast<std::uint8_t>(value));
        }
    }
    bool writeChunk(const MidiSink& sink) const {
        Bytes head = {'M', 'T', 'r', 'k'};
        putBigEndian(head, static_cast<unsigned long>(_bytes.size()), 4);
        return sink(head) && sink(_bytes);
    }

  private:
    void delta(long long tick) {
        putVariable(_bytes, static_cast<unsigned long long>(tick - _tick));
        _tick = tick;
    }

    Bytes _bytes;
    long long _tick = 0;
    std::uint8_t _status = 0;
};

using Event = std::tuple<long long, int, int>;

// The note events of an instrument in `notes` as (tick, 0 for an off or 1
// for an on, key), in order: offs come first at a tick, so that a key struck
// again where it stopped is not silenced.
std::vector<Event> eventsOf(const std::vector<MidiNote>& notes, int instrument) {
    std::vector<Event> events;
    for (const MidiNote& note : notes) {
        if (note.instrument == instrument && note.off > note.on) {
            events.emplace_back(note.on, 1, note.key);
            events.emplace_back(note.off, 0, note.key);
        }
    }
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return std::tie(std::get<0>(a), std::get<1>(a)) < std::tie(std::get<0>(b), std::get<1>(b));
    });
    return events;
}

bool writeInstrumentTrack(const MidiTimeline& timeline, int instrument, int velocity,
                          const MidiSink& sink) {
    const auto ch = static_cast<std::uint8_t>(midiChannel(instrument));
    TrackWriter track;
    track.meta(0, kTrackName, kInstrumentNames[static_cast<std::size_t>(instrument - 1)]);
    track.channel(0, static_cast<std::uint8_t>(kProgramChange | ch),
                  {generalMidiProgram(instrument)});
    const auto put = [&](const std::vector<Event>& events, long long start) {
        for (const auto& [tick, on, key] : events) {
            track.channel(start + tick, static_cast<std::uint8_t>(kNoteOn | ch),
                          {key, on != 0 ? velocity : 0});
        }
    };
    // A pass's notes all stop by the restart, so the passes follow in order.
    put(eventsOf(timeline.first, instrument), 0);
    const std::vector<Event> repeated = eventsOf(timeline.repeated, instrument);
    for (int pass = 0; pass < timeline.repeats(); ++pass) {
        put(repeated, timeline.firstTicks + pass * timeline.passTicks);
    }
    put(eventsOf(timeline.last, instrument), timeline.lastStart());
    track.meta(timeline.endTick, kEndOfTrack, {});
    return track.writeChunk(sink);
}

} // namespace

int generalMidiProgram(int instrument) {
    return kPrograms[static_cast<std::size_t>(instrument - 1)] - 1;
}

int midiChannel(int instrument) {
    return instrument <= 9 ? instrument - 1 : instrument;
}

bool writeMidiFile(const MidiTimeline& timeline, int velocity, const MidiSink& sink) {
    std::array<bool, 16> used{};
    for (const auto* notes : {&timeline.first, &timeline.repeated, &timeline.last}) {
        for (const MidiNote& note : *notes) {
            used[static_cast<std::size_t>(note.instrument)] =
                used[static_cast<std::size_t>(note.instrument)] || note.off > note.on;
        }
    }
    const auto tracks = 1 + std::count(used.begin(), used.end(), true);

    Bytes head = {'M', 'T', 'h', 'd'};
    putBigEndian(head, 6, 4);
    putBigEndian(head, 1, 2);
    putBigEndian(head, static_cast<unsigned long>(tracks), 2);
    putBigEndian(head, MidiTimeline::kTicksPerQuarter, 2);
    if (!sink(head)) {
        return false;
    }

    TrackWriter tempo;
    char micros[3];
    for (int i = 0; i < 3; ++i) {
        micros[i] = static_cast<char>(timeline.microsPerQuarter >> (8 * (2 - i)));
    }
    tempo.meta(0, kTempo, std::string_view(micros, 3));
    // A measure of `measure` steps in quarters, 24 clocks a click, 8 32nds
    // a quarter.
    const char signature[4] = {static_cast<char>(timeline.measure * timeline.ticksPerStep /
                                                 MidiTimeline::kTicksPerQuarter),
                               2, 24, 8};
    tempo.meta(0, kTimeSignature, std::string_view(signature, 4));
    if (timeline.loop) {
        tempo.meta(0, kText, kLoopText);
    }
    tempo.meta(timeline.passTicks, kMarker, kEndMarker);
    tempo.meta(timeline.endTick, kEndOfTrack, {});
    if (!tempo.writeChunk(sink)) {
        return false;
    }
    for (int instrument = 1; instrument <= 15; ++instrument) {
        if (used[static_cast<std::size_t>(instrument)] &&
            !writeInstrumentTrack(timeline, instrument, velocity, sink)) {
            return false;
        }
    }
    return true;
}

std::vector<std::uint8_t> midiFileBytes(const MidiTimeline& timeline, int velocity) {
    Bytes out;
    writeMidiFile(timeline, velocity, [&out](std::span<const std::uint8_t> bytes) {
        out.insert(out.end(), bytes.begin(), bytes.end());
        return true;
    });
    return out;
}

} // namespace zubo
