#pragma once

#include "score/OrnScore.h"
#include "sound/MyDocumentSyncData.h"
#include "sound/SimpleOrnMixer.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// The audio output's render callback: `context` is the player; fills
// `frames` frames of both channels, one per-frame call each. Audio thread.
int RenderCallback(void* context, int frames, float* left, float* right);

// The playback engine of one score: the mixer, the record shared with the
// audio thread, the score the audio thread reads, and the step clock. It
// knows nothing of documents or windows, so the composer, the command
// line's player and the exporters drive the same engine.
//
// Threads: toneLeft(), renderFrames() and blockRendered() run on the audio
// thread (or on the one thread of an offline render); everything else on
// the main thread. What both read (the playing flag, the tempo emulation
// coefficient, restart requests, the mixer's remaining length) are atomics;
// the main thread never touches the mixer while the audio thread may be
// using it: a restart is a request that the audio thread serves at its next
// frame. A replaced score is freed only once the audio thread has finished
// the block it may have been reading it in.
class OrnPlayer {
public:
    // Passes of a looping score before it rings out, for restart(): no end.
    static constexpr int kEndless = 0;

    explicit OrnPlayer(const OrnScore* score);
    ~OrnPlayer();

    OrnPlayer(const OrnPlayer&) = delete;
    OrnPlayer& operator=(const OrnPlayer&) = delete;

    // The score the audio thread plays from its next block on. `previous`,
    // the score it may still be reading, is kept until it can no longer be
    // (see reclaimRetiredScores).
    void replaceScore(const OrnScore* score, std::unique_ptr<OrnScore> previous,
                      bool outputIdle);
    // Frees the replaced scores the audio thread can no longer be reading:
    // all of them when the output is idle, else those replaced before the
    // last finished block.
    void reclaimRetiredScores(bool outputIdle);
    std::size_t retiredScoreCount() const { return _retiredScores.size(); }

    MyDocumentSyncData* syncData() const { return _syncData.get(); }

    // Playback from step `from` with a fresh mixer (a request the audio
    // thread serves at its next frame, which begins that step): a looping
    // score plays `passes` passes, the first of them from `from`, and then
    // rings out, or loops until halted with kEndless. A looping score asked
    // to start at or past its end mark starts at step 0.
    void restart(int passes = kEndless, int from = 0);
    // Playback of steps [first, end) only, looping them whatever the score's
    // loop flag: `passes` passes and then ringing out, or until halted.
    void restartRange(int first, int end, int passes = kEndless);
    void halt() { _playing.store(false, std::memory_order_release); }
    bool isPlaying() const { return _playing.load(std::memory_order_acquire); }
    // True from restart until the audio thread has begun the first step.
    bool restartPending() const {
        return _restartRequests.load(std::memory_order_acquire) !=
               _restartsServed.load(std::memory_order_acquire);
    }
    // The step the last restart asked to begin with.
    int requestedFrom() const { return _requestedFrom.load(std::memory_order_relaxed); }
    // The mixer's remaining length as last published by the audio thread.
    int mixerDuration() const { return _mixerDuration.load(std::memory_order_acquire); }
    // Whether playback goes back to the first step at the end of a pass: a
    // looping score or a range with passes left (as of the last restart
    // served).
    bool loopsAgain(const OrnScore& score) const {
        return (score.loop() || _rangeEnd.load(std::memory_order_relaxed) > 0) &&
               _passesLeft.load(std::memory_order_relaxed) != 1;
    }
    // Where a pass of `score` ends: the end of the range played, else the
    // end mark (as of the last restart served).
    int passEnd(const OrnScore& score) const {
        const int range = _rangeEnd.load(std::memory_order_relaxed);
        return range > 0 ? range : score.end();
    }

    void setTempoEmurationCoefficient(int coefficient) {
        _tempoEmurationCoefficient.store(coefficient, std::memory_order_relaxed);
    }
    int tempoEmurationCoefficient() const {
        return _tempoEmurationCoefficient.load(std::memory_order_relaxed);
    }
    // Smooth playback fades the voices the mixer drops and interpolates
    // pitched voices; it takes effect at the next step.
    void setSmoothPlayback(bool smooth) {
        _smoothPlayback.store(smooth, std::memory_order_relaxed);
    }
    bool smoothPlayback() const { return _smoothPlayback.load(std::memory_order_relaxed); }

    // One output frame: the score (while playing) and the preview voice,
    // at the volume; publishes the play position. Audio thread only.
    float toneLeft(float* left, float* right);
    // Renders up to `maxFrames` frames into left[] and right[], the same
    // values as that many toneLeft calls when nothing changes meanwhile, and
    // returns how many it rendered: the frame that begins a step alone, or
    // frames of one step without a preview, mixed as a block.
    int renderFrames(float* left, float* right, int maxFrames);
    // Audio thread, at the end of every block: the score the block read may
    // now be freed.
    void blockRendered() { _blocksRendered.fetch_add(1, std::memory_order_seq_cst); }

    // Frames per step at a tempo (steps per minute) and tempo emulation
    // coefficient (0, 32, 48 or 64). A tempo below 1 plays as tempo 1.
    static int stepLength(int tempo, int coefficient);
    // The same step in seconds, before it is cut to whole frames.
    static double stepSeconds(int tempo, int coefficient);

private:
    struct RetiredScore {
        std::unique_ptr<OrnScore> score;
        // _blocksRendered when it was replaced.
        std::uint32_t blocks;
    };

    std::unique_ptr<SimpleOrnMixer> _mixer;
    std::unique_ptr<MyDocumentSyncData> _syncData;
    std::atomic<const OrnScore*> _liveScore;
    std::vector<RetiredScore> _retiredScores;
    // Blocks the audio thread has finished; it moves on from a replaced
    // score once this has changed.
    std::atomic<std::uint32_t> _blocksRendered{0};
    std::atomic<bool> _playing{false};
    std::atomic<int> _tempoEmurationCoefficient{0};
    std::atomic<bool> _smoothPlayback{false};
    // Restart requests made and served; the audio thread serves a request
    // by beginning step 0 and then publishing the count it served, so a
    // request made meanwhile is served at the next frame, never lost. The
    // passes asked for go with the request.
    std::atomic<std::uint32_t> _restartRequests{0};
    std::atomic<std::uint32_t> _restartsServed{0};
    std::atomic<int> _requestedPasses{kEndless};
    std::atomic<int> _requestedFrom{0};
    // The end of the range asked for; 0: the whole score.
    std::atomic<int> _requestedRangeEnd{0};
    // The range being played, [_rangeFrom, _rangeEnd), or _rangeEnd 0 for the
    // whole score; written by the audio thread when it serves a restart.
    std::atomic<int> _rangeFrom{0};
    std::atomic<int> _rangeEnd{0};
    std::atomic<int> _mixerDuration{0};
    // Passes left including the current one (kEndless: no end); written by
    // the audio thread only.
    std::atomic<int> _passesLeft{kEndless};
    // The step length is worked out again only when tempo or coefficient
    // change; audio thread only.
    int _stepTempo = 0;
    int _stepCoefficient = -1;
    int _stepFrames = 1;
};
