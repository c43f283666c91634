#include "sound/AudioOutput.h"

#include <chrono>

double AudioOutput::worstBlockSeconds() const {
    return static_cast<double>(_worstNanoseconds.load(std::memory_order_relaxed)) * 1e-9;
}

void AudioOutput::render(int frames, float* left, float* right) {
    const auto begin = std::chrono::steady_clock::now();
    _callback(_context, frames, left, right);
    const auto took =
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - begin)
            .count();
    // Only this thread writes the two values; the main thread reads them.
    if (took > _worstNanoseconds.load(std::memory_order_relaxed)) {
        _worstNanoseconds.store(took, std::memory_order_relaxed);
    }
    _blocks.store(_blocks.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}
