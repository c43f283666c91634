#include "export/MidiReader.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace zubo {
namespace {

// Reads a chunk's bytes up to `end`; a read past it sets overrun() and gives 0.
class Cursor {
  public:
    Cursor(std::span<const std::uint8_t> bytes, std::size_t at, std::size_t end)
        : _bytes(bytes), _at(at), _end(end) {}

    bool atEnd() const { return _at >= _end; }
    bool overrun() const { return _overrun; }

    int byte() {
        if (_at >= _end) {
            _overrun = true;
            return 0;
        }
        return _bytes[_at++];
    }
    unsigned long fixed(int count) {
        unsigned long value = 0;
        while (count-- > 0) {
            value = value << 8 | static_cast<unsigned>(byte());
        }
        return value;
    }
    // A variable-length quantity of at most four bytes; false when longer.
    bool variable(unsigned long& value) {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            const int c = byte();
            value = value << 7 | static_cast<unsigned>(c & 0x7F);
            if ((c & 0x80) == 0) {
                return true;
            }
        }
        return false;
    }
    std::string_view take(unsigned long count) {
        if (count > _end - _at) {
            _overrun = true;
            _at = _end;
            return {};
        }
        const auto* data = reinterpret_cast<const char*>(_bytes.data() + _at);
        _at += count;
        return {data, count};
    }

  private:
    std::span<const std::uint8_t> _bytes;
    std::size_t _at;
    std::size_t _end;
    bool _overrun = false;
};

// The data bytes a channel message of `status` takes.
int dataBytes(int status) {
    const int kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

class TrackReader {
  public:
    // `whole`: the chunk is all there, so an event past its end is a bad
    // length rather than a cut file.
    TrackReader(MidiSong& song, std::uint16_t track, bool whole)
        : _song(song), _track(track), _whole(whole) {}

    bool ended() const { return _ended; }

    // Reads the events of one track chunk; false with the song's error set
    // when one is bad.
    bool read(Cursor& in) {
        while (!in.atEnd() && !_ended) {
            unsigned long delta = 0;
            if (!in.variable(delta)) {
                return fail(in, "a delta time longer than four bytes");
            }
            _tick += static_cast<long long>(delta);
            int first = in.byte();
            if (first == 0xFF) {
                if (!meta(in)) {
                    return false;
                }
                continue;
            }
            if (first == 0xF0 || first == 0xF7) {
                unsigned long length = 0;
                if (!in.variable(length)) {
                    return fail(in, "a system exclusive length longer than four bytes");
                }
                in.take(length);
                if (in.overrun()) {
                    return fail(in, "");
                }
                continue;
            }
            if (first >= 0xF0) {
                char reason[40];
                std::snprintf(reason, sizeof reason, "an unknown event 0x%02X", first);
                return fail(in, reason);
            }
            if (first & 0x80) {
                _status = first;
                first = in.byte();
            } else if (_status == 0) {
                return fail(in, "running status without a status byte");
            }
            const int second = dataBytes(_status) == 2 ? in.byte() : 0;
            if (in.overrun()) {
                return fail(in, "");
            }
            if ((first | second) & 0x80) {
                return fail(in, "a status byte where data belongs");
            }
            const int kind = _status & 0xF0;
            const auto channel = static_cast<std::uint8_t>(_status & 0x0F);
            if (kind == 0x90 && second > 0) {
                if (!hold(MidiEvent::Kind::NoteOn, channel, first)) {
                    return false;
                }
            } else if (kind == 0xC0 && !hold(MidiEvent::Kind::Program, channel, first)) {
                return false;
            }
        }
        return true;
    }

  private:
    bool meta(Cursor& in) {
        const int type = in.byte();
        unsigned long length = 0;
        if (!in.variable(length)) {
            return fail(in, "a meta event length longer than four bytes");
        }
        const std::string_view data = in.take(length);
        if (in.overrun()) {
            return fail(in, "");
        }
        const auto u = [&data](std::size_t i) { return static_cast<unsigned char>(data[i]); };
        switch (type) {
        case 0x2F:
            _ended = true;
            return true;
        case 0x51:
            return data.size() != 3 ||
                   hold(MidiEvent::Kind::Tempo, 0, std::max(1, u(0) << 16 | u(1) << 8 | u(2)));
        case 0x58:
            return data.size() < 2 || hold(MidiEvent::Kind::TimeSignature, 0, u(0) << 8 | u(1));
        case 0x06:
            return data != "End" || hold(MidiEvent::Kind::EndMarker, 0, 0);
        case 0x01:
            return data != "Loop" || hold(MidiEvent::Kind::LoopText, 0, 0);
        default:
            return true;
        }
    }

    bool hold(MidiEvent::Kind kind, std::uint8_t channel, int value) {
        if (_song.events.size() >= kMaxMidiEvents) {
            _song.error = "more than " + std::to_string(kMaxMidiEvents) + " events";
            return false;
        }
        _song.events.push_back({_tick, kind, channel, _track, value});
        return true;
    }

    // An event that runs past the bytes there are is a cut file, or a bad
    // length when the chunk is whole; `reason` says what else was wrong.
    bool fail(const Cursor& in, const char* reason) {
        _song.error = !in.overrun() ? reason
                      : _whole      ? "an event runs past the end of its track"
                                    : "cut inside a chunk";
        return false;
    }

    MidiSong& _song;
    std::uint16_t _track;
    bool _whole;
    long long _tick = 0;
    int _status = 0;
    bool _ended = false;
};

} // namespace

bool isMidiData(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 4 && std::equal(bytes.begin(), bytes.begin() + 4, "MThd");
}

MidiSong readMidiSong(std::span<const std::uint8_t> bytes) {
    MidiSong song;
    if (bytes.size() > kMaxMidiFileBytes) {
        song.error = "larger than 16 MiB";
        return song;
    }
    if (!isMidiData(bytes)) {
        song.error = "it does not begin with MThd";
        return song;
    }
    Cursor header(bytes, 4, bytes.size());
    const unsigned long length = header.fixed(4);
    song.format = static_cast<int>(header.fixed(2));
    const auto tracks = static_cast<int>(header.fixed(2));
    const auto division = static_cast<int>(header.fixed(2));
    if (header.overrun() || length > bytes.size() - 8) {
        song.error = "cut inside the header";
        return song;
    }
    if (length < 6) {
        song.error = "a header of " + std::to_string(length) + " bytes";
        return song;
    }
    if (song.format > 1) {
        song.error = "format " + std::to_string(song.format);
        return song;
    }
    if (division & 0x8000) {
        song.error = "a division in SMPTE frames";
        return song;
    }
    if (division == 0) {
        song.error = "a division of 0 ticks";
        return song;
    }
    song.division = division;
    std::size_t at = 8 + length;
    int read = 0;
    while (read < tracks) {
        if (at == bytes.size()) {
            song.cut = true;
            break;
        }
        if (bytes.size() - at < 8) {
            song.error = "cut inside a chunk";
            return song;
        }
        Cursor head(bytes, at, bytes.size());
        const std::string_view id = head.take(4);
        const unsigned long size = head.fixed(4);
        const std::size_t start = at + 8;
        const bool whole = size <= bytes.size() - start;
        const std::size_t end = whole ? start + size : bytes.size();
        // Chunks of other kinds are skipped, as the format asks.
        if (id == "MTrk") {
            Cursor in(bytes, start, end);
            TrackReader track(song, static_cast<std::uint16_t>(read), whole);
            if (!track.read(in)) {
                return song;
            }
            ++read;
            if (!whole) {
                song.cut = read < tracks || !track.ended();
                break;
            }
        } else if (!whole) {
            song.error = "cut inside a chunk";
            return song;
        }
        at = end;
    }
    if (read == 0) {
        song.error = "no tracks";
    }
    return song;
}

} // namespace zubo
