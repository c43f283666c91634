// One voice's left and right samples per output frame, as the mixer asks for
// them: at ratio 1.0 (a frame read as it falls) and at a ratio below 1.0
// (two frames read and interpolated).
#include "sound/ToneGenerator.h"
#include "sound/WavImage.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>

namespace {

std::shared_ptr<Wave> sine(int channels) {
    std::vector<int> samples;
    for (int i = 0; i < 44100 * channels; ++i) {
        samples.push_back(static_cast<int>(20000 * std::sin(i * 0.05)));
    }
    auto wave = std::make_shared<Wave>();
    wave->loadMem(WavSpec().channels(channels).data(pcm16(samples)).image());
    return wave;
}

void voiceFrames(benchmark::State& state, int channels, float ratio) {
    ToneGenerator voice(sine(channels));
    voice.setTone(ratio);
    const int length = voice.duration();
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(voice.pcmLeftAt(i) + voice.pcmRightAt(i));
        i = i + 1 < length ? i + 1 : 0;
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK_CAPTURE(voiceFrames, mono_ratio_1, 1, 1.0f);
BENCHMARK_CAPTURE(voiceFrames, mono_interpolated, 1, 0.793701f);
BENCHMARK_CAPTURE(voiceFrames, stereo_ratio_1, 2, 1.0f);
BENCHMARK_CAPTURE(voiceFrames, stereo_interpolated, 2, 0.793701f);

} // namespace
