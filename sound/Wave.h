#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// The 32-bit signed integer stored little-endian at `bytes`, assembled byte by
// byte so that neither the host's byte order nor alignment matters.
std::int32_t read_int(const std::uint8_t* bytes);

// One recorded sound: the PCM data of a RIFF/WAVE image with the format
// fields of its header. Frames are read as floats with a fixed pan and gain.
// A loaded wave never changes and is read by any number of voices on any
// thread without a lock.
class Wave {
public:
    Wave() = default;
    Wave(const Wave&) = delete;
    Wave& operator=(const Wave&) = delete;

    // Parses a whole WAV file image and copies its sample data. Only integer
    // PCM with the "data" chunk straight after the "fmt " chunk is accepted.
    // A failed check logs its name and returns false; the wave then holds no
    // sample data, and the header fields read before the check keep their
    // values. No byte outside `image` is read.
    bool loadMem(std::span<const std::uint8_t> image);

    // Frame `frame` of channel 1 (left) or 2 (right), panned; any other
    // channel gives the mono mix. 0.0 past the last frame and for a wave
    // without sample data. Real-time safe.
    float pcmAt(int frame, int channel) const;
    // Both panned channels of one frame at once: the same values as
    // pcmAt(frame, 1) and pcmAt(frame, 2), for the voices' hot path.
    // Left and right of every frame, as pcmLeftRight gives them, or null
    // for a wave too long to keep them.
    const float* pannedFrames() const { return _panned.empty() ? nullptr : _panned.data(); }
    void pcmLeftRight(int frame, float* left, float* right) const {
        if (frame < 0 || frame >= _frames) {
            *left = 0.0f;
            *right = 0.0f;
            return;
        }
        if (!_panned.empty()) {
            *left = _panned[2 * static_cast<std::size_t>(frame)];
            *right = _panned[2 * static_cast<std::size_t>(frame) + 1];
            return;
        }
        const std::uint8_t* start = _buffer.data() + static_cast<std::size_t>(frame) *
                                                         static_cast<std::size_t>(_blockSize);
        const int l = raw(start, _width, 1);
        const int r = _channels == 1 ? l : raw(start, _width, 2);
        *left = panned(l, 127 - std::int64_t{_pan});
        *right = panned(r, std::int64_t{_pan});
    }

    // Number of frames that pcmAt() answers; 0 when there is no sample data
    // or the header's block size and channel count cannot describe a frame.
    int frames() const { return _frames; }

    int channels() const { return _channels; }
    int samplingRate() const { return _samplingRate; }
    int bps() const { return _bps; }
    int blockSize() const { return _blockSize; }
    int bpSample() const { return _bpSample; }
    int size() const { return _size; }
    int pan() const { return _pan; }
    int expression() const { return _expression; }
    // Pan 0..127 (64 is the centre); expression is a gain in percent.
    void setPan(int pan);
    void setExpression(int expression);

private:
    // The most significant 16 bits of channel k (1-based) of a frame whose
    // samples are `width` bytes wide: 8-bit data is unsigned and centred on
    // 128, wider data keeps only its top two bytes. Inline, with panned()
    // and pcmLeftRight(), for the voices' per-frame loop.
    static int raw(const std::uint8_t* frame, int width, int k) {
        if (width == 1) {
            return (frame[k - 1] - 128) * 256;
        }
        const std::uint8_t* top = frame + width * k - 2;
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(top[0] | top[1] << 8));
    }
    // Works out both panned channels of every frame once, after a load or a
    // change of pan or expression: voices then read them instead of
    // converting every sample on every read. Waves too long for that to be
    // worth its memory are converted on each read.
    void computePanned();
    static constexpr int kMaxPannedFrames = 1 << 22;

    float panned(int raw, std::int64_t gain) const {
        float v = static_cast<float>(raw) * static_cast<float>(gain) / 127.0f;
        v = static_cast<float>(v * 1.8);
        if (_pan != 64) {
            v = v / _panDivisor;
        }
        v = static_cast<float>(v * _expressionGain);
        return v * 1.52587890625e-05f;
    }

    std::int32_t _channels = 0;
    std::int32_t _samplingRate = 0;
    std::int32_t _bps = 0;
    std::int32_t _blockSize = 0;
    std::int32_t _bpSample = 0;
    std::int32_t _size = 0;
    std::vector<std::uint8_t> _buffer;
    std::int32_t _pan = 64;
    std::int32_t _expression = 100;
    // Worked out once when loading and in the setters rather than on every
    // sample: the frame count (0 without usable data), the bytes of one
    // channel's sample, the pan's off-centre attenuation and the expression
    // as a factor.
    std::int32_t _frames = 0;
    std::int32_t _width = 0;
    float _panDivisor = 1.0f;
    double _expressionGain = 1.0;
    std::vector<float> _panned; // left, right of each frame
};
