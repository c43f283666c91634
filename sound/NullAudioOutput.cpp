#include "sound/NullAudioOutput.h"

#include <chrono>

NullAudioOutput::NullAudioOutput(double speed) : _speed(speed > 0.0 ? speed : 1.0) {}

NullAudioOutput::~NullAudioOutput() {
    close();
}

AudioOutput::OpenResult NullAudioOutput::open(RenderProc callback, void* context) {
    attach(callback, context);
    _left.assign(kBlockFrames, 0.0f);
    _right.assign(kBlockFrames, 0.0f);
    _open = true;
    return {};
}

int NullAudioOutput::start() {
    if (!_open || _thread.joinable()) {
        return 0;
    }
    _stopRequested = false;
    _thread = std::thread([this] { run(); });
    return 0;
}

int NullAudioOutput::stop() {
    if (!_thread.joinable()) {
        return 0;
    }
    {
        const std::lock_guard<std::mutex> guard(_lock);
        _stopRequested = true;
    }
    _wake.notify_one();
    _thread.join();
    return 0;
}

void NullAudioOutput::close() {
    stop();
    _open = false;
}

void NullAudioOutput::run() {
    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(kBlockFrames / (kSampleRate * _speed)));
    // A device that falls behind does not catch up by playing faster than
    // this many blocks in a row.
    constexpr int kMaxBurst = 8;
    auto next = Clock::now();
    std::unique_lock<std::mutex> hold(_lock);
    while (!_stopRequested) {
        hold.unlock();
        render(kBlockFrames, _left.data(), _right.data());
        hold.lock();
        next += period;
        const auto now = Clock::now();
        if (now - next > kMaxBurst * period) {
            next = now;
        }
        _wake.wait_until(hold, next, [this] { return _stopRequested; });
    }
}
