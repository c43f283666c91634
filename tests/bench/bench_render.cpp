// Rendering a dense score (all 960 steps with three notes of mixed
// instruments, tempo 100: 576 s of audio) through the document's per-frame
// operation on one core, and the worst time of one 256-frame block.
#include "document/MyDocument.h"
#include "document/Preferences.h"
#include "document/ScoreRender.h"
#include "sound/OrnWaves.h"

#include <benchmark/benchmark.h>

#include "bench/DenseScore.h"

#include <algorithm>
#include <chrono>
#include <memory>

namespace {

void BM_RenderDenseScore(benchmark::State& state) {
    const OrnWaves bank;
    Preferences preferences;
    MyDocument document(&preferences);
    document.setScore(denseScore());
    document.syncData()->setVolume(1.0f);
    document.setTempoEmurationCoefficient(0);
    long long frames = 0;
    double worstBlock = 0.0;
    for (auto _ : state) {
        frames = renderScore(
            document, 1,
            [&](std::span<const float> block) {
                benchmark::DoNotOptimize(block.data());
                return true;
            },
            4096);
    }
    // The worst 256-frame block, timed in a render of its own.
    document.startRendering();
    for (long long done = 0; done < frames; done += 256) {
        const auto start = std::chrono::steady_clock::now();
        float l = 0, r = 0;
        for (int i = 0; i < 256; ++i) {
            document.toneLeft(&l, &r);
        }
        benchmark::DoNotOptimize(l);
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        worstBlock = std::max(worstBlock, took.count());
    }
    document.stopRendering();
    state.counters["audio_seconds"] = static_cast<double>(frames) / 44100.0;
    state.counters["worst_block_ms"] = worstBlock;
    state.counters["frames"] = static_cast<double>(frames);
}
BENCHMARK(BM_RenderDenseScore)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

} // namespace
