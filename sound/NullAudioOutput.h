#pragma once

#include "sound/AudioOutput.h"

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

// An output without a device: a thread of its own pulls blocks at the pace
// a device would, `speed` times real time, and discards them. Playback then
// advances (silently) on a machine without sound, and tests can run the
// audio thread faster than real time.
class NullAudioOutput : public AudioOutput {
public:
    static constexpr int kBlockFrames = 256;

    explicit NullAudioOutput(double speed = 1.0);
    ~NullAudioOutput() override;

    OpenResult open(RenderProc callback, void* context) override;
    int start() override;
    int stop() override;
    void close() override;
    std::string deviceName() const override { return "no audio output"; }

private:
    void run();

    double _speed;
    bool _open = false;
    std::vector<float> _left;
    std::vector<float> _right;
    std::thread _thread;
    std::mutex _lock;
    std::condition_variable _wake;
    bool _stopRequested = false;
};
