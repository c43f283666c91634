#include "sound/Wave.h"

#include "common/Log.h"

#include <cmath>
#include <cstddef>
#include <cstring>

namespace {

// The largest sample data a wave accepts, in bytes.
constexpr std::uint32_t kMaxDataSize = 100000000;

bool tagAt(std::span<const std::uint8_t> image, std::size_t offset, const char* tag) {
    return image.size() >= offset + 4 && std::memcmp(image.data() + offset, tag, 4) == 0;
}

// A 16-bit header field, sign-extended.
std::int32_t read_short(const std::uint8_t* bytes) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8));
}

bool fail(const char* check) {
    zuboLog("%s", check);
    return false;
}

} // namespace

std::int32_t read_int(const std::uint8_t* bytes) {
    return static_cast<std::int32_t>(std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
                                     std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24);
}

bool Wave::loadMem(std::span<const std::uint8_t> image) {
    std::vector<std::uint8_t>().swap(_buffer);
    _frames = 0;
    std::vector<float>().swap(_panned);

    if (!tagAt(image, 0, "RIFF")) {
        return fail("RIFF");
    }
    if (!tagAt(image, 8, "WAVE")) {
        return fail("WAVE");
    }
    if (!tagAt(image, 12, "fmt ")) {
        return fail("fmt ");
    }
    // The format fields are read at their fixed offsets whatever the chunk
    // length says, so an image too short to hold them fails here too.
    const std::uint8_t* bytes = image.data();
    if (image.size() < 36 || read_short(bytes + 20) != 1) {
        return fail("format_id");
    }
    _channels = read_short(bytes + 22);
    _samplingRate = read_int(bytes + 24);
    _bps = read_int(bytes + 28);
    _blockSize = read_short(bytes + 32);
    _bpSample = read_short(bytes + 34);

    // The chunk length only says where "data" must start: nothing may sit
    // between the two chunks.
    const std::int64_t dataAt = 20 + std::int64_t{read_int(bytes + 16)};
    if (dataAt < 0 || !tagAt(image, static_cast<std::size_t>(dataAt), "data")) {
        return fail("data");
    }
    const auto lengthAt = static_cast<std::size_t>(dataAt) + 4;
    if (image.size() < lengthAt + 4) {
        return fail("data size");
    }
    const auto length = static_cast<std::uint32_t>(read_int(bytes + lengthAt));
    _size = static_cast<std::int32_t>(length);
    const std::size_t samplesAt = lengthAt + 4;
    if (length > kMaxDataSize || image.size() - samplesAt < length) {
        return fail("data size");
    }
    _buffer.assign(bytes + samplesAt, bytes + samplesAt + length);
    // A header whose block cannot hold one sample of every channel describes
    // no frames.
    if (_channels >= 1 && _blockSize >= _channels) {
        _frames = _size / _blockSize;
        _width = _blockSize / _channels;
    }
    computePanned();
    return true;
}

void Wave::computePanned() {
    std::vector<float>().swap(_panned);
    if (_frames <= 0 || _frames > kMaxPannedFrames) {
        return;
    }
    _panned.resize(2 * static_cast<std::size_t>(_frames));
    for (int frame = 0; frame < _frames; ++frame) {
        const std::uint8_t* start = _buffer.data() + static_cast<std::size_t>(frame) *
                                                         static_cast<std::size_t>(_blockSize);
        const int l = raw(start, _width, 1);
        const int r = _channels == 1 ? l : raw(start, _width, 2);
        _panned[2 * static_cast<std::size_t>(frame)] = panned(l, 127 - std::int64_t{_pan});
        _panned[2 * static_cast<std::size_t>(frame) + 1] = panned(r, std::int64_t{_pan});
    }
}

float Wave::pcmAt(int frame, int channel) const {
    if (frame < 0 || frame >= _frames) {
        return 0.0f;
    }
    const std::uint8_t* start =
        _buffer.data() + static_cast<std::size_t>(frame) * static_cast<std::size_t>(_blockSize);

    if (channel == 1 || channel == 2) {
        if (!_panned.empty()) {
            return _panned[2 * static_cast<std::size_t>(frame) + (channel == 1 ? 0 : 1)];
        }
        const int s = raw(start, _width, _channels == 1 ? 1 : channel);
        return panned(s, channel == 1 ? 127 - std::int64_t{_pan} : std::int64_t{_pan});
    }
    std::int64_t sum = 0;
    for (int k = 1; k <= _channels; ++k) {
        sum += raw(start, _width, k);
    }
    float v = static_cast<float>(sum) / static_cast<float>(_channels);
    v = static_cast<float>(v * _expressionGain);
    return v * 1.52587890625e-05f;
}

void Wave::setPan(int pan) {
    _pan = pan;
    // Equals sqrt(1 + ((pan - 64) / 64)^2): the further off centre, the more
    // both sides are attenuated.
    _panDivisor = pan == 64
                      ? 1.0f
                      : static_cast<float>(1.0 / std::sin(std::atan(64.0 / std::fabs(pan - 64.0))));
    computePanned();
}

void Wave::setExpression(int expression) {
    _expression = expression;
    _expressionGain = expression / 100.0;
    computePanned();
}
