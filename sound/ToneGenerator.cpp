#include "sound/ToneGenerator.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <utility>

ToneGenerator::ToneGenerator(std::shared_ptr<const Wave> wave) {
    setWave(std::move(wave));
}

void ToneGenerator::setWave(std::shared_ptr<const Wave> wave) {
    _wav = std::move(wave);
    _rate = 44100;
    _tone = 1.0f;
    _release = -1;
    configure();
}

void ToneGenerator::setRelease(int release, int duration) {
    _release = release;
    _releaseDuration = duration;
}

void ToneGenerator::configure() {
    _sounds = _wav && _wav->frames() > 0 && _wav->samplingRate() >= 1 && _rate >= 1 &&
              _tone > 0.0f && std::isfinite(_tone);
    _step = _sounds ? static_cast<float>(_wav->samplingRate()) * _tone / static_cast<float>(_rate)
                    : 0.0f;
    _stretched = _step < 1.0f;
    _lerp = _smooth && _step > 1.0f;
}

int ToneGenerator::duration() const {
    if (!_sounds) {
        return 0;
    }
    const float len = static_cast<float>(_wav->frames()) * static_cast<float>(_rate) /
                      static_cast<float>(_wav->samplingRate()) / _tone;
    // A tiny ratio stretches a sample beyond what an int can count.
    std::int64_t frames = len < 2147483648.0f ? static_cast<std::int64_t>(len) : INT_MAX;
    if (_release != -1) {
        frames = std::min(frames, std::int64_t{_release} + _releaseDuration);
    }
    return static_cast<int>(std::clamp<std::int64_t>(frames, 0, INT_MAX));
}

float ToneGenerator::pcmAt(int i, int channel) const {
    if (i < 0 || !_sounds) {
        return 0.0f;
    }
    const float step = _step;
    const float pos = step * static_cast<float>(i);
    // Past the last frame the wave is silent; checking here also keeps the
    // float-to-int conversion below in range.
    if (!(pos < static_cast<float>(_wav->frames()))) {
        return 0.0f;
    }
    const int n = static_cast<int>(pos);
    float v = _wav->pcmAt(n, channel);
    // Only a stretched sample is interpolated, unless the voice is smooth;
    // otherwise pitching up skips frames.
    if (_stretched) {
        const float frac = pos - static_cast<float>(n);
        const float w = _wav->pcmAt(n + 1, channel);
        v = static_cast<float>(v * (1.0 - frac) + frac * w);
    } else if (_lerp) {
        const float frac = pos - static_cast<float>(n);
        v += frac * (_wav->pcmAt(n + 1, channel) - v);
    }
    return fade(i, v);
}

void ToneGenerator::pcmLeftRightAt(int i, float* left, float* right) const {
    *left = 0.0f;
    *right = 0.0f;
    if (i < 0 || !_sounds) {
        return;
    }
    const float step = _step;
    const float pos = step * static_cast<float>(i);
    if (!(pos < static_cast<float>(_wav->frames()))) {
        return;
    }
    const int n = static_cast<int>(pos);
    float l = 0.0f;
    float r = 0.0f;
    _wav->pcmLeftRight(n, &l, &r);
    if (_stretched || _lerp) {
        const float frac = pos - static_cast<float>(n);
        float wl = 0.0f;
        float wr = 0.0f;
        _wav->pcmLeftRight(n + 1, &wl, &wr);
        if (_stretched) {
            l = static_cast<float>(l * (1.0 - frac) + frac * wl);
            r = static_cast<float>(r * (1.0 - frac) + frac * wr);
        } else {
            l += frac * (wl - l);
            r += frac * (wr - r);
        }
    }
    *left = fade(i, l);
    *right = fade(i, r);
}

void ToneGenerator::addLeftRight(int from, int count, float* left, float* right) const {
    if (!_sounds) {
        for (int k = 0; k < count; ++k) {
            left[k] += 0.0f;
            right[k] += 0.0f;
        }
        return;
    }
    const Wave& wave = *_wav;
    if (const float* panned = wave.pannedFrames(); panned != nullptr) {
        // The frames straight from the wave's table: what pcmLeftRight gives.
        const int frames = wave.frames();
        addRun(from, count, left, right, [panned, frames](int n, float* l, float* r) {
            const bool inside = n < frames;
            *l = inside ? panned[2 * n] : 0.0f;
            *r = inside ? panned[2 * n + 1] : 0.0f;
        });
    } else {
        addRun(from, count, left, right,
               [&wave](int n, float* l, float* r) { wave.pcmLeftRight(n, l, r); });
    }
}

template <typename Read>
void ToneGenerator::addRun(int from, int count, float* left, float* right, Read read) const {
    // The same steps as pcmLeftRightAt, with what does not change from frame
    // to frame held in locals: the stores below could otherwise alias them.
    const float step = _step;
    const float frames = static_cast<float>(_wav->frames());
    const bool stretched = _stretched;
    const bool lerp = _lerp;
    const bool releases = _release != -1;
    for (int k = 0; k < count; ++k) {
        const int i = from + k;
        float l = 0.0f;
        float r = 0.0f;
        const float pos = step * static_cast<float>(i);
        if (i >= 0 && pos < frames) {
            const int n = static_cast<int>(pos);
            read(n, &l, &r);
            if (stretched) {
                const float frac = pos - static_cast<float>(n);
                float wl = 0.0f;
                float wr = 0.0f;
                read(n + 1, &wl, &wr);
                l = static_cast<float>(l * (1.0 - frac) + frac * wl);
                r = static_cast<float>(r * (1.0 - frac) + frac * wr);
            } else if (lerp) {
                const float frac = pos - static_cast<float>(n);
                float wl = 0.0f;
                float wr = 0.0f;
                read(n + 1, &wl, &wr);
                l += frac * (wl - l);
                r += frac * (wr - r);
            }
            if (releases) {
                l = fade(i, l);
                r = fade(i, r);
            }
        }
        left[k] += l;
        right[k] += r;
    }
}

float ToneGenerator::fade(int i, float v) const {
    if (_release == -1 || i <= _release) {
        return v;
    }
    const std::int64_t sinceRelease = std::int64_t{i} - _release;
    if (sinceRelease > _releaseDuration) {
        return 0.0f;
    }
    const float faded = static_cast<float>(sinceRelease) / static_cast<float>(_releaseDuration);
    return v * (1.0f - faded);
}
