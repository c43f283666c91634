#pragma once

#include "sound/ToneGenerator.h"

#include <atomic>
#include <memory>
#include <mutex>

// What a document's audio thread and main thread share while sound is made:
// the published play position (written by the audio thread), the output
// volume (written by the main thread) and the preview voice, a single voice
// for sounds played outside the score.
//
// The position fields and the volume are 32-bit atomics read and written
// whole; the lock guards only the preview voice and its frame index.
class MyDocumentSyncData {
public:
    MyDocumentSyncData();

    // Before the first frame of a playback: step -1, count 0, position 0.
    void clearCounter();

    int playingIndex() const { return _playingIndex.load(std::memory_order_relaxed); }
    void setPlayingIndex(int index) { _playingIndex.store(index, std::memory_order_relaxed); }
    int indexInCounter() const { return _indexInCounter.load(std::memory_order_relaxed); }
    void setIndexInCounter(int count) { _indexInCounter.store(count, std::memory_order_relaxed); }
    float floatPlayingIndex() const { return _floatPlayingIndex.load(std::memory_order_relaxed); }
    void setFloatPlayingIndex(float position) {
        _floatPlayingIndex.store(position, std::memory_order_relaxed);
    }
    int toneIndex() const;
    void setToneIndex(int index);
    float volume() const { return _volume.load(std::memory_order_relaxed); }
    void setVolume(float volume) { _volume.store(volume, std::memory_order_relaxed); }

    // Makes `tone` the preview voice from its frame 0, cutting the one
    // sounding; null clears the preview.
    void setTone(std::shared_ptr<ToneGenerator> tone);
    // Renders the preview voice's next frame; returns its mono value. A
    // voice that has run out is only marked ended, never freed here.
    float toneLeft(float* left, float* right);
    // Lets go of a preview voice that has run out. Main thread.
    void releaseEndedTone();
    // Whether a preview voice is set (it may just have run out).
    bool hasTone() const { return _hasTone.load(std::memory_order_acquire); }
    // Seconds of preview left; 0 when there is none, negative once run out.
    float whenToneEnds() const;

private:
    std::atomic<int> _playingIndex;
    std::atomic<int> _indexInCounter;
    std::atomic<float> _floatPlayingIndex;
    std::shared_ptr<ToneGenerator> _tone;
    int _toneIndex;
    bool _toneEnded = false;
    std::atomic<float> _volume;
    // Set under the lock with _tone (false once it has ended), so that the audio thread need not take
    // the lock for the many frames in which no preview sounds.
    std::atomic<bool> _hasTone;
    mutable std::mutex _lock;

    static_assert(std::atomic<float>::is_always_lock_free);
};
