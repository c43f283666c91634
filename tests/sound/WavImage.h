#pragma once

// Builds RIFF/WAVE images in memory for the sound tests, the fuzz corpus and
// the benchmarks: WavSpec().channels(2).data(pcm16({1, 2})).image().

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// 16-bit little-endian samples, interleaved as given.
inline Bytes pcm16(const std::vector<int>& samples) {
    Bytes out;
    for (int s : samples) {
        out.push_back(static_cast<std::uint8_t>(s));
        out.push_back(static_cast<std::uint8_t>(s >> 8));
    }
    return out;
}

class WavSpec {
public:
    WavSpec& formatTag(int v) { return set(_formatTag, v); }
    WavSpec& channels(int v) { return set(_channels, v); }
    WavSpec& samplingRate(int v) { return set(_samplingRate, v); }
    WavSpec& bitsPerSample(int v) { return set(_bitsPerSample, v); }
    // channels * bytes per sample unless set.
    WavSpec& blockSize(int v) { return set(_blockSize, std::optional<int>(v)); }
    // Bytes past 16 are zero padding.
    WavSpec& fmtLength(std::uint32_t v) { return set(_fmtLength, v); }
    // Raw bytes between the "fmt " and "data" chunks.
    WavSpec& between(Bytes v) { return set(_between, std::move(v)); }
    WavSpec& data(Bytes v) { return set(_data, std::move(v)); }
    // The data length written in the header; the data's size unless set.
    WavSpec& dataLength(std::uint32_t v) {
        return set(_dataLength, std::optional<std::uint32_t>(v));
    }

    Bytes image() const {
        const int block = _blockSize.value_or(_channels * _bitsPerSample / 8);
        Bytes out;
        tag(out, "RIFF");
        le(out, 0, 4); // filled in below
        tag(out, "WAVE");
        tag(out, "fmt ");
        le(out, _fmtLength, 4);
        le(out, static_cast<std::uint32_t>(_formatTag), 2);
        le(out, static_cast<std::uint32_t>(_channels), 2);
        le(out, static_cast<std::uint32_t>(_samplingRate), 4);
        le(out, static_cast<std::uint32_t>(_samplingRate * block), 4);
        le(out, static_cast<std::uint32_t>(block), 2);
        le(out, static_cast<std::uint32_t>(_bitsPerSample), 2);
        out.resize(out.size() + (_fmtLength > 16 ? _fmtLength - 16 : 0));
        append(out, _between);
        tag(out, "data");
        le(out, _dataLength.value_or(static_cast<std::uint32_t>(_data.size())), 4);
        append(out, _data);
        const auto riffLength = static_cast<std::uint32_t>(out.size() - 8);
        for (int i = 0; i < 4; ++i) {
            out[static_cast<std::size_t>(4 + i)] = static_cast<std::uint8_t>(riffLength >> (8 * i));
        }
        return out;
    }

private:
    template <typename T, typename V> WavSpec& set(T& field, V&& value) {
        field = std::forward<V>(value);
        return *this;
    }
    static void le(Bytes& out, std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        }
    }
    static void tag(Bytes& out, const char* text) {
        for (int i = 0; i < 4; ++i) {
            out.push_back(static_cast<std::uint8_t>(text[i]));
        }
    }
    static void append(Bytes& out, const Bytes& bytes) {
        for (auto b : bytes) {
            out.push_back(b);
        }
    }

    int _formatTag = 1;
    int _channels = 1;
    int _samplingRate = 44100;
    int _bitsPerSample = 16;
    std::optional<int> _blockSize;
    std::uint32_t _fmtLength = 16;
    Bytes _between;
    Bytes _data;
    std::optional<std::uint32_t> _dataLength;
};

// A mono 16-bit image holding `samples`.
inline Bytes mono16(const std::vector<int>& samples, int rate = 44100) {
    return WavSpec().samplingRate(rate).data(pcm16(samples)).image();
}

inline void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}
