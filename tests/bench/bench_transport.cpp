// The transport's timing: how soon a preview is heard after playSingleSound
// (the time until the output renders its first frame, to which the device
// adds its own latency), and the render callback's time per 256-frame block
// of a dense score.
//
// The preview is measured on the silent output (our own path at real-time
// pace) and on the default device when one opens (a JACK server on the dummy
// driver will do: JACK_DEFAULT_SERVER names it); the device's reported
// output latency is given as a counter.
#include "document/MyDocument.h"
#include "document/Preferences.h"
#include "sound/NullAudioOutput.h"
#include "sound/OrnWaves.h"
#include "sound/PortAudioOutput.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include "bench/DenseScore.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace {

QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "bench_transport";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

void previewLatency(benchmark::State& state, std::unique_ptr<AudioOutput> output) {
    application();
    const OrnWaves bank;
    Preferences preferences;
    MyDocument document(&preferences);
    if (!document.initAudio(std::move(output))) {
        state.SkipWithError("no audio device");
        return;
    }
    std::vector<double> waits;
    for (auto _ : state) {
        auto voice = OrnWaves::allocTone(1, 9);
        const auto start = std::chrono::steady_clock::now();
        document.playSingleSound(voice);
        while (document.syncData()->toneIndex() == 0) {
            std::this_thread::yield();
        }
        const std::chrono::duration<double> waited = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(waited.count());
        waits.push_back(waited.count() * 1000.0);
        // Let the output stop by itself before the next preview.
        document.playSingleSound(nullptr);
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
    std::sort(waits.begin(), waits.end());
    state.counters["wait_median_ms"] = waits[waits.size() / 2];
    state.counters["wait_worst_ms"] = waits.back();
    state.counters["device_latency_ms"] = document.audioOutput()->outputLatency() * 1000.0;
}

void BM_PreviewLatencySilentOutput(benchmark::State& state) {
    previewLatency(state, std::make_unique<NullAudioOutput>());
}
BENCHMARK(BM_PreviewLatencySilentOutput)->UseManualTime()->Iterations(200)->Unit(benchmark::kMillisecond);

void BM_PreviewLatencyDevice(benchmark::State& state) {
    previewLatency(state, std::make_unique<PortAudioOutput>());
}
BENCHMARK(BM_PreviewLatencyDevice)->UseManualTime()->Iterations(200)->Unit(benchmark::kMillisecond);

// RenderCallback for 256-frame blocks of the dense score while it plays,
// with a preview on top for the first steps. The budget of a block is
// 5.8 ms.
void BM_RenderCallbackDenseBlock(benchmark::State& state) {
    application();
    const OrnWaves bank;
    Preferences preferences;
    MyDocument document(&preferences);
    document.stopObserving();
    document.replaceScore(denseScore());
    document.syncData()->setVolume(1.0f);
    document.setTempoEmurationCoefficient(0);
    document.syncData()->setTone(OrnWaves::allocTone(1, 9));
    document.startPlaying();
    float left[256];
    float right[256];
    std::vector<double> blocks;
    blocks.reserve(static_cast<std::size_t>(state.max_iterations));
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        RenderCallback(&document.player(), 256, left, right);
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        blocks.push_back(took.count());
        benchmark::DoNotOptimize(left[255]);
        benchmark::DoNotOptimize(right[255]);
    }
    document.stopPlaying();
    // The worst includes whatever else the machine did meanwhile.
    std::sort(blocks.begin(), blocks.end());
    state.counters["block_median_ms"] = blocks[blocks.size() / 2];
    state.counters["block_p99_ms"] = blocks[blocks.size() * 99 / 100];
    state.counters["block_worst_ms"] = blocks.back();
}
BENCHMARK(BM_RenderCallbackDenseBlock)->Iterations(20000)->Unit(benchmark::kMicrosecond);

} // namespace
