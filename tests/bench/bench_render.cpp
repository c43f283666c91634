// Rendering a dense score (all 960 steps with three notes of mixed
// instruments, tempo 100: 576 s of audio) through the document's per-frame
// operation on one core, and the worst time of one 256-frame block; in
// classic (argument 0) and smooth (argument 1) playback.
#include "document/MyDocument.h"
#include "document/Preferences.h"
#include "sound/ScoreRender.h"
#include "sound/OrnWaves.h"

#include <benchmark/benchmark.h>

#include "bench/DenseScore.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

namespace {

void BM_RenderDenseScore(benchmark::State& state) {
    const OrnWaves bank;
    Preferences preferences;
    MyDocument document(&preferences);
    document.replaceScore(denseScore());
    document.syncData()->setVolume(1.0f);
    document.setTempoEmurationCoefficient(0);
    document.setSmoothPlayback(state.range(0) == 1);
    long long frames = 0;
    for (auto _ : state) {
        frames = renderScore(
            document.player(), document.score(), 1,
            [&](std::span<const float> block) {
                benchmark::DoNotOptimize(block.data());
                return true;
            },
            4096);
    }
    // The time of each 256-frame block of the per-frame operation that the
    // audio callback runs, in a render of its own: median, 99th percentile
    // and worst (the worst includes whatever else the machine did).
    std::vector<double> blocks;
    document.restartPlayback();
    for (long long done = 0; done < frames; done += 256) {
        const auto start = std::chrono::steady_clock::now();
        float l = 0, r = 0;
        for (int i = 0; i < 256; ++i) {
            document.toneLeft(&l, &r);
        }
        benchmark::DoNotOptimize(l);
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        blocks.push_back(took.count());
    }
    document.haltPlayback();
    std::sort(blocks.begin(), blocks.end());
    state.counters["block_median_ms"] = blocks[blocks.size() / 2];
    state.counters["block_p99_ms"] = blocks[blocks.size() * 99 / 100];
    state.counters["block_worst_ms"] = blocks.back();
    state.counters["audio_seconds"] = static_cast<double>(frames) / 44100.0;
    state.counters["frames"] = static_cast<double>(frames);
}
BENCHMARK(BM_RenderDenseScore)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);

} // namespace
