#pragma once

#include "sound/AudioOutput.h"

#include <chrono>

// The default output device through PortAudio: two non-interleaved float32
// channels at 44100 Hz, about 256 frames a block.
//
// When the default device cannot be opened and a JACK server is running,
// its output is used instead: on a machine whose sound card is taken, or
// that has none, the JACK server is where sound goes.
//
// A stream whose device has gone (the server was stopped or killed) never
// calls back again, and PortAudio's stop and abort then wait for ever on a
// callback. So a stop that does not finish in time gives the stream up:
// it is never touched again, and its callback finds no output to render.
class PortAudioOutput : public AudioOutput {
public:
    static constexpr int kBlockFrames = 256;
    static constexpr std::chrono::milliseconds kStopTimeout{1000};

    PortAudioOutput() = default;
    ~PortAudioOutput() override;

    OpenResult open(RenderProc callback, void* context) override;
    int start() override;
    int stop() override;
    void close() override;
    double outputLatency() const override;
    std::string deviceName() const override { return _deviceName; }
    std::string errorText(int status) const override;
    bool canBeLost() const override { return true; }
    bool lost() const override { return _lost; }
    void abandon() override;

    struct CallbackLink;

private:
    friend struct PortAudioStreamCallback;
    int openStream(int device);

    bool _initialized = false;
    void* _stream = nullptr;
    CallbackLink* _link = nullptr;
    bool _running = false;
    bool _lost = false;
    std::string _deviceName;
};
