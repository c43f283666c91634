#pragma once

// Voices over small in-memory samples for the mixer and synchroniser tests.

#include "sound/ToneGenerator.h"
#include "sound/Wave.h"

#include <memory>
#include <vector>

#include "sound/WavImage.h"

// A mono 44100 Hz voice whose sample frame i holds samples[i]: at ratio 1.0
// its output frame i is that sample, and it lasts samples.size() frames.
inline std::shared_ptr<ToneGenerator> voiceOf(const std::vector<int>& samples) {
    auto wave = std::make_shared<Wave>();
    wave->loadMem(mono16(samples));
    return std::make_shared<ToneGenerator>(wave);
}

// A voice of `frames` frames, every one at `value`.
inline std::shared_ptr<ToneGenerator> flatVoice(int frames, int value) {
    return voiceOf(std::vector<int>(static_cast<std::size_t>(frames), value));
}
