#include "sound/OrnPlayer.h"

#include "sound/OrnWaves.h"

#include <algorithm>
#include <climits>
#include <cmath>

OrnPlayer::OrnPlayer(const OrnScore* score)
    : _mixer(std::make_unique<SimpleOrnMixer>()),
      _syncData(std::make_unique<MyDocumentSyncData>()), _liveScore(score) {}

OrnPlayer::~OrnPlayer() = default;

void OrnPlayer::replaceScore(const OrnScore* score, std::unique_ptr<OrnScore> previous,
                             bool outputIdle) {
    // The store and the count read after it are sequentially consistent with
    // the audio thread's read of the score and its count of finished blocks:
    // a block that read the old score and is still under way has not been
    // counted yet, so the count changes only once it is over.
    _liveScore.store(score, std::memory_order_seq_cst);
    _retiredScores.push_back({std::move(previous), _blocksRendered.load(std::memory_order_seq_cst)});
    reclaimRetiredScores(outputIdle);
}

void OrnPlayer::reclaimRetiredScores(bool outputIdle) {
    const std::uint32_t blocks = _blocksRendered.load(std::memory_order_seq_cst);
    std::erase_if(_retiredScores, [&](const RetiredScore& retired) {
        return outputIdle || retired.blocks != blocks;
    });
}

void OrnPlayer::restart(int passes, int from) {
    restartRange(from, 0, passes);
}

void OrnPlayer::restartRange(int first, int end, int passes) {
    // The position is the audio thread's to clear: a frame under way would
    // overwrite it. Until the request is served the display shows 0.
    // A request made while one is being served may be read half new for one
    // frame; the next frame serves it whole.
    _requestedPasses.store(passes, std::memory_order_relaxed);
    _requestedFrom.store(std::clamp(first, 0, OrnScore::maxLength() - 1),
                         std::memory_order_relaxed);
    _requestedRangeEnd.store(end > first ? std::min(end, OrnScore::maxLength()) : 0,
                             std::memory_order_relaxed);
    _restartRequests.fetch_add(1, std::memory_order_acq_rel);
    _playing.store(true, std::memory_order_release);
}

double OrnPlayer::stepSeconds(int tempo, int coefficient) {
    const double t = tempo < 1 ? 1.0 : static_cast<double>(tempo);
    if (coefficient == 0) {
        return 60.0 / t;
    }
    // Rounded up to a whole number of 1/coefficient-second units, in double
    // precision: an exact multiple can come out one unit longer.
    const double unit = 1.0 / coefficient;
    const double units = std::ceil((60.0 / t) / unit);
    return unit * units;
}

int OrnPlayer::stepLength(int tempo, int coefficient) {
    const float seconds = static_cast<float>(stepSeconds(tempo, coefficient));
    const int frames = static_cast<int>(seconds * 44100.0f);
    return frames < 1 ? 1 : frames;
}

float OrnPlayer::toneLeft(float* left, float* right) {
    const float v = _syncData->volume();
    float pl = 0.0f;
    float pr = 0.0f;
    const float pm = _syncData->toneLeft(&pl, &pr);
    if (!_playing.load(std::memory_order_acquire)) {
        *left = v * pl;
        *right = v * pr;
        return v * pm;
    }
    const std::uint32_t request = _restartRequests.load(std::memory_order_acquire);
    const bool restart = request != _restartsServed.load(std::memory_order_relaxed);
    if (restart) {
        _mixer->clear();
        _mixer->setSamplingRate(44100);
        _syncData->clearCounter();
        _passesLeft.store(_requestedPasses.load(std::memory_order_relaxed),
                          std::memory_order_relaxed);
        const int from = _requestedFrom.load(std::memory_order_relaxed);
        const int rangeEnd = _requestedRangeEnd.load(std::memory_order_relaxed);
        _rangeFrom.store(rangeEnd > from ? from : 0, std::memory_order_relaxed);
        _rangeEnd.store(rangeEnd > from ? rangeEnd : 0, std::memory_order_relaxed);
    }

    const OrnScore& score = *_liveScore.load(std::memory_order_seq_cst);
    const int tempo = score.tempo();
    const int coefficient = _tempoEmurationCoefficient.load(std::memory_order_relaxed);
    if (tempo != _stepTempo || coefficient != _stepCoefficient) {
        _stepTempo = tempo;
        _stepCoefficient = coefficient;
        _stepFrames = stepLength(tempo, coefficient);
    }
    const int n = _stepFrames;
    const int end = passEnd(score);
    int s = _syncData->playingIndex();
    const int k = _syncData->indexInCounter();
    int fraction;
    int count;
    if (!restart && s != -1 && k < n) {
        fraction = k;
        count = k + 1;
    } else {
        // A new step begins.
        _mixer->setSmooth(_smoothPlayback.load(std::memory_order_relaxed));
        const int first = _rangeFrom.load(std::memory_order_relaxed);
        if (restart) {
            s = _requestedFrom.load(std::memory_order_relaxed);
            // A looping score asked to start past its end starts at the top.
            s = s >= end && loopsAgain(score) ? first : s;
        } else if (s = s + 1; s >= end && loopsAgain(score)) {
            if (const int passes = _passesLeft.load(std::memory_order_relaxed); passes > 1) {
                _passesLeft.store(passes - 1, std::memory_order_relaxed);
            }
            _mixer->clear();
            s = first;
        }
        if (s < end) {
            for (int y = 0; y < OrnScore::maxNotes(); ++y) {
                // One read: the note and its instrument from the same edit.
                const OrnScore::StaffNote cell = score.staffNoteAt(s, y);
                if (cell.note == 0) {
                    break;
                }
                _mixer->setToneOn(s, y, OrnWaves::allocTone(cell.prog, cell.note));
            }
        }
        fraction = 0;
        count = 1;
    }

    float ml = 0.0f;
    float mr = 0.0f;
    const float mm = _mixer->toneLeft(&ml, &mr);
    _syncData->setPlayingIndex(s);
    _syncData->setIndexInCounter(count);
    _syncData->setFloatPlayingIndex(static_cast<float>(s) +
                                    static_cast<float>(fraction) / static_cast<float>(n));
    _mixerDuration.store(_mixer->duration(), std::memory_order_release);
    if (restart) {
        // Served only now, after the new position and length are out: a
        // display tick that sees no request pending reads the new values.
        _restartsServed.store(request, std::memory_order_release);
    }

    *left = v * (ml + pl);
    *right = v * (mr + pr);
    return v * (pm + mm);
}

int OrnPlayer::renderFrames(float* left, float* right, int maxFrames) {
    const int s = _syncData->playingIndex();
    const int k = _syncData->indexInCounter();
    const OrnScore& score = *_liveScore.load(std::memory_order_seq_cst);
    const int n = stepLength(score.tempo(), _tempoEmurationCoefficient.load(std::memory_order_relaxed));
    // Only frames that continue a step, with no preview sounding, are mixed
    // as a block; everything else goes through the per-frame operation.
    const bool block = maxFrames > 1 && _playing.load(std::memory_order_acquire) &&
                       !restartPending() && !_syncData->hasTone() && s != -1 && k < n &&
                       _mixer->counter() < INT_MAX - maxFrames;
    if (!block) {
        toneLeft(left, right);
        return 1;
    }
    const int count = std::min(maxFrames, n - k);
    _mixer->render(count, left, right);
    const float v = _syncData->volume();
    for (int i = 0; i < count; ++i) {
        // The preview adds 0.0 to each side, as the per-frame operation does.
        left[i] = v * (left[i] + 0.0f);
        right[i] = v * (right[i] + 0.0f);
    }
    const int last = k + count - 1;
    _syncData->setIndexInCounter(last + 1);
    _syncData->setFloatPlayingIndex(static_cast<float>(s) +
                                    static_cast<float>(last) / static_cast<float>(n));
    _mixerDuration.store(_mixer->duration(), std::memory_order_release);
    return count;
}
