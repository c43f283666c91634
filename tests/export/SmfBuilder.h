#pragma once

// Builds Standard MIDI Files event by event for the import's tests, so that
// every foreign file the tests read is made in the test itself.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace smfbuild {

using Bytes = std::vector<std::uint8_t>;

inline void variable(Bytes& out, unsigned long value) {
    Bytes groups;
    do {
        groups.insert(groups.begin(), static_cast<std::uint8_t>(value & 0x7F));
        value >>= 7;
    } while (value != 0);
    for (std::size_t i = 0; i + 1 < groups.size(); ++i) {
        groups[i] |= 0x80;
    }
    out.insert(out.end(), groups.begin(), groups.end());
}

// One track's events, each after a delta time in ticks.
struct Track {
    Bytes bytes;

    Track& raw(unsigned long delta, std::initializer_list<int> data) {
        variable(bytes, delta);
        for (int b : data) {
            bytes.push_back(static_cast<std::uint8_t>(b));
        }
        return *this;
    }
    Track& on(unsigned long delta, int channel, int key) {
        return raw(delta, {0x90 | channel, key, 100});
    }
    Track& off(unsigned long delta, int channel, int key) {
        return raw(delta, {0x80 | channel, key, 64});
    }
    Track& program(unsigned long delta, int channel, int program) {
        return raw(delta, {0xC0 | channel, program});
    }
    Track& meta(unsigned long delta, int type, const std::string& data) {
        raw(delta, {0xFF, type});
        variable(bytes, data.size());
        bytes.insert(bytes.end(), data.begin(), data.end());
        return *this;
    }
    Track& tempo(unsigned long delta, int beatsAMinute) {
        const int micros = 60000000 / beatsAMinute;
        return meta(delta, 0x51,
                    {static_cast<char>(micros >> 16), static_cast<char>(micros >> 8),
                     static_cast<char>(micros)});
    }
    Track& meter(unsigned long delta, int numerator, int power) {
        return meta(delta, 0x58, {static_cast<char>(numerator), static_cast<char>(power), 24, 8});
    }
    Track& end(unsigned long delta = 0) { return meta(delta, 0x2F, ""); }
};

inline void fixed(Bytes& out, unsigned long value, int count) {
    for (int shift = 8 * (count - 1); shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

inline Bytes file(int format, int division, const std::vector<Track>& tracks) {
    Bytes out = {'M', 'T', 'h', 'd', 0, 0, 0, 6};
    fixed(out, static_cast<unsigned long>(format), 2);
    fixed(out, tracks.size(), 2);
    fixed(out, static_cast<unsigned long>(division), 2);
    for (const Track& track : tracks) {
        out.insert(out.end(), {'M', 'T', 'r', 'k'});
        fixed(out, track.bytes.size(), 4);
        out.insert(out.end(), track.bytes.begin(), track.bytes.end());
    }
    return out;
}

} // namespace smfbuild
