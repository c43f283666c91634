#include "sound/MyDocumentSyncData.h"

#include <utility>

MyDocumentSyncData::MyDocumentSyncData()
    : _playingIndex(-1), _indexInCounter(0), _floatPlayingIndex(0.0f), _toneIndex(0),
      _volume(0.0f), _hasTone(false) {
    clearCounter();
}

void MyDocumentSyncData::clearCounter() {
    setPlayingIndex(-1);
    setIndexInCounter(0);
    setFloatPlayingIndex(0.0f);
}

int MyDocumentSyncData::toneIndex() const {
    std::lock_guard<std::mutex> guard(_lock);
    return _toneIndex;
}

void MyDocumentSyncData::setToneIndex(int index) {
    std::lock_guard<std::mutex> guard(_lock);
    _toneIndex = index;
}

void MyDocumentSyncData::setTone(std::shared_ptr<ToneGenerator> tone) {
    {
        std::lock_guard<std::mutex> guard(_lock);
        std::swap(_tone, tone);
        _toneIndex = 0;
        _toneEnded = false;
        _hasTone.store(_tone != nullptr, std::memory_order_release);
    }
    // The voice that was cut is let go here, outside the lock.
}

float MyDocumentSyncData::toneLeft(float* left, float* right) {
    *left = 0.0f;
    *right = 0.0f;
    if (!_hasTone.load(std::memory_order_acquire)) {
        return 0.0f;
    }
    std::lock_guard<std::mutex> guard(_lock);
    if (!_tone || _toneEnded) {
        return 0.0f;
    }
    const int i = _toneIndex;
    *left = _tone->pcmLeftAt(i);
    *right = _tone->pcmRightAt(i);
    const float m = _tone->pcmMonoAt(i);
    if (m != 0.0f || i < _tone->duration()) {
        _toneIndex = i + 1;
    } else {
        // Marked ended only: the audio thread frees nothing here, the main
        // thread lets the voice go at the next setTone or releaseEndedTone.
        _toneEnded = true;
        _toneIndex = 0;
        _hasTone.store(false, std::memory_order_release);
    }
    return m;
}

void MyDocumentSyncData::releaseEndedTone() {
    std::shared_ptr<ToneGenerator> ended;
    {
        std::lock_guard<std::mutex> guard(_lock);
        if (_toneEnded) {
            ended = std::move(_tone);
            _toneEnded = false;
        }
    }
}

float MyDocumentSyncData::whenToneEnds() const {
    std::lock_guard<std::mutex> guard(_lock);
    if (!_tone || _toneEnded || _tone->rate() == 0) {
        return 0.0f;
    }
    return static_cast<float>(_tone->duration() - _toneIndex) / static_cast<float>(_tone->rate());
}
