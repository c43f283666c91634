#include "document/AudioOutputWatch.h"

#include "sound/AudioOutput.h"

namespace {

// Often enough that a lost device is noticed soon after kLostAfter.
constexpr std::chrono::milliseconds kCheckInterval{100};

} // namespace

AudioOutputWatch::AudioOutputWatch(QObject* parent) : QObject(parent) {
    _timer.setInterval(kCheckInterval);
    connect(&_timer, &QTimer::timeout, this, &AudioOutputWatch::check);
}

void AudioOutputWatch::watch(const AudioOutput* output) {
    stop();
    if (output == nullptr || !output->canBeLost()) {
        return;
    }
    _output = output;
    _blocks = output->blocksRendered();
    _sinceBlock.start();
    _timer.start();
}

void AudioOutputWatch::stop() {
    _timer.stop();
    _output = nullptr;
}

void AudioOutputWatch::check() {
    const std::int64_t blocks = _output->blocksRendered();
    if (blocks != _blocks) {
        _blocks = blocks;
        _sinceBlock.start();
        return;
    }
    if (std::chrono::milliseconds(_sinceBlock.elapsed()) >= kLostAfter) {
        stop();
        emit stalled();
    }
}
