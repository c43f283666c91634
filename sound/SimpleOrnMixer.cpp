#include "sound/SimpleOrnMixer.h"

#include <algorithm>
#include <climits>

SimpleOrnMixer::SimpleOrnMixer() : _toneFrom{}, _noteIndex{}, _toneEnd{}, _counter(0), _samplingRate(44100) {
    clear();
}

void SimpleOrnMixer::clear() {
    // The counter restarts at 0: fades under way keep their place relative
    // to it, and the voices dropped now fade from its new start.
    const long long was = _counter;
    for (int i = 0; i < kTracks; ++i) {
        if (_smooth) {
            _fades[i].from -= was;
        } else {
            _fades[i] = Fade{};
        }
        drop(i, 0);
    }
    for (int i = 0; i < kTracks; ++i) {
        _toneFrom[i] = 0;
        _noteIndex[i] = -1;
        _toneEnd[i] = 0;
    }
    _counter = 0;
}

void SimpleOrnMixer::setToneOn(int index, int track, std::shared_ptr<ToneGenerator> tone, int from) {
    if (track < 0 || track >= kTracks) {
        return;
    }
    if (tone) {
        tone->setRate(_samplingRate);
        tone->setSmooth(_smooth);
    }
    drop(track, _counter);
    _tracks[track] = std::move(tone);
    _toneFrom[track] = from;
    _noteIndex[track] = index;
    _toneEnd[track] = static_cast<long long>(from) + (_tracks[track] ? _tracks[track]->duration() : 0);
    if (index == -1) {
        return;
    }
    for (int i = 0; i < kTracks; ++i) {
        // Parity, not equality: a voice placed two steps earlier survives.
        if (i != track && _noteIndex[i] != -1 && ((_noteIndex[i] ^ index) & 1) != 0) {
            drop(i, _counter);
        }
    }
}

void SimpleOrnMixer::drop(int track, long long from) {
    std::shared_ptr<ToneGenerator>& voice = _tracks[track];
    const long long played = static_cast<long long>(_counter) - _toneFrom[track];
    if (_smooth && voice && played >= 0 && _counter < _toneEnd[track]) {
        Fade& fade = _fades[track];
        fade.length = static_cast<int>(std::clamp<long long>(
            static_cast<long long>(_samplingRate) * kFadeMilliseconds / 1000, 1, INT_MAX));
        fade.frames =
            static_cast<int>(std::min<long long>(fade.length, _toneEnd[track] - _counter));
        fade.offset = static_cast<int>(played);
        fade.from = from;
        fade.voice = std::move(voice);
    }
    voice.reset();
}

float SimpleOrnMixer::toneLeft(float* left, float* right, int at) const {
    float l = 0.0f;
    float r = 0.0f;
    float m = 0.0f;
    for (int i = 0; i < kTracks; ++i) {
        const ToneGenerator* tone = _tracks[i].get();
        if (tone != nullptr && _toneFrom[i] <= at && at < _toneEnd[i]) {
            float pl = 0.0f;
            float pr = 0.0f;
            tone->pcmLeftRightAt(at - _toneFrom[i], &pl, &pr);
            l += pl;
            m += pl;
            r += pr;
            m += pr;
        }
    }
    for (const Fade& fade : _fades) {
        const long long k = at - fade.from;
        if (fade.voice != nullptr && k >= 0 && k < fade.frames) {
            float pl = 0.0f;
            float pr = 0.0f;
            fade.voice->pcmLeftRightAt(fade.offset + static_cast<int>(k), &pl, &pr);
            const float gain = fade.gainAt(k);
            l += pl * gain;
            m += pl * gain;
            r += pr * gain;
            m += pr * gain;
        }
    }
    *left = l;
    *right = r;
    return m * 0.5f;
}

float SimpleOrnMixer::toneLeft(float* left, float* right) {
    const float m = toneLeft(left, right, _counter);
    // Held at the top: some thirteen hours of one playback at the slowest
    // tempo, where wrapping round would be undefined.
    if (_counter < INT_MAX) {
        ++_counter;
    }
    return m;
}

void SimpleOrnMixer::render(int count, float* left, float* right) {
    for (int k = 0; k < count; ++k) {
        left[k] = 0.0f;
        right[k] = 0.0f;
    }
    // Tracks are added in order, as toneLeft does frame by frame, so every
    // sum comes out the same.
    const long long first = _counter;
    const long long last = first + count;
    for (int i = 0; i < kTracks; ++i) {
        const ToneGenerator* tone = _tracks[i].get();
        if (tone == nullptr) {
            continue;
        }
        const long long from = std::max<long long>(first, _toneFrom[i]);
        const long long to = std::min(last, _toneEnd[i]);
        if (from < to) {
            tone->addLeftRight(static_cast<int>(from - _toneFrom[i]), static_cast<int>(to - from),
                               left + (from - first), right + (from - first));
        }
    }
    for (const Fade& fade : _fades) {
        if (fade.voice == nullptr) {
            continue;
        }
        const long long from = std::max(first, fade.from);
        const long long to = std::min(last, fade.from + fade.frames);
        for (long long at = from; at < to; ++at) {
            const long long k = at - fade.from;
            float pl = 0.0f;
            float pr = 0.0f;
            fade.voice->pcmLeftRightAt(fade.offset + static_cast<int>(k), &pl, &pr);
            const float gain = fade.gainAt(k);
            left[at - first] += pl * gain;
            right[at - first] += pr * gain;
        }
    }
    _counter = static_cast<int>(std::min<long long>(last, INT_MAX));
}

int SimpleOrnMixer::durationFromStart() const {
    long long last = 0;
    bool any = false;
    for (int i = 0; i < kTracks; ++i) {
        if (_tracks[i]) {
            last = any ? std::max(last, _toneEnd[i]) : _toneEnd[i];
            any = true;
        }
    }
    // A fade still under way keeps the mixer sounding.
    for (const Fade& fade : _fades) {
        const long long end = fade.from + fade.frames;
        if (fade.voice != nullptr && end > _counter) {
            last = any ? std::max(last, end) : end;
            any = true;
        }
    }
    return static_cast<int>(std::min<long long>(last, INT_MAX));
}
