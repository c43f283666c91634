#pragma once

#include "sound/Wave.h"

#include <memory>

// One voice: a Wave played from its first frame at a pitch ratio, resampled
// to the output rate. It keeps no play position: the caller passes the output
// frame index, counted from the voice's start, on every read.
//
// A voice is configured before its first sample is asked for and not changed
// while it plays, so the audio thread reads it without a lock. A voice with
// no sample data, or a rate, ratio or sampling rate that is not positive, is
// silent and lasts 0 frames.
class ToneGenerator {
public:
    ToneGenerator() : ToneGenerator(nullptr) {}
    explicit ToneGenerator(std::shared_ptr<const Wave> wave);

    // Takes the new wave and resets the rate to 44100, the ratio to 1.0 and
    // the release to none; the release duration is kept.
    void setWave(std::shared_ptr<const Wave> wave);
    const std::shared_ptr<const Wave>& wave() const { return _wav; }

    // Output frames per second.
    int rate() const { return _rate; }
    void setRate(int rate) {
        _rate = rate;
        configure();
    }
    // Pitch ratio: 1.0 plays the recorded pitch, 2.0 an octave higher.
    float tone() const { return _tone; }
    void setTone(float tone) {
        _tone = tone;
        configure();
    }
    void changeTone(float factor) {
        _tone *= factor;
        configure();
    }
    // Smooth voices interpolate between sample frames at every step other
    // than exactly one frame per output frame; the others interpolate only a
    // stretched sample and skip frames when pitching up.
    bool smooth() const { return _smooth; }
    void setSmooth(bool smooth) {
        _smooth = smooth;
        configure();
    }

    // Output frame after which the release fade begins; -1 for none.
    int release() const { return _release; }
    void setRelease(int release) { _release = release; }
    void setRelease(int release, int duration);
    void resetRelease() { _release = -1; }
    int releaseDuration() const { return _releaseDuration; }
    void setReleaseDuration(int duration) { _releaseDuration = duration; }

    // Number of output frames the voice lasts.
    int duration() const;

    // Output frame i (>= 0) on channel 1 (left), 2 (right) or 0 (mono mix).
    // Real-time safe: no allocation, lock or log.
    float pcmAt(int i, int channel) const;
    float pcmMonoAt(int i) const { return pcmAt(i, 0); }
    float pcmLeftAt(int i) const { return pcmAt(i, 1); }
    float pcmRightAt(int i) const { return pcmAt(i, 2); }
    // pcmLeftAt(i) and pcmRightAt(i) in one call, with the same values: the
    // mixer's hot path, which works out the sample position once.
    void pcmLeftRightAt(int i, float* left, float* right) const;
    // Adds pcmLeftRightAt(from + k) to left[k] and right[k] for k < count:
    // the mixer's block path, with the same values frame by frame.
    void addLeftRight(int from, int count, float* left, float* right) const;

private:
    // Works out what every sample read needs from the wave and the settings.
    void configure();
    float fade(int i, float v) const;
    // The loop of addLeftRight over a way of reading both channels of a
    // sample frame.
    template <typename Read>
    void addRun(int from, int count, float* left, float* right, Read read) const;

    std::shared_ptr<const Wave> _wav;
    int _rate = 44100;
    float _tone = 1.0f;
    int _release = -1;
    int _releaseDuration = 0;
    // Whether the wave and the settings can produce sound at all, and the
    // sample frames per output frame.
    bool _sounds = false;
    float _step = 0.0f;
    bool _smooth = false;
    // A stretched sample is interpolated as the player always has, in double
    // precision; a smooth voice pitched up is interpolated in single
    // precision, which is all it needs and keeps it cheap.
    bool _stretched = false;
    bool _lerp = false;
};
