#pragma once

#include "sound/ToneGenerator.h"

#include <memory>

// Mixes the voices of the score into one stereo frame at a time. Three
// tracks, one per note cell of a step; each voice plays from its own first
// frame, counted from the mixer frame at which it was placed. A voice placed
// for a step silences the voices of steps of the other parity.
//
// A smooth mixer fades a voice it drops (cut, replaced or cleared) out over
// 3 ms instead of stopping it dead, and makes the voices it places smooth.
// The fading voice is the one the track held, moved aside: fading allocates
// nothing.
//
// While the score plays the mixer belongs to the audio thread.
class SimpleOrnMixer {
public:
    static constexpr int kTracks = 3;
    static constexpr int kFadeMilliseconds = 3;

    SimpleOrnMixer();

    // Drops every voice and restarts the frame counter at 0.
    void clear();

    int counter() const { return _counter; }
    void setCounter(int counter) { _counter = counter; }
    int samplingRate() const { return _samplingRate; }
    void setSamplingRate(int rate) { _samplingRate = rate; }
    bool smooth() const { return _smooth; }
    void setSmooth(bool smooth) { _smooth = smooth; }

    // Places `tone` (may be null: the track falls silent) on `track` for step
    // `index`, starting at mixer frame `from`; index -1 cuts nothing else.
    void setToneOn(int index, int track, std::shared_ptr<ToneGenerator> tone, int from);
    // The same, starting with the next mixed frame.
    void setToneOn(int index, int track, std::shared_ptr<ToneGenerator> tone) {
        setToneOn(index, track, std::move(tone), _counter);
    }

    // The voice placed on `track` (0..2) until a later voice or a clear drops
    // it; null once dropped. A voice that has played to its end stays.
    const std::shared_ptr<ToneGenerator>& toneOn(int track) const { return _tracks[track]; }

    // Mixes frame `at` without moving the counter; returns (left + right) / 2.
    float toneLeft(float* left, float* right, int at) const;
    // Mixes the frame at the counter, then advances the counter.
    float toneLeft(float* left, float* right);
    // Mixes `count` frames from the counter into left[] and right[] (the
    // same values as that many toneLeft calls) and advances the counter.
    void render(int count, float* left, float* right);

    // The frame, counted from the last clear, at which the last voice ends.
    int durationFromStart() const;
    // Frames still to sound; zero or negative once everything has finished.
    int duration() const { return durationFromStart() - _counter; }

private:
    // A dropped voice ringing out: voice frames offset, offset + 1, ... are
    // mixed at mixer frames from, from + 1, ..., falling linearly in gain.
    struct Fade {
        std::shared_ptr<ToneGenerator> voice;
        long long from = 0;
        int offset = 0;
        int frames = 0;
        int length = 1;
        float gainAt(long long k) const {
            return static_cast<float>(length - k) / static_cast<float>(length);
        }
    };

    // Takes the voice off `track`; a smooth mixer fades it out from mixer
    // frame `from` on.
    void drop(int track, long long from);

    std::shared_ptr<ToneGenerator> _tracks[kTracks];
    Fade _fades[kTracks];
    int _toneFrom[kTracks];
    int _noteIndex[kTracks];
    // _toneFrom + the voice's length, worked out when the voice is placed:
    // a placed voice does not change, and its length is asked for every frame.
    long long _toneEnd[kTracks];
    int _counter;
    int _samplingRate;
    bool _smooth = false;
};
