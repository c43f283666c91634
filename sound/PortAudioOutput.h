#pragma once

#include "sound/AudioOutput.h"

// The default output device through PortAudio: two non-interleaved float32
// channels at 44100 Hz, about 256 frames a block.
//
// When the default device cannot be opened and a JACK server is running,
// its output is used instead: on a machine whose sound card is taken, or
// that has none, the JACK server is where sound goes.
class PortAudioOutput : public AudioOutput {
public:
    static constexpr int kBlockFrames = 256;

    PortAudioOutput() = default;
    ~PortAudioOutput() override;

    OpenResult open(RenderProc callback, void* context) override;
    int start() override;
    int stop() override;
    void close() override;
    double outputLatency() const override;
    std::string deviceName() const override { return _deviceName; }

private:
    friend struct PortAudioStreamCallback;
    int openStream(int device);

    bool _initialized = false;
    void* _stream = nullptr;
    bool _running = false;
    std::string _deviceName;
};
