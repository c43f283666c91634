#pragma once

// A Standard MIDI File reader written apart from the writer, for the tests of
// the MIDI export. It checks as it reads that no key is struck while it is on
// and that no note is left on at the end of its track.

#include "score/Instruments.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace smf {

struct Note {
    int prog; // the instrument, found by the track's name
    int key;
    long long on;
    long long off;
    int velocity;
};

struct Track {
    std::string name;
    std::set<int> channels;
    int program = -1;
    long long tempo = -1;
    std::string signature;
    long long end = -1; // the tick of End of Track, when it is the last event
    std::vector<Note> notes;
};

struct Smf {
    bool ok = false;
    long long header = 0; // format and division
    std::vector<Track> tracks;
};

// Reads chunks, variable-length quantities and running status; `ok` when the
// whole file parsed.
inline Smf readSmf(const std::vector<std::uint8_t>& b) {
    Smf smf;
    std::size_t at = 0;
    const auto byte = [&] { return at < b.size() ? b[at++] : 0x100; };
    const auto fixed = [&](int n) {
        long long v = 0;
        while (n-- > 0) {
            v = v << 8 | byte();
        }
        return v;
    };
    const auto variable = [&] {
        long long v = 0;
        for (int c = 0x80; c & 0x80;) {
            v = v << 7 | ((c = byte()) & 0x7F);
        }
        return v;
    };
    if (fixed(8) != 0x4D54686400000006LL) {
        return smf;
    }
    const long long format = fixed(2), count = fixed(2);
    smf.header = format << 16 | fixed(2);
    for (long long t = 0; t < count; ++t) {
        if (fixed(4) != 0x4D54726B) {
            return smf;
        }
        const long long length = fixed(4);
        const std::size_t end = at + static_cast<std::size_t>(length);
        Track track;
        std::map<std::pair<int, int>, Note> open; // (channel, key)
        long long tick = 0;
        int status = 0;
        while (at < end && at < b.size()) {
            tick += variable();
            track.end = -1;
            int first = byte();
            if (first == 0xFF) {
                const int type = byte();
                const auto size = static_cast<std::size_t>(variable());
                const std::string data(b.begin() + static_cast<long>(at),
                                       b.begin() + static_cast<long>(std::min(at + size, end)));
                at += size;
                const auto u = [&](std::size_t i) { return static_cast<unsigned char>(data[i]); };
                if (type == 0x03) {
                    track.name = data;
                } else if (type == 0x51 && data.size() == 3) {
                    track.tempo = u(0) << 16 | u(1) << 8 | u(2);
                } else if (type == 0x58) {
                    track.signature = data;
                }
                track.end = type == 0x2F ? tick : -1;
                continue;
            }
            if (first & 0x80) {
                status = first;
                first = byte();
            }
            track.channels.insert(status & 0x0F);
            if ((status & 0xF0) == 0xC0) {
                track.program = first;
            } else if ((status & 0xE0) == 0x80) { // note off or on
                const int velocity = byte();
                const auto key = std::make_pair(status & 0x0F, first);
                if ((status & 0xF0) == 0x90 && velocity > 0) {
                    EXPECT_EQ(open.count(key), 0u) << "key " << first << " struck while on";
                    open[key] = {0, first, tick, -1, velocity};
                } else if (open.count(key) != 0) {
                    open[key].off = tick;
                    track.notes.push_back(open[key]);
                    open.erase(key);
                }
            } else {
                return smf;
            }
        }
        EXPECT_TRUE(open.empty()) << "notes left on in " << track.name;
        for (std::size_t i = 0; i < kInstrumentNames.size(); ++i) {
            for (Note& note : track.notes) {
                note.prog = track.name == kInstrumentNames[i] ? static_cast<int>(i) + 1 : note.prog;
            }
        }
        smf.tracks.push_back(track);
        if (at != end) {
            return smf;
        }
    }
    smf.ok = at == b.size();
    return smf;
}

} // namespace smf
